// Documents that the shared LibreOffice used to lose (comments, tracked
// changes, numbered lists, floating pictures, an embedded equation, which it
// must keep as a LibreOffice of its own does) and one document of each format
// that reaches the engine only through LibreOffice, named as web applications
// and old programs name them: each is changed as the spacing oracle says,
// saved in its own format with the words of LibreOffice's own round trip of
// the unchanged document (no object or paragraph more or less), and costs
// the shared LibreOffice no restart.
// A batch's marks work on the one .docx LibreOffice made of a document.
// Deterministic failures of the service fall back to a process of its own.
#include "BatchOfOne.h"
#include "BatchRun.h"
#include "converter/ConverterService.h"
#include "converter/LegacyConverter.h"
#include "converter/PrivateProfile.h"
#include "EngineAutomation.h"
#include "LegacyFixtures.h"
#include "LegacySupport.h"
#include "support/ScriptedServices.h"
#include "support/TempDir.h"
#include "support/TestConversions.h"
#include "word/Format.h"
#include "Word1.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace pellucor::test {
namespace {

using converter::ConverterService;
using word::FileFormat;
using Legacy = converter::LegacyFormat;

struct FormatCase {
    const char* fixture;
    converter::LegacyFormat legacy;
    FileFormat format;
    const char* mimetype = ""; // for packages: what the saved package must say it is
    bool holdsObject = false;  // an embedded object, whose placeholder is a word
};

bool holdsObject(const std::vector<std::string>& words) {
    return std::any_of(words.begin(), words.end(),
                       [](const std::string& word) { return word.rfind('\x01', 0) == 0; });
}

// The document as LibreOffice's own round trip through .docx leaves it.
std::string unchangedRoundTrip(const FormatCase& c, const std::string& input,
                               const std::string& target) {
    converter::LegacyConverter libreOffice(&testConversions());
    libreOffice.saveAs(libreOffice.toDocx(input, readFile(input), c.legacy), c.legacy, target,
                       input);
    return target;
}

void PrintTo(const FormatCase& c, std::ostream* out) {
    *out << c.fixture;
}

std::string caseName(const ::testing::TestParamInfo<FormatCase>& param) {
    std::string name = param.param.fixture;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch)))
            ch = '_';
    return name;
}

class LegacyFormat : public ::testing::TestWithParam<FormatCase> {
protected:
    void SetUp() override {
        if (!libreOfficeInstalled())
            GTEST_SKIP() << "LibreOffice (soffice) is not installed; install "
                            "libreoffice-writer-nogui";
    }
    TempDir dir;
};

std::string mimetypeOf(const std::string& path) {
    for (const PackageEntry& entry : readPackage(path))
        if (entry.name == "mimetype")
            return entry.data;
    return "";
}

TEST_P(LegacyFormat, ChangesOnlyTheSpacesAndKeepsItsFormat) {
    const FormatCase& c = GetParam();
    const std::string input = legacyFixture(c.fixture);
    const unsigned starts = testConversions().starts();
    const std::string output = dir.file(c.fixture);
    const std::vector<std::string> before =
        wordsOfFile(unchangedRoundTrip(c, input, dir.file("unchanged")));
    const int changed =
        tools::runBatchOn(input, output, ".", Word1::Mode::Add, {}, &testConversions())
            .wordsRewritten();
    EXPECT_GT(changed, 0) << "the fixture has no place to change";
    const std::string saved = readFile(output);
    const std::vector<std::string> after = wordsOfFile(output);
    expectOnlySpacesWidened(before, after, changed);
    if (c.format == FileFormat::Html) { // as a page shows two spaces
        EXPECT_NE(saved.find(".&nbsp; "), std::string::npos);
    }
    if (c.holdsObject) {
        const std::vector<std::string> opened = wordsOfFile(input);
        EXPECT_TRUE(holdsObject(opened)) << "the object was lost on the way in";
        EXPECT_TRUE(holdsObject(after)) << "the saved document lost the object";
        ScopedEnv alone("PELLUCOR_CONVERTER", "process");
        EXPECT_EQ(wordsOfFile(input), opened) << "a LibreOffice of its own reads it otherwise";
    }
    EXPECT_EQ(word::sniffFormat(saved), c.format);
    if (*c.mimetype) {
        EXPECT_EQ(mimetypeOf(output), c.mimetype);
    }
    EXPECT_LE(testConversions().starts() - starts, 1u)
        << "the shared LibreOffice was lost and started again";
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, LegacyFormat,
    ::testing::Values(
        FormatCase{"comment.doc", Legacy::Doc, FileFormat::CompoundFile},
        FormatCase{"commented.rtf", Legacy::Rtf, FileFormat::Rtf},
        FormatCase{"revision.doc", Legacy::Doc, FileFormat::CompoundFile},
        FormatCase{"numbering.odt", Legacy::Odt, FileFormat::ZipPackage, word::kOdtMimeType},
        FormatCase{"floating.rtf", Legacy::Rtf, FileFormat::Rtf},
        FormatCase{"word2003.doc", Legacy::Word2003Xml, FileFormat::Word2003Xml},
        FormatCase{"flat.fodt", Legacy::FlatOdt, FileFormat::FlatOdt},
        FormatCase{"export.doc", Legacy::Html, FileFormat::Html},
        FormatCase{"equation.doc", Legacy::Doc, FileFormat::CompoundFile, "", true},
        FormatCase{"equation.rtf", Legacy::Rtf, FileFormat::Rtf, "", true},
        FormatCase{"equation.odt", Legacy::Odt, FileFormat::ZipPackage, word::kOdtMimeType, true},
        // What LibreOffice's own round trip writes otherwise is no fault of the save.
        FormatCase{"contents.doc", Legacy::Doc, FileFormat::CompoundFile},
        FormatCase{"contents.odt", Legacy::Odt, FileFormat::ZipPackage, word::kOdtMimeType}),
    caseName);

// The document with every mark's changes made in one opening: one round trip.
void changeAllAtOnce(const std::string& input, const std::vector<std::string>& marks,
                     const std::string& output) {
    auto app = word::Application::Create(&testConversions());
    word::Document document = app.Documents().Open(input);
    word::WordCollection words = document.Words();
    for (const std::string& mark : marks)
        for (int32_t i = 2; i <= words.Count(); ++i)
            Word1::ChangeSpacing(words, i, mark, Word1::Mode::Add);
    document.SaveAs(output);
    app.Quit();
}

// Three marks cost one conversion each way and give what one round trip with
// their changes together gives: a second trip through LibreOffice lost a
// paragraph's text or empty paragraphs of these.
class LegacyMarks : public LegacyFormat {};

TEST_P(LegacyMarks, ABatchConvertsOnceEachWay) {
    const FormatCase& c = GetParam();
    const std::vector<std::string> marks = {".", "?", "!"};
    const std::string input = dir.file(c.fixture);
    copyFile(legacyFixture(c.fixture), input);
    changeAllAtOnce(input, marks, dir.file("together"));
    ScriptedServices scripted;
    scripted.window.files = {input};
    for (const std::string& mark : marks)
        scripted.window.marks.push_back({mark, true});
    scripted.window.option1 = scripted.window.option3 = true;
    scripted.window.text2 = dir.file("out");
    std::filesystem::create_directory(scripted.window.text2);

    const unsigned long conversions = converter::LegacyConverter::conversionCount();
    const BatchOutcome outcome = RunBatch(scripted.services);

    EXPECT_EQ(converter::LegacyConverter::conversionCount() - conversions, 2u);
    ASSERT_EQ(outcome.documents.size(), 1u);
    EXPECT_EQ(outcome.documents[0].result(), MarkOutcome::Result::Changed);
    EXPECT_EQ(wordsOfFile(dir.file("out/") + c.fixture), wordsOfFile(dir.file("together")));
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, LegacyMarks,
    ::testing::Values(FormatCase{"word2003.doc", Legacy::Word2003Xml, FileFormat::Word2003Xml},
                      FormatCase{"flat.fodt", Legacy::FlatOdt, FileFormat::FlatOdt}),
    caseName);

// A picture whose bytes say what it is, to find it in a document it was
// pulled into.
const std::string
    kLocalPicture("\211PNG\015\012\032\012\000\000\000\015IHDR\000\000\000\001\000\000\000\001\010"
                  "\002\000\000\000\220wS\336\000\000\000\036tEXtComment\000pellucor local "
                  "picture="
                  "\311\311\343\000\000\000\014IDATx\234c\370\317\300\000\000\003\001\001\000\311"
                  "\376\222\357\000\000\000\000IEND\256B`\202",
                  111);

// Pictures linked from the web, from beside the document and by absolute
// path, and a link to a page beside it; @DIR@ stands for the document's
// folder and @PORT@ for the port of the listener.
const char* kLinkedText = R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" xmlns:xlink="http://www.w3.org/1999/xlink" xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.text"><office:body><office:text>
<text:p>It ends here. Next one starts. <text:a xlink:type="simple" xlink:href="other.html">Another page</text:a></text:p>
<text:p><draw:frame draw:name="Web" text:anchor-type="as-char" svg:width="1cm" svg:height="1cm"><draw:image xlink:href="http://127.0.0.1:@PORT@/web.png" xlink:type="simple"/></draw:frame><draw:frame draw:name="Beside" text:anchor-type="as-char" svg:width="1cm" svg:height="1cm"><draw:image xlink:href="images/logo.png" xlink:type="simple"/></draw:frame><draw:frame draw:name="Local" text:anchor-type="as-char" svg:width="1cm" svg:height="1cm"><draw:image xlink:href="file://@DIR@/local.png" xlink:type="simple"/></draw:frame></text:p>
</office:text></office:body></office:document>
)";

const char* kLinkedPage =
    R"(<html><head>@HEAD@<link rel="stylesheet" href="http://127.0.0.1:@PORT@/style.css">
<link rel="stylesheet" href="file://@DIR@/local.css"><title>Linked</title></head>
<body background="http://127.0.0.1:@PORT@/back.png">@BODY@<p>It ends here. Next one starts. <a href="other.html">Another page</a> <a href="/usr/share/doc/pellucor-elsewhere.html">elsewhere</a></p>
<p><img src="http://127.0.0.1:@PORT@/web.png" width="10" height="10"><img src="images/logo.png" width="10" height="10"><img src="file://@DIR@/local.png" width="10" height="10"></p></body></html>
)";

struct LinkCase {
    const char* name;
    const char* madeAs;             // LibreOffice's --convert-to target from the flat text, or ""
    std::vector<std::string> links; // what the saved document still says
    const char* head = "";          // a page's markup put before its own links
    const char* body = "";          // and at the start of its body
};

void PrintTo(const LinkCase& c, std::ostream* out) {
    *out << c.name;
}

std::string filled(std::string text, const std::string& dir, int port, const LinkCase& c = {}) {
    for (const auto& [key, value] : {std::pair<std::string, std::string>{"@HEAD@", c.head},
                                     {"@BODY@", c.body},
                                     {"@DIR@", dir},
                                     {"@PORT@", std::to_string(port)}})
        for (size_t at; (at = text.find(key)) != std::string::npos;)
            text.replace(at, key.size(), value);
    return text;
}

class LegacyLinks : public ::testing::TestWithParam<LinkCase> {
protected:
    void SetUp() override {
        if (!libreOfficeInstalled())
            GTEST_SKIP() << "LibreOffice (soffice) is not installed; install "
                            "libreoffice-writer-nogui";
    }
    std::string make(const LinkCase& c) {
        std::filesystem::create_directories(dir.file("images"));
        writeFile(dir.file("images/logo.png"), kLocalPicture);
        writeFile(dir.file("local.png"), kLocalPicture);
        writeFile(dir.file("local.css"), "p { color: #123456 }");
        writeFile(dir.file("linked.fodt"), filled(kLinkedText, dir.path(), listener.port()));
        writeFile(dir.file(std::string(c.name).ends_with(".html") ? c.name : "linked.html"),
                  filled(kLinkedPage, dir.path(), listener.port(), c));
        if (*c.madeAs) {
            converter::writePrivateProfile(dir.file("profile"));
            convertWithLibreOffice(dir.file("linked.fodt"), c.madeAs, dir.path(),
                                   dir.file("profile"));
        }
        return dir.file(c.name);
    }
    TempDir dir;
    LocalListener listener;
};

// A batch's marks, saved in place and into an output folder, with the shared
// LibreOffice and with one of its own, reach nothing a document links to,
// pull no local file into it, and write its links back as they were: a
// relative link as its text, an absolute one as the place it names.
TEST_P(LegacyLinks, NothingLinkedIsFetchedOrPulledInAndTheLinksStay) {
    const LinkCase& c = GetParam();
    const std::string made = make(c);
    for (const bool inPlace : {true, false})
        for (const char* mode : {"shared", "process"}) {
            ScopedEnv converter("PELLUCOR_CONVERTER", mode);
            const std::string run = mode + std::string(inPlace ? "-in-place-" : "-out-");
            const std::string input = dir.file(run + c.name);
            copyFile(made, input);
            BatchRequest request;
            request.documents = {input};
            request.marks = {".", "?"};
            request.mode = Word1::Mode::Add;
            request.inPlace = [inPlace](size_t) { return inPlace; };
            request.outputFolder = [this](size_t) { return dir.file("out"); };
            std::filesystem::create_directories(dir.file("out"));
            BatchObserver observer;
            ScriptedPrompts prompts;
            platform::EngineAutomation automation(&testConversions());
            const BatchOutcome outcome = RunBatch(request, observer, prompts, automation);
            ASSERT_EQ(outcome.documents.size(), 1u);
            EXPECT_EQ(outcome.documents[0].result(), MarkOutcome::Result::Changed) << run;
            const std::string output = inPlace ? input : dir.file("out/" + run + c.name);
            EXPECT_EQ(outcome.documents[0].output, output) << run;
            EXPECT_EQ(listener.connections(), 0) << run << ": LibreOffice reached for the network";
            std::string saved;
            if (word::sniffFormat(readFile(output)) == FileFormat::ZipPackage)
                for (const PackageEntry& entry : readPackage(output))
                    saved += entry.data;
            else
                saved = readFile(output);
            for (const std::string& link : c.links)
                EXPECT_NE(saved.find(filled(link, dir.path(), listener.port())), std::string::npos)
                    << run << ": " << link;
            EXPECT_EQ(saved.find("pellucor-" + std::to_string(::getpid())), std::string::npos)
                << run << ": a link leads into the private folder";
            EXPECT_EQ(saved.find("pellucor local picture"), std::string::npos) << run;
            EXPECT_EQ(saved.find("123456"), std::string::npos) << run << ": stylesheet pulled in";
        }
}

INSTANTIATE_TEST_SUITE_P(
    Linked, LegacyLinks,
    ::testing::Values(
        LinkCase{"linked.fodt",
                 "",
                 {"\"http://127.0.0.1:@PORT@/web.png\"", "\"images/logo.png\"", "\"other.html\""}},
        LinkCase{
            "linked.odt",
            "odt:writer8",
            {"\"http://127.0.0.1:@PORT@/web.png\"", "\"../images/logo.png\"", "\"../other.html\""}},
        LinkCase{"linked.doc",
                 "doc:MS Word 97",
                 {"http://127.0.0.1:@PORT@/web.png", "file://@DIR@/images/logo.png", "other.html"}},
        LinkCase{"linked.html",
                 "",
                 {"\"http://127.0.0.1:@PORT@/web.png\"", "\"images/logo.png\"", "\"other.html\"",
                  "\"/usr/share/doc/pellucor-elsewhere.html\""}},
        // Markup that hides a stylesheet link from a reader that only looks for "<link".
        LinkCase{"commentInAttribute.html",
                 "",
                 {"\"other.html\""},
                 R"(<meta name="description" content="<!--">)"},
        LinkCase{"commentOpenInBody.html",
                 "",
                 {"\"other.html\""},
                 "",
                 R"(<!-- --!><link rel="stylesheet" href="file://@DIR@/local.css"><!-- -->)"},
        LinkCase{"commentInScript.html",
                 "",
                 {"\"other.html\""},
                 R"(<script>var opened = "<!--";</script>)"},
        LinkCase{"cdata.html",
                 "",
                 {"\"other.html\""},
                 "",
                 R"(<![CDATA[ x ]]><link rel=stylesheet href=file://@DIR@/local.css>)"},
        LinkCase{"upperCase.html",
                 "",
                 {"\"other.html\""},
                 R"(<LINK REL=STYLESHEET HREF=file://@DIR@/local.css>)"},
        LinkCase{"linkInBody.html",
                 "",
                 {"\"other.html\""},
                 "",
                 R"(<link rel="stylesheet" href="file://@DIR@/local.css">)"},
        LinkCase{
            "import.html",
            "",
            {"\"other.html\""},
            R"(<style>@import url("file://@DIR@/local.css"); @IMPORT "file://@DIR@/local.css";</style>)"},
        LinkCase{"escapedImport.html",
                 "",
                 {"\"other.html\""},
                 R"(<style>@\69mport url("file://@DIR@/local.css");</style>)"},
        LinkCase{"linkHeader.html",
                 "",
                 {"\"other.html\""},
                 R"(<meta http-equiv="Link" content="<file://@DIR@/local.css>; rel=stylesheet">)"}),
    [](const ::testing::TestParamInfo<LinkCase>& param) {
        std::string name = param.param.name;
        return name.replace(name.find('.'), 1, "_");
    });

TEST(LegacyServiceFallback, ADocumentTheServiceLosesIsConvertedByAProcessOfItsOwn) {
    if (!libreOfficeInstalled())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed; install libreoffice-writer-nogui";
    TempDir dir;
    // A helper whose LibreOffice is lost on every document.
    writeScript(dir.file("python"), "echo ready\nwhile read line; do\n"
                                    "  case $line in quit*) echo ok; exit 0;; esac\n"
                                    "  printf 'lost\\tBinary URP bridge disposed during call\\n'\n"
                                    "done");
    ScopedEnv python("PELLUCOR_CONVERTER_PYTHON", dir.file("python"));
    testConversions().stop();
    copyFile(std::string(PELLUCOR_CORPUS_DIR) + "/phpword__docCzech.doc", dir.file("a.doc"));
    EXPECT_NO_THROW(tools::runBatchOn(dir.file("a.doc"), dir.file("b.doc"), ".", Word1::Mode::Add,
                                      {}, &testConversions()));
    EXPECT_EQ(word::sniffFormat(readFile(dir.file("b.doc"))), FileFormat::CompoundFile);
    testConversions().stop();
}

} // namespace
} // namespace pellucor::test
