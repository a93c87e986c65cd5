#include "LegacyConverter.h"

#include "base/AtomicFile.h"
#include "base/Error.h"
#include "base/TempFolder.h"
#include "base/Waiting.h"
#include "converter/ConverterService.h"
#include "converter/HtmlPage.h"
#include "converter/PrivatePathCheck.h"
#include "converter/PrivateProfile.h"
#include "converter/ProcessRunner.h"
#include "converter/ReadBack.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <system_error>
#include <utility>
#include <vector>

namespace pellucor::converter {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPackage = "libreoffice-writer-nogui";
constexpr const char* kTextFilter = "txt:Text (encoded):UTF8";
constexpr const char* kHtmlFilter = "HTML (StarWriter)";
constexpr double kDefaultTimeoutSeconds = 60;

std::atomic<unsigned long> g_conversions{0};

struct FormatInfo {
    const char* extension;
    const char* filter; // LibreOffice's export filter for the format
    const char* kind;   // for messages
    // The import filter, where LibreOffice's own detection would choose
    // another application (HTML goes to the web editor, not to Writer).
    const char* importFilter = "";
};

FormatInfo infoOf(LegacyFormat format) {
    switch (format) {
    case LegacyFormat::Doc:
        return {"doc", "MS Word 97", "a Word 97-2003 document"};
    case LegacyFormat::Dot:
        return {"dot", "MS Word 97 Vorlage", "a Word 97-2003 template"};
    case LegacyFormat::Rtf:
        return {"rtf", "Rich Text Format", "an RTF document"};
    case LegacyFormat::Odt:
        return {"odt", "writer8", "an OpenDocument text"};
    case LegacyFormat::FlatOdt:
        return {"fodt", "OpenDocument Text Flat XML", "a flat OpenDocument text"};
    case LegacyFormat::Word2003Xml:
        return {"xml", "MS Word 2003 XML", "a Word 2003 XML document", "MS Word 2003 XML"};
    case LegacyFormat::Html:
        return {"html", kHtmlFilter, "an HTML document", kHtmlFilter};
    }
    return {"doc", "MS Word 97", "a Word 97-2003 document"};
}

std::chrono::milliseconds timeLimit(double seconds) {
    return std::chrono::milliseconds(static_cast<long>(seconds * 1000));
}

double timeoutSeconds() {
    const char* text = std::getenv("PELLUCOR_CONVERT_TIMEOUT");
    if (!text || !*text)
        return kDefaultTimeoutSeconds;
    char* end = nullptr;
    double seconds = std::strtod(text, &end);
    return *end == '\0' && seconds > 0 && seconds < 86400 ? seconds : kDefaultTimeoutSeconds;
}

std::string secondsText(double seconds) {
    std::ostringstream out;
    out << seconds << (seconds == 1 ? " second" : " seconds");
    return out.str();
}

} // namespace

std::string fileUrlOf(const std::string& path) {
    static const char* hex = "0123456789ABCDEF";
    std::string url = "file://";
    for (unsigned char c : path) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~')
            url += static_cast<char>(c);
        else
            url += {'%', hex[c >> 4], hex[c & 15]};
    }
    return url;
}

namespace {

std::string readWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeWhole(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush())
        throw std::system_error(errno, std::generic_category(), "cannot write " + path);
}

// What LibreOffice said last, without its notes about Java.
std::string lastWords(const std::string& logPath) {
    std::istringstream log(readWhole(logPath));
    std::string last;
    for (std::string line; std::getline(log, line);)
        if (!line.empty() && line.find("javaldx") == std::string::npos)
            last = line;
    return last.size() > 200 ? last.substr(0, 200) + "…" : last;
}

// A flag set for a while, and set back as it was.
struct FlagSet {
    bool& flag;
    bool was;
    FlagSet(bool& target, bool value) : flag(target), was(target) { flag = value; }
    ~FlagSet() { flag = was; }
    FlagSet(const FlagSet&) = delete;
    FlagSet& operator=(const FlagSet&) = delete;
};

// A folder removed, with everything in it, when the conversion ends.
struct RemovedAtEnd {
    std::string path;
    ~RemovedAtEnd() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

std::string absolutePath(const std::string& path) {
    std::error_code failed;
    fs::path absolute = fs::absolute(path, failed);
    return failed ? path : absolute.lexically_normal().string();
}

} // namespace

// One direction of one conversion, and how its failures are told.
struct LegacyConverter::Conversion {
    std::string documentPath; // named in every message
    std::string basePath;     // the document's own, whose folder the conversion repeats
    std::string inputExtension;
    std::string outputExtension;
    std::string filter;
    std::string importFilter;  // empty: LibreOffice detects the format
    std::string failurePrefix; // "The document "a.doc" cannot be opened" or "Could not save …"
    std::string failureSuffix;
    std::string needs; // "opening .doc documents"
    ErrorNumber failureNumber;
    // Saving only: the import filter the saved file is read back with
    // ("" to detect), after its text is compared with the text meant.
    std::optional<std::string> readBackFilter = std::nullopt;
    // Saving: the document held embedded objects, so the .docx is loaded
    // into a view at once instead of trying a bare model first.
    bool withView = false;
    // Opening: told whether the conversion needed a view.
    bool* neededView = nullptr;

    [[noreturn]] void fail(ErrorNumber number, const std::string& why) const {
        throw Error(number, failurePrefix + ": " + why + "." + failureSuffix);
    }
    std::string target() const { return outputExtension + ":" + filter; }
    [[noreturn]] void timedOut(double limit) const {
        fail(ErrorNumber::CommandFailed, "LibreOffice did not finish converting it within " +
                                             secondsText(limit) + " and was stopped");
    }
    [[noreturn]] void interrupted() const {
        fail(ErrorNumber::CommandFailed,
             "the run was stopped before LibreOffice had finished converting it");
    }
};

LegacyConverter::~LegacyConverter() {
    release();
}

void LegacyConverter::release() {
    removePrivateTempFolder(m_folder);
    m_folder.clear();
}

const std::string& LegacyConverter::privateFolder(const Conversion& conversion,
                                                  const std::string& soffice) {
    if (!m_folder.empty() && fs::is_directory(m_folder))
        return m_folder;
    release();
    m_folder = makePrivateTempFolder("lo");
    if (m_folder.empty() || !writePrivateProfile(m_folder + "/profile", soffice)) {
        const int error = errno;
        release();
        conversion.fail(conversion.failureNumber,
                        "no private temporary folder could be made for LibreOffice (" +
                            systemText(error) + ")");
    }
    return m_folder;
}

unsigned long LegacyConverter::conversionCount() {
    return g_conversions.load();
}

std::string LegacyConverter::convert(const std::string& inputBytes, const Conversion& conversion) {
    ++g_conversions;
    const std::string soffice = findOnPath("soffice");
    if (soffice.empty())
        conversion.fail(ErrorNumber::UnsupportedFormat,
                        conversion.needs +
                            " needs LibreOffice, which is not installed (install "
                            "the package " +
                            std::string(kPackage) + ")");
    // Both directions happen in a copy of the document's own folder path in
    // the private folder: a relative link is read against that copy and
    // written back against it as it was, and it leads to nothing there.
    RemovedAtEnd work{privateFolder(conversion, soffice) + "/m"};
    const std::string folder = work.path + fs::path(conversion.basePath).parent_path().string();
    const std::string name = "/document.";
    std::error_code ignored;
    fs::remove_all(work.path, ignored);
    fs::remove(m_folder + "/log", ignored);
    fs::create_directories(folder, ignored);
    rewrite(folder + name + conversion.inputExtension, inputBytes, conversion);
    // The shared LibreOffice sees the copy below /proc/self/root, the root
    // folder again, and never resolves that link. An absolute link, which it
    // writes relative to where it saves, then climbs to the root and back
    // down, and leads to the same place from the document's own folder too.
    const std::string seen =
        (fs::is_directory("/proc/self/root") ? "/proc/self/root" : "") + folder;
    const std::string output = folder + name + conversion.outputExtension;
    std::string serviceSaid;
    if (!m_conversions || !ConverterService::wanted() || m_processOnly ||
        !convertShared(soffice, seen + name + conversion.inputExtension,
                       seen + name + conversion.outputExtension, conversion, serviceSaid)) {
        fs::remove(output, ignored);
        convertAlone(soffice, folder + name + conversion.inputExtension, output, conversion,
                     serviceSaid);
    }
    std::string converted = readWhole(output);
    if (converted.empty()) {
        std::string said = lastWords(m_folder + "/log");
        if (said.empty())
            said = serviceSaid;
        conversion.fail(conversion.failureNumber,
                        "LibreOffice could not convert it" +
                            (said.empty() ? std::string(" and produced no document")
                                          : " (LibreOffice said: " + said + ")"));
    }
    return converted;
}

// Converts with a LibreOffice of its own, which writes a page's runs of
// spaces as they are, and reads the result back with another.
void LegacyConverter::convertAlone(const std::string& soffice, const std::string& input,
                                   const std::string& output, const Conversion& conversion,
                                   const std::string& serviceSaid) {
    runAlone(soffice,
             {input, fs::path(output).parent_path().string(), conversion.importFilter,
              conversion.target()},
             conversion, serviceSaid);
    if (!fs::exists(output))
        return;
    if (conversion.filter == kHtmlFilter)
        rewrite(output, withSpacesShown(readWhole(output)), conversion);
    if (conversion.readBackFilter)
        checkReadBackAlone(soffice, input, output, conversion);
}

void LegacyConverter::rewrite(const std::string& path, const std::string& bytes,
                              const Conversion& conversion) {
    try {
        writeWhole(path, bytes);
    } catch (const std::exception& error) {
        conversion.fail(conversion.failureNumber,
                        std::string("LibreOffice could not be run (") + error.what() + ")");
    }
}

// Hands the conversion to the shared LibreOffice; false when it has to be
// done by a process of its own: the service cannot run here, or it failed or
// stopped on this document (said then holds why), or what it saved cannot be
// read back. A process of its own loads the document as the command line
// does, and a crash there costs nothing else. What a save reads back as is
// left in m_readBack.
bool LegacyConverter::convertShared(const std::string& soffice, const std::string& input,
                                    const std::string& output, const Conversion& conversion,
                                    std::string& said) {
    const double limit = timeoutSeconds();
    const bool saving = conversion.readBackFilter.has_value();
    const std::string extra = !saving ? "" : conversion.withView ? "\treadback,view" : "\treadback";
    ServiceOutcome outcome =
        m_conversions->convert(soffice, input, output, conversion.filter, conversion.importFilter,
                               timeLimit(limit), extra);
    switch (outcome.kind) {
    case ServiceOutcome::Kind::Converted:
        if (!saving) {
            if (conversion.neededView)
                *conversion.neededView = outcome.withView;
            return true;
        }
        if (!fs::exists(output + ".readback.txt"))
            return false;
        // A difference is judged once the output is in hand (see saveAs).
        m_readBack = readBackTexts(readWhole(output + ".intended.txt"),
                                   readWhole(output + ".readback.txt"), true);
        return true;
    case ServiceOutcome::Kind::TimedOut:
        conversion.timedOut(limit);
    case ServiceOutcome::Kind::Interrupted:
        conversion.interrupted();
    case ServiceOutcome::Kind::Unavailable:
    case ServiceOutcome::Kind::Stopped:
    case ServiceOutcome::Kind::Failed:
        break;
    }
    said = outcome.said;
    return false;
}

// Runs one LibreOffice of its own on step.input, which leaves its result in
// step.outDir.
void LegacyConverter::runAlone(const std::string& soffice, const AloneStep& step,
                               const Conversion& conversion, const std::string& serviceSaid) {
    const double limit = timeoutSeconds();
    std::vector<std::string> args = {"--headless", "--norestore", "--nologo", "--nodefault",
                                     "--nolockcheck"};
    args.push_back("-env:UserInstallation=" + fileUrlOf(m_folder + "/profile"));
    if (!step.importFilter.empty())
        args.push_back("--infilter=" + step.importFilter);
    args.insert(args.end(), {"--convert-to", step.target, "--outdir", step.outDir, step.input});
    ProcessOutcome outcome;
    try {
        outcome = runProcess(soffice, args, m_folder + "/log", timeLimit(limit));
    } catch (const std::exception& error) {
        conversion.fail(conversion.failureNumber,
                        std::string("LibreOffice could not be run (") + error.what() + ")" +
                            (serviceSaid.empty() ? "" : "; " + serviceSaid));
    }
    if (outcome.interrupted)
        conversion.interrupted();
    if (outcome.timedOut)
        conversion.timedOut(limit);
}

// Reads the saved file back with a process of its own, as text, and compares
// it with the text of the document that was meant to be saved.
void LegacyConverter::checkReadBackAlone(const std::string& soffice, const std::string& input,
                                         const std::string& output, const Conversion& conversion) {
    std::string texts[2];
    const std::string* sources[2] = {&input, &output};
    for (int k = 0; k < 2; ++k) {
        const std::string outDir = m_folder + "/m/text" + std::to_string(k);
        std::error_code ignored;
        fs::create_directories(outDir, ignored);
        runAlone(soffice,
                 {*sources[k], outDir,
                  k == 0 ? conversion.importFilter : *conversion.readBackFilter, kTextFilter},
                 conversion, "");
        const std::string text = outDir + "/document.txt";
        if (!fs::exists(text))
            conversion.fail(conversion.failureNumber,
                            "LibreOffice could not read the saved file back (" +
                                lastWords(m_folder + "/log") + ")");
        texts[k] = readWhole(text);
    }
    m_readBack = readBackTexts(texts[0], texts[1], false);
}

std::string LegacyConverter::toDocx(const std::string& documentPath, const std::string& bytes,
                                    LegacyFormat format, bool* neededView) {
    FormatInfo info = infoOf(format);
    Conversion conversion{documentPath,
                          absolutePath(documentPath),
                          info.extension,
                          "docx",
                          "MS Word 2007 XML",
                          info.importFilter,
                          "The document " + inQuotes(documentPath) + " cannot be opened",
                          "",
                          std::string("it is ") + info.kind + " (." + info.extension +
                              "), and opening ." + info.extension + " documents",
                          ErrorNumber::FileCorrupted};
    conversion.neededView = neededView;
    if (format != LegacyFormat::Html)
        return convert(bytes, conversion);
    const std::optional<std::string> page = withoutStylesheetLinks(bytes);
    if (!page)
        conversion.fail(conversion.failureNumber, "it cannot be read as a web page");
    return convert(*page, conversion);
}

void LegacyConverter::saveAs(const std::string& docxBytes, LegacyFormat format,
                             const std::string& target, const std::string& documentPath,
                             std::optional<mode_t> sourceMode, bool withView) {
    FormatInfo info = infoOf(format);
    Conversion conversion{target,
                          absolutePath(documentPath.empty() ? target : documentPath),
                          "docx",
                          info.extension,
                          info.filter,
                          "MS Word 2007 XML",
                          "Could not save " + inQuotes(target),
                          " The file was left as it was.",
                          std::string("saving .") + info.extension + " documents",
                          ErrorNumber::CannotSave,
                          info.importFilter};
    conversion.withView = withView;
    m_readBack.reset();
    std::string saved = convert(docxBytes, conversion);
    std::optional<ReadBackTexts> changed = std::exchange(m_readBack, std::nullopt);
    std::string unexplained = changed ? unexplainedByRoundTrip(*changed, format, conversion) : "";
    if (!unexplained.empty() && changed->byService) {
        // The shared LibreOffice's save is not what was meant: one of its
        // own saves it again, loading the document as its command line does.
        FlagSet processOnly(m_processOnly, true);
        saved = convert(docxBytes, conversion);
        changed = std::exchange(m_readBack, std::nullopt);
        unexplained = changed ? unexplainedByRoundTrip(*changed, format, conversion) : "";
    }
    if (!unexplained.empty())
        conversion.fail(conversion.failureNumber,
                        "what LibreOffice saved does not read back as the changed document: " +
                            unexplained);
    refuseIfPrivatePathHeld(saved, conversion);
    writeFileAtomically(target, saved, sourceMode);
}

LegacyConverter::ReadBackTexts
LegacyConverter::readBackTexts(std::string intended, std::string readBack, bool byService) {
    std::string difference = readBackDifference(intended, readBack);
    return {std::move(intended), std::move(readBack), std::move(difference), byService};
}

// What the saved file reads back as differs from what was meant, or ""
// when it does not. LibreOffice changes some documents in any round trip (a
// table of contents over numbered headings, fields it fills in): the
// unchanged document, converted there and back by the same LibreOffice as
// the save was, shows what its round trip changes, and only what that does
// not explain is returned.
std::string LegacyConverter::unexplainedByRoundTrip(const ReadBackTexts& changed,
                                                    LegacyFormat format,
                                                    const Conversion& conversion) {
    std::error_code failed;
    if (changed.difference.empty() || !fs::is_regular_file(conversion.basePath, failed))
        return changed.difference;
    FlagSet sameLibreOffice(m_processOnly, !changed.byService);
    try {
        convert(toDocx(conversion.basePath, readWhole(conversion.basePath), format), conversion);
    } catch (const Error&) {
        if (stopRequested())
            throw;          // the run was stopped, which is what is told
        m_readBack.reset(); // what the changed document's save showed is told
    }
    const std::optional<ReadBackTexts> unchanged = std::exchange(m_readBack, std::nullopt);
    if (!unchanged || unchanged->byService != changed.byService)
        return changed.difference;
    return unexplainedReadBackDifference(changed.intended, changed.readBack, unchanged->intended,
                                         unchanged->readBack);
}

// LibreOffice fills in some fields (a file name with its folders) and links
// from where it has the document, which is the private folder: a saved file
// that names it would tell whoever gets it the user's login and folders.
// A name the document held before (a text about /proc/self/root) is its own.
void LegacyConverter::refuseIfPrivatePathHeld(const std::string& saved,
                                              const Conversion& conversion) const {
    std::vector<std::string> names = privateFolderNames(m_folder);
    std::string found = firstNameHeld(saved, names, conversion.documentPath);
    std::error_code failed;
    if (!found.empty() && fs::is_regular_file(conversion.basePath, failed)) {
        const std::string original = readWhole(conversion.basePath);
        std::erase_if(names, [&](const std::string& name) {
            try {
                return !firstNameHeld(original, {name}, conversion.basePath).empty();
            } catch (const Error&) {
                return false;
            }
        });
        found = firstNameHeld(saved, names, conversion.documentPath);
    }
    if (!found.empty())
        conversion.fail(conversion.failureNumber,
                        "what LibreOffice saved names the private temporary folder it worked in "
                        "(a field or link it filled in with where it had the document), which "
                        "would give away your folders");
}

} // namespace pellucor::converter
