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
    {"contents.doc", "contents.fodt", "doc:MS Word 97"},
    {"contents.odt", "contents.fodt", "odt:writer8"},
};

// A table of contents over numbered headings, and a field that shows the
// document's file name: what LibreOffice itself writes otherwise when it
// converts a document there and back; and a path that names the private
// folder's way in, as the document's own text.
const char* kContentsName = "contents.fodt";
const char* kContents = R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.text">
<office:styles><style:style style:name="Heading_20_1" style:display-name="Heading 1" style:family="paragraph" style:default-outline-level="1"/>
<text:outline-style style:name="Outline"><text:outline-level-style text:level="1" style:num-format="1" style:num-suffix="." text:start-value="0"/></text:outline-style></office:styles>
<office:body><office:text>
<text:h text:style-name="Heading_20_1" text:outline-level="1">Sommaire</text:h>
<text:table-of-content text:name="Table des matières1"><text:table-of-content-source text:outline-level="10"><text:index-title-template>Table des matières</text:index-title-template><text:table-of-content-entry-template text:outline-level="1"><text:index-entry-chapter/><text:index-entry-text/><text:index-entry-tab-stop style:type="right" style:leader-char="."/><text:index-entry-page-number/></text:table-of-content-entry-template></text:table-of-content-source><text:index-body><text:index-title text:name="Table des matières1_Head"><text:h text:style-name="Heading_20_1" text:outline-level="1">Table des matières</text:h></text:index-title><text:p>0. Sommaire<text:tab/>1</text:p><text:p>1. Table des matières<text:tab/>1</text:p><text:p>2. Highlights<text:tab/>1</text:p></text:index-body></text:table-of-content>
<text:h text:style-name="Heading_20_1" text:outline-level="1">Highlights</text:h>
<text:p>It ends here. Next one starts. Kept as <text:file-name text:display="name-and-extension">report.doc</text:file-name>. A process sees its root as /proc/self/root.</text:p>
</office:text></office:body></office:document>
)";

std::string sourcePath(const std::string& folder, const FixtureSpec& spec) {
    if (spec.source == std::string(kContentsName))
        return folder + "/" + spec.source;
    return std::string(PELLUCOR_CORPUS_DIR) + "/" + spec.source;
}

// Makes every fixture into folder, one LibreOffice run per target format.
void makeFixtures(const std::string& folder) {
    writeFile(folder + "/" + kContentsName, kContents);
    std::map<std::string, std::vector<const FixtureSpec*>> byTarget;
    for (const FixtureSpec& spec : kFixtures)
        byTarget[spec.target].push_back(&spec);
    for (const auto& [target, specs] : byTarget) {
        const std::string out = folder + "/made";
        std::vector<std::string> inputs;
        for (const FixtureSpec* spec : specs)
            inputs.push_back(sourcePath(folder, *spec));
        convertWithLibreOffice(inputs, target, out, folder + "/profile");
        for (const FixtureSpec* spec : specs)
            fs::rename(out + "/" + fs::path(spec->source).stem().string() + "." +
                           target.substr(0, target.find(':')),
                       folder + "/" + spec->name);
    }
    fs::remove(folder + "/" + kContentsName);
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
