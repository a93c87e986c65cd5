#include "LegacyFixtures.h"

#include "LegacySupport.h"

#include <fcntl.h>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace pellucor::test {
namespace {

namespace fs = std::filesystem;

struct FixtureSpec {
    const char* name;   // what the test opens
    const char* source; // a corpus .docx, or a shared case
    const char* target; // LibreOffice's --convert-to argument
};

// Comments, tracked changes, numbered lists, floating pictures and an
// embedded equation in the formats LibreOffice writes back, and one document
// of each format that reaches the engine only through LibreOffice, under
// misleading names.
const FixtureSpec kFixtures[] = {
    {"comment.doc", "openxmlsdk__comment.docx", "doc:MS Word 97"},
    {"commented.rtf", "openxmlsdk__comment.docx", "rtf:Rich Text Format"},
    {"revision.doc", "openxmlsdk__revision.docx", "doc:MS Word 97"},
    {"numbering.odt", "openxmlsdk__numbering-newformat.docx", "odt:writer8"},
    {"floating.rtf", "powertools__DB010-Template.docx", "rtf:Rich Text Format"},
    {"word2003.doc", "openxmlsdk__numbering-newformat.docx", "xml:MS Word 2003 XML"},
    {"flat.fodt", "openxmlsdk__revision.docx", "fodt:OpenDocument Text Flat XML"},
    {"export.doc", "openxmlsdk__numbering-newformat.docx", "html:HTML (StarWriter)"},
    {"equation.doc", "../cases/embedded-equation.fodt", "doc:MS Word 97"},
    {"equation.rtf", "../cases/embedded-equation.fodt", "rtf:Rich Text Format"},
    {"equation.odt", "../cases/embedded-equation.fodt", "odt:writer8"},
};

// Makes every fixture into folder, one LibreOffice run per target format.
void makeFixtures(const std::string& folder) {
    std::map<std::string, std::vector<const FixtureSpec*>> byTarget;
    for (const FixtureSpec& spec : kFixtures)
        byTarget[spec.target].push_back(&spec);
    for (const auto& [target, specs] : byTarget) {
        const std::string out = folder + "/made";
        std::vector<std::string> inputs;
        for (const FixtureSpec* spec : specs)
            inputs.push_back(std::string(PELLUCOR_CORPUS_DIR) + "/" + spec->source);
        convertWithLibreOffice(inputs, target, out, folder + "/profile");
        for (const FixtureSpec* spec : specs)
            fs::rename(out + "/" + fs::path(spec->source).stem().string() + "." +
                           target.substr(0, target.find(':')),
                       folder + "/" + spec->name);
    }
    fs::remove_all(folder + "/profile");
    fs::remove_all(folder + "/made");
}

} // namespace

std::string legacyFixture(const std::string& name) {
    const std::string folder = PELLUCOR_LEGACY_FIXTURES_DIR;
    fs::create_directories(fs::path(folder).parent_path());
    const int lock = ::open((folder + ".lock").c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0644);
    if (lock < 0 || ::flock(lock, LOCK_EX) != 0)
        throw std::runtime_error("cannot lock " + folder + ".lock");
    if (!fs::exists(folder + "/" + name)) { // not made yet, or made from an older list
        fs::remove_all(folder);
        const std::string partial = folder + ".partial";
        fs::remove_all(partial);
        fs::create_directories(partial);
        makeFixtures(partial);
        fs::rename(partial, folder);
    }
    ::close(lock);
    return folder + "/" + name;
}

} // namespace pellucor::test
