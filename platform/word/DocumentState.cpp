#include "DocumentState.h"

#include "base/AtomicFile.h"
#include "base/Error.h"
#include "base/FolderHandle.h"
#include "base/PathHelpers.h"
#include "BatchDocument.h"
#include "Format.h"
#include "PendingLegacySave.h"
#include "Relationships.h"
#include "RevisionNumbers.h"
#include "zip/Compression.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellucor::word {
namespace {

constexpr off_t kMaxFileSize = 2047ll << 20;

bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool isWordDocumentRoot(const WordNames& names, pugi::xml_node root) {
    return names.is(root, "document");
}

} // namespace

std::string readDocumentFile(const std::string& path) {
    if (path.empty())
        throw Error(ErrorNumber::FileNotFound, "No document was named: the file name is empty.");
    // Non-blocking, so that a pipe or a device named by mistake cannot hang us.
    int fd = openAnyLength(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        int err = errno;
        if (err == ENOENT || err == ENOTDIR)
            throw Error(ErrorNumber::FileNotFound,
                        "The document " + inQuotes(path) + " could not be found.");
        if (err == EACCES || err == EPERM)
            throw Error(ErrorNumber::PermissionDenied,
                        "The document " + inQuotes(path) + " cannot be read: permission denied.");
        throw Error(ErrorNumber::FileNotFound, "The document " + inQuotes(path) +
                                                   " cannot be opened (" + systemText(err) + ").");
    }
    struct stat st {};
    ::fstat(fd, &st);
    if (S_ISDIR(st.st_mode)) {
        ::close(fd);
        throw Error(ErrorNumber::FileNotFound,
                    "The path " + inQuotes(path) + " names a folder, not a document.");
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        throw Error(ErrorNumber::FileNotFound,
                    "The path " + inQuotes(path) + " names a device or a pipe, not a document.");
    }
    if (st.st_size > kMaxFileSize) {
        ::close(fd);
        throw Error(ErrorNumber::FileCorrupted, "The document " + inQuotes(path) +
                                                    " is larger than 2 GiB, beyond any document "
                                                    "this program can open.");
    }
    std::string bytes;
    bytes.resize(static_cast<size_t>(st.st_size));
    size_t done = 0;
    while (true) {
        if (done == bytes.size())
            bytes.resize(bytes.size() + 65536);
        ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            int err = errno;
            ::close(fd);
            throw Error(ErrorNumber::FileCorrupted, "The document " + inQuotes(path) +
                                                        " could not be read (" + systemText(err) +
                                                        ").");
        }
        if (n == 0)
            break;
        done += static_cast<size_t>(n);
        if (done > static_cast<size_t>(kMaxFileSize)) {
            ::close(fd);
            throw Error(ErrorNumber::FileCorrupted,
                        "The document " + inQuotes(path) + " is larger than 2 GiB.");
        }
    }
    ::close(fd);
    bytes.resize(done);
    return bytes;
}

DocumentState::DocumentState(std::string path, WordSegmenter& segmenter, LegacyConverter& converter,
                             BatchDocument* batch)
    : m_path(std::move(path)), m_segmenter(segmenter),
      m_converter(batch ? batch->converter(converter.conversions()) : converter), m_batch(batch) {}

std::unique_ptr<DocumentState>
DocumentState::open(const std::string& path, WordSegmenter& segmenter, LegacyConverter& converter,
                    const EditOptions& options, BatchDocument* batch) {
    std::unique_ptr<DocumentState> document(new DocumentState(path, segmenter, converter, batch));
    document->m_options = options;
    document->m_sourceMode = permissionsOf(path);
    try {
        if (!batch) {
            document->load(readDocumentFile(path));
        } else if (std::optional<LegacyDocument> pending = batch->takeLegacySave(path)) {
            document->adoptLegacy(std::move(*pending));
            document->m_savedByThisRun = true;
        } else if (std::optional<ParsedPackage> saved = batch->takeSaved(path)) {
            document->adopt(std::move(*saved));
            document->m_savedByThisRun = true;
        } else {
            document->load(batch->read(path));
        }
    } catch (const std::bad_alloc&) {
        throw Error(ErrorNumber::OutOfMemory,
                    "The document " + inQuotes(path) + " cannot be opened: the memory ran out.");
    }
    return document;
}

DocumentState::~DocumentState() {
    if (m_batch && m_untouchedSinceSave && m_savedAs && m_package && m_main && !m_legacy)
        m_batch->keepSaved(*m_savedAs,
                           ParsedPackage{std::move(m_package), std::move(m_main),
                                         std::move(m_settings), std::move(m_storyParts)});
}

std::string DocumentState::name() const {
    return FileNameOf(m_path);
}

void DocumentState::refuse(const std::string& why) const {
    throw Error(ErrorNumber::UnsupportedFormat,
                "The document " + inQuotes(m_path) + " cannot be opened: " + why + ".");
}

void DocumentState::load(std::string bytes) {
    const std::string cannotWriteBack = ", which LibreOffice can read but not write back, so the "
                                        "changed document could not be saved in its own format";
    switch (sniffFormat(bytes)) {
    case FileFormat::Empty:
        throw Error(ErrorNumber::FileCorrupted,
                    "The document " + inQuotes(m_path) + " cannot be opened: the file is empty.");
    case FileFormat::EncryptedOoxml:
        throw Error(ErrorNumber::PasswordIncorrect,
                    "The document " + inQuotes(m_path) +
                        " cannot be opened: it is encrypted with a password.");
    case FileFormat::CompoundFile: {
        LegacyFormat format = converter::legacyFormatOfCompoundFile(bytes, m_path);
        return loadPackage(convertedFromLegacy(std::move(bytes), format));
    }
    case FileFormat::Rtf:
        return loadPackage(convertedFromLegacy(std::move(bytes), LegacyFormat::Rtf));
    case FileFormat::Word2003Xml:
        return loadPackage(convertedFromLegacy(std::move(bytes), LegacyFormat::Word2003Xml));
    case FileFormat::FlatOdt:
        return loadPackage(convertedFromLegacy(std::move(bytes), LegacyFormat::FlatOdt));
    case FileFormat::Html:
        return loadPackage(convertedFromLegacy(std::move(bytes), LegacyFormat::Html));
    case FileFormat::PlainText:
        return loadPlainText(std::move(bytes));
    case FileFormat::WordPerfect:
        refuse("it is a WordPerfect document" + cannotWriteBack);
    case FileFormat::OldWord:
        refuse("it is a Word for Windows 2.0 (or older) document" + cannotWriteBack);
    case FileFormat::FlatOtherOdf:
        refuse("it is an OpenDocument file, but a spreadsheet, drawing or presentation, not a "
               "text");
    case FileFormat::OtherXml:
        refuse("it is an XML file, but not a word-processing document");
    case FileFormat::Unknown:
        refuse("it is not a word-processing document");
    case FileFormat::ZipPackage:
        break;
    }
    loadPackage(std::move(bytes));
}

void DocumentState::loadPlainText(std::string bytes) {
    m_budget.emplace(bytes.size(), m_path);
    m_plainText = std::make_unique<PlainText>(std::move(bytes), m_path, *m_budget);
    m_names = std::make_unique<WordNames>(m_plainText->root());
    m_body = m_plainText->body();
}

void DocumentState::loadPackage(std::string bytes) {
    m_package = Package::fromBytes(std::move(bytes), m_path);
    // Until its main part is found, the document has the budget of the
    // smallest: every part read before counts against it.
    m_budget.emplace(0, m_path);
    m_budget->take(m_package->bytes().size() + m_legacyBytes.size());
    if (!m_legacy && isOpenDocumentText())
        return loadPackage(convertedFromLegacy(m_package->bytes(), LegacyFormat::Odt));
    if (!m_package->contains("_rels/.rels"))
        refuse("it is a zip file but not a word-processing document (it has no package "
               "relationships)");

    std::string mainPartName;
    for (const auto& rel : readRelationships(*m_package, "", m_path, *m_budget))
        if (!rel.external && hasRelationshipType(rel, "officeDocument")) {
            mainPartName = rel.target;
            break;
        }
    if (mainPartName.empty())
        refuse("the package names no main document part");
    if (!m_package->contains(mainPartName))
        refuse("its main document part " + mainPartName + " is missing");

    m_budget->growFor(m_package->sizeOf(mainPartName));
    m_main = std::make_unique<XmlPart>(
        mainPartName, readWithin(*m_package, mainPartName, *m_budget), m_path, &*m_budget);
    attachParts(mainPartName);
    loadSettings(mainPartName);
}

bool DocumentState::isOpenDocumentText() const {
    if (!m_package->contains("mimetype") ||
        readWithin(*m_package, "mimetype", *m_budget) != kOdtMimeType)
        return false;
    if (m_package->contains("META-INF/manifest.xml") &&
        readWithin(*m_package, "META-INF/manifest.xml", *m_budget).find("encryption-data") !=
            std::string::npos)
        throw Error(ErrorNumber::PasswordIncorrect,
                    "The document " + inQuotes(m_path) +
                        " cannot be opened: it is an OpenDocument text encrypted with a "
                        "password.");
    return true;
}

void DocumentState::attachParts(const std::string& mainPartName) {
    m_names = std::make_unique<WordNames>(m_main->root());
    if (!isWordDocumentRoot(*m_names, m_main->root()))
        refuse("its main part " + mainPartName + " is not a word-processing document (its root " +
               "element <" + m_main->root().name() +
               "> is not a document of the "
               "WordprocessingML vocabulary)");
    m_body = m_main->root().child(m_names->qualified("body").c_str());
}

void DocumentState::adopt(ParsedPackage parts) {
    m_package = std::move(parts.package);
    m_main = std::move(parts.main);
    m_settings = std::move(parts.settings);
    m_storyParts = std::move(parts.storyParts);
    m_budget.emplace(m_main->size(), m_path);
    m_budget->take(m_package->bytes().size() + m_main->memoryCost() +
                   (m_settings ? m_settings->memoryCost() : 0));
    for (const auto& part : m_storyParts)
        m_budget->take(part->memoryCost());
    attachParts(m_main->name());
    m_protection = Protection(m_settings.get());
}

void DocumentState::adoptLegacy(LegacyDocument document) {
    m_legacy = document.format;
    m_legacyBytes = std::move(document.originalBytes);
    m_sourceMode = document.sourceMode;
    m_legacyPath = std::move(document.documentPath);
    m_neededView = document.neededView;
    adopt(std::move(document.parts));
}

std::string DocumentState::convertedFromLegacy(std::string bytes, LegacyFormat format) {
    std::string docx = m_converter.toDocx(m_path, bytes, format, &m_neededView);
    m_legacy = format;
    m_legacyBytes = std::move(bytes);
    m_legacyPath = m_path;
    return docx;
}

void DocumentState::loadSettings(const std::string& mainPartName) {
    for (const auto& rel : readRelationships(*m_package, mainPartName, m_path, *m_budget)) {
        if (rel.external || !hasRelationshipType(rel, "settings") ||
            !m_package->contains(rel.target))
            continue;
        m_settings = std::make_unique<XmlPart>(
            rel.target, readWithin(*m_package, rel.target, *m_budget), m_path, &*m_budget);
        m_protection = Protection(m_settings.get());
        return;
    }
}

void DocumentState::ensureNotHandedOver() const {
    if (!m_main && !m_plainText)
        throw Error(ErrorNumber::ObjectReleased,
                    "The document " + inQuotes(m_path) +
                        " was saved and waits to be converted back at the end of its marks; "
                        "open it again to go on.");
}

Protection& DocumentState::protection() {
    ensureNotHandedOver();
    m_untouchedSinceSave = false;
    return m_protection;
}

// The stories after the main one are found, and their parts parsed, when
// they are first asked for.
StoryList* DocumentState::walkedStories() {
    ensureNotHandedOver();
    if (!m_stories && m_options.allStories && m_package)
        m_stories = std::make_unique<StoryList>(
            StoryList::Sources{*m_package, *m_main, *m_names, m_body, m_storyParts, *m_budget,
                               m_segmenter, m_path, revisions()});
    return m_stories.get();
}

StoryList& DocumentState::otherStories(int32_t story) {
    StoryList* stories = walkedStories();
    if (!stories || story < 1 || story > stories->count())
        throw Error(ErrorNumber::MemberMissing,
                    "The requested member of the collection does not exist: story " +
                        std::to_string(story + 1) + " of " + std::to_string(storyCount()) + ".");
    return *stories;
}

int32_t DocumentState::storyCount() {
    StoryList* stories = walkedStories();
    return 1 + (stories ? stories->count() : 0);
}

StoryKind DocumentState::storyKind(int32_t story) {
    return story == 0 ? StoryKind::Main : otherStories(story).kind(story - 1);
}

int32_t DocumentState::storyNumber(int32_t story) {
    return story == 0 ? 1 : otherStories(story).number(story - 1);
}

WordModel& DocumentState::words(int32_t story) {
    ensureNotHandedOver();
    m_untouchedSinceSave = false;
    if (story != 0)
        return otherStories(story).words(story - 1);
    if (!m_words)
        m_words =
            std::make_unique<WordModel>(*m_names, m_body, m_segmenter, *m_budget, revisions());
    return *m_words;
}

void DocumentState::setText(int32_t story, int32_t index, const std::string& text) {
    if (story == 0)
        return words(0).setText(index, text);
    m_untouchedSinceSave = false;
    otherStories(story).setText(story - 1, index, text);
}

// Changes are tracked in documents of the .docx family and in .doc, .rtf and
// OpenDocument texts, which keep them as recorded changes. A plain text, a web
// page or a Word 2003 XML file has no way to keep a revision (LibreOffice
// writes the latter two as if every change were accepted): it is changed outright.
bool DocumentState::keepsRevisions() const {
    return !m_plainText && m_legacy != LegacyFormat::Html && m_legacy != LegacyFormat::Word2003Xml;
}

Revisions* DocumentState::revisions() {
    if (!m_options.trackedBy || !keepsRevisions())
        return nullptr;
    if (!m_revisions) {
        auto revisions =
            std::make_unique<Revisions>(*m_options.trackedBy, firstFreeRevisionId(), m_path);
        revisions->reserve(1);
        m_revisions = std::move(revisions);
    }
    return m_revisions.get();
}

// Above every number the document's parts use, so that no revision of ours
// shares one with a revision, comment or bookmark already there.
int64_t DocumentState::firstFreeRevisionId() {
    std::vector<const XmlPart*> parsed{m_main.get()};
    if (m_settings)
        parsed.push_back(m_settings.get());
    for (const auto& part : m_storyParts)
        parsed.push_back(part.get());
    return word::firstFreeRevisionId(*m_package, parsed, *m_budget, m_path);
}

FrameList& DocumentState::frames() {
    ensureNotHandedOver();
    m_untouchedSinceSave = false;
    // Most documents have no frame: when the main part never names one, its
    // body need not be walked.
    if (!m_frames) {
        const auto names = m_main ? m_main->namesAmong() : std::nullopt;
        const bool walk = !names || FrameList::mayBeNamedIn(*names);
        m_frames = std::make_unique<FrameList>(*m_names, walk ? m_body : pugi::xml_node());
    }
    return *m_frames;
}

void DocumentState::saveAs(const std::string& path) {
    ensureNotHandedOver();
    // The password guards the file its author made; a copy this run saved
    // elsewhere a moment ago is ours to save over, mark after mark.
    if (m_protection.hasPasswordToModify() && !m_savedByThisRun && sameFile(path, m_path))
        throw Error(ErrorNumber::PermissionDenied,
                    "Could not save " + inQuotes(path) +
                        ": the document has a password to modify, so it is read-only and cannot be "
                        "saved over itself. Save it into another folder.");
    checkSaveTarget(path);

    if (m_plainText) {
        if (m_words && m_words->hasChanges())
            m_words->flush();
        writeFileAtomically(path, m_plainText->bytes(path), m_sourceMode,
                            lockingBeforeReplace(path));
        m_path = path;
        return;
    }
    if (m_words && m_words->hasChanges()) {
        m_words->flush();
        m_main->markChanged();
    }
    if (m_stories)
        m_stories->flush();
    if (m_frames && m_frames->changed())
        m_main->markChanged();
    m_savedAs.reset();
    if (m_legacy && m_batch)
        return handOver(path);
    const std::map<std::string, zip::Deflated> replaced =
        changedParts(*m_main, m_settings.get(), m_storyParts);

    if (m_legacy && replaced.empty())
        writeFileAtomically(path, m_legacyBytes, m_sourceMode);
    else if (m_legacy)
        m_converter.saveAs(m_package->rewrite(replaced), *m_legacy, path, m_legacyPath,
                           m_sourceMode, m_neededView);
    else if (replaced.empty())
        m_savedAs =
            writeFileAtomically(path, m_package->bytes(), m_sourceMode, lockingBeforeReplace(path));
    else
        savePackage(path, replaced);
    m_path = path;
    m_untouchedSinceSave = m_savedAs.has_value();
}

// In a batch the new file is locked before it replaces the old, so that
// another run never finds the document unlocked between two marks.
std::function<void(int fd)> DocumentState::lockingBeforeReplace(const std::string& path) {
    if (!m_batch)
        return {};
    return m_batch->lockBeforeReplace(path);
}

// The changed .docx waits for the document's next mark instead of going
// through LibreOffice at every one; the parts go with it.
void DocumentState::handOver(const std::string& path) {
    m_path = path;
    m_untouchedSinceSave = false;
    m_words.reset();
    m_stories.reset();
    m_revisions.reset();
    m_frames.reset();
    m_protection = Protection(nullptr);
    m_body = {};
    m_names.reset();
    m_batch->holdLegacySave(
        path, LegacyDocument{*m_legacy, std::move(m_legacyBytes),
                             ParsedPackage{std::move(m_package), std::move(m_main),
                                           std::move(m_settings), std::move(m_storyParts)},
                             m_sourceMode, m_legacyPath, m_neededView});
}

// Once saved, the document is what was saved: its package is the new file's.
void DocumentState::savePackage(const std::string& path,
                                const std::map<std::string, zip::Deflated>& replaced) {
    std::string bytes = m_package->rewrite(replaced);
    const FileIdentity saved =
        writeFileAtomically(path, bytes, m_sourceMode, lockingBeforeReplace(path));
    try {
        m_package = Package::fromBytes(std::move(bytes), path);
    } catch (const Error&) {
        return; // the file is saved; the document just stays as it was
    }
    m_main->markSaved();
    if (m_settings)
        m_settings->markSaved();
    for (const auto& part : m_storyParts)
        part->markSaved();
    m_savedAs = saved;
}

} // namespace pellucor::word
