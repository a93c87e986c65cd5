#include "BatchDocument.h"

#include "base/Error.h"
#include "converter/LegacyConverter.h"
#include "DocumentState.h"
#include "PendingLegacySave.h"
#include "SavedDocument.h"

#include <sys/stat.h>
#include <utility>

namespace pellucor::word {
namespace {

bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0)
        return a == b;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

} // namespace

struct BatchDocument::PendingSave {
    std::string target;
    std::optional<LegacyDocument> document; // empty while an opening has it
};

struct BatchDocument::Held {
    struct Kept {
        FileIdentity identity;
        ParsedPackage parts;
    };
    struct Original {
        std::string path; // the file behind a link, as the marks opened it
        std::string bytes;
    };
    std::optional<Original> original; // the source as it was before this run wrote it
    std::optional<Kept> kept;
    std::optional<PendingSave> pending;
    std::optional<converter::LegacyConverter> converter; // made by the first opening
};

BatchDocument::BatchDocument(std::string source)
    : m_source(std::move(source)), m_current(m_source), m_held(std::make_unique<Held>()) {}

BatchDocument::~BatchDocument() = default;

converter::LegacyConverter& BatchDocument::converter(converter::ConverterService* conversions) {
    if (!m_held->converter)
        m_held->converter.emplace(conversions);
    return *m_held->converter;
}

void BatchDocument::lock(const std::string& path) {
    RunLock& lock = sameFile(path, m_source) ? m_sourceLock : m_outputLock;
    if (lock.held() && lock.follow(path))
        return;
    if (lock.take(path) == RunLock::Taken::InUse)
        throw Error(ErrorNumber::PermissionDenied, "The document " + inQuotes(path) +
                                                       " is in use by another run; it was left "
                                                       "as it was.");
}

std::function<void(int fd)> BatchDocument::lockBeforeReplace(const std::string& target) {
    RunLock& lock = sameFile(target, m_source) ? m_sourceLock : m_outputLock;
    return [&lock](int fd) { lock.lockNext(fd); };
}

void BatchDocument::saved(const std::string& target) {
    m_current = target;
    if (!m_held->pending || m_held->pending->target != target)
        wrote(target);
}

void BatchDocument::wrote(const std::string& target) {
    m_output = target;
    const bool overSource = sameFile(target, m_source);
    m_wroteSource = m_wroteSource || overSource;
    // Another run that looks now finds the new file locked too.
    (overSource ? m_sourceLock : m_outputLock).follow(target);
}

std::string BatchDocument::read(const std::string& path) {
    std::string bytes = readDocumentFile(path);
    if (!m_wroteSource && !m_held->original && sameFile(path, m_source))
        m_held->original = Held::Original{path, bytes};
    return bytes;
}

void BatchDocument::keepSaved(const FileIdentity& saved, ParsedPackage parts) noexcept {
    m_held->kept.reset();
    m_held->kept.emplace(Held::Kept{saved, std::move(parts)});
}

std::optional<ParsedPackage> BatchDocument::takeSaved(const std::string& path) {
    std::optional<Held::Kept> kept = std::exchange(m_held->kept, std::nullopt);
    if (!kept || !fileHolds(path, kept->identity, kept->parts.package->bytes()))
        return std::nullopt;
    return std::move(kept->parts);
}

void BatchDocument::holdLegacySave(const std::string& target, LegacyDocument document) {
    m_held->kept.reset();
    if (m_held->pending && m_held->pending->target != target) {
        PendingSave earlier = std::move(*m_held->pending);
        m_held->pending.reset();
        write(std::move(earlier));
    }
    m_held->pending = PendingSave{target, std::move(document)};
}

std::optional<LegacyDocument> BatchDocument::takeLegacySave(const std::string& path) {
    if (!m_held->pending || m_held->pending->target != path)
        return std::nullopt;
    if (!m_held->pending->document)
        throw Error(ErrorNumber::FileNotFound,
                    "The document " + inQuotes(path) +
                        " cannot be opened: an earlier mark failed after it was converted, so "
                        "its changes are lost and the file was left as it was.");
    return std::exchange(m_held->pending->document, std::nullopt);
}

void BatchDocument::finish() {
    m_held->kept.reset();
    if (!m_held->pending)
        return;
    PendingSave pending = std::move(*m_held->pending);
    m_held->pending.reset();
    write(std::move(pending));
}

void BatchDocument::write(PendingSave pending) {
    if (!pending.document)
        throw Error(ErrorNumber::CannotSave,
                    "Could not save " + inQuotes(pending.target) +
                        ": a mark failed before its save, so the document was not converted "
                        "back. The file was left as it was.");
    LegacyDocument& document = *pending.document;
    const ParsedPackage& parts = document.parts;
    const auto replaced = changedParts(*parts.main, parts.settings.get(), parts.storyParts);
    if (replaced.empty())
        writeFileAtomically(pending.target, document.originalBytes, document.sourceMode);
    else
        m_held->converter->saveAs(parts.package->rewrite(replaced), document.format, pending.target,
                                  document.documentPath, document.sourceMode, document.neededView);
    wrote(pending.target);
}

void BatchDocument::restore() {
    m_held->kept.reset();
    m_held->pending.reset();
    if (m_wroteSource && m_held->original) {
        writeFileAtomically(m_held->original->path, m_held->original->bytes);
        m_wroteSource = false;
        m_sourceLock.follow(m_held->original->path);
    }
    if (m_output == m_source || sameFile(m_output, m_source))
        m_output.clear();
    m_current = m_source;
}

} // namespace pellucor::word
