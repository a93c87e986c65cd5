// Documents that the shared LibreOffice used to lose (comments, tracked
// changes, numbered lists, floating pictures) and one document of each format
// that reaches the engine only through LibreOffice, named as web applications
// and old programs name them: each is changed as the spacing oracle says,
// saved in its own format with the words of LibreOffice's own round trip of
// the unchanged document (no object or paragraph more or less), and costs
// the shared LibreOffice no restart.
// A batch's marks work on the one .docx LibreOffice made of a document.
// Deterministic failures of the service fall back to a process of its own.
#include "BatchRun.h"
#include "converter/ConverterService.h"
#include "converter/LegacyConverter.h"
#include "LegacyFixtures.h"
#include "LegacySupport.h"
#include "SpacingWalk.h"
#include "support/ScriptedServices.h"
#include "support/TempDir.h"
#include "word/Format.h"
#include "Word1.h"

#include <filesystem>
#include <gtest/gtest.h>

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
};

// HTML reads every run of spaces as one: the two spaces are in the saved
// file, and read back as one.
bool collapsesSpaces(const FormatCase& c) {
    return c.format == FileFormat::Html;
}

// The document as LibreOffice's own round trip through .docx leaves it.
std::string unchangedRoundTrip(const FormatCase& c, const std::string& input,
                               const std::string& target) {
    converter::LegacyConverter libreOffice;
    libreOffice.saveAs(libreOffice.toDocx(input, readFile(input), c.legacy), c.legacy, target);
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
    const unsigned starts = ConverterService::instance().starts();
    const std::string output = dir.file(c.fixture);
    const std::vector<std::string> before =
        wordsOfFile(unchangedRoundTrip(c, input, dir.file("unchanged")));
    const int changed = tools::walkDocument(input, output, ".", 1).changed;
    EXPECT_GT(changed, 0) << "the fixture has no place to change";
    const std::string saved = readFile(output);
    if (collapsesSpaces(c)) {
        EXPECT_EQ(wordsOfFile(output), before);
        EXPECT_NE(saved.find(".  "), std::string::npos);
    } else {
        expectOnlySpacesWidened(before, wordsOfFile(output), changed);
    }
    EXPECT_EQ(word::sniffFormat(saved), c.format);
    if (*c.mimetype) {
        EXPECT_EQ(mimetypeOf(output), c.mimetype);
    }
    EXPECT_LE(ConverterService::instance().starts() - starts, 1u)
        << "the shared LibreOffice was lost and started again";
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, LegacyFormat,
    ::testing::Values(FormatCase{"comment.doc", Legacy::Doc, FileFormat::CompoundFile},
                      FormatCase{"commented.rtf", Legacy::Rtf, FileFormat::Rtf},
                      FormatCase{"revision.doc", Legacy::Doc, FileFormat::CompoundFile},
                      FormatCase{"numbering.odt", Legacy::Odt, FileFormat::ZipPackage,
                                 word::kOdtMimeType},
                      FormatCase{"floating.rtf", Legacy::Rtf, FileFormat::Rtf},
                      FormatCase{"word2003.doc", Legacy::Word2003Xml, FileFormat::Word2003Xml},
                      FormatCase{"flat.fodt", Legacy::FlatOdt, FileFormat::FlatOdt},
                      FormatCase{"export.doc", Legacy::Html, FileFormat::Html}),
    caseName);

// The document with every mark's changes made in one opening: one round trip.
void changeAllAtOnce(const std::string& input, const std::vector<std::string>& marks,
                     const std::string& output) {
    auto app = word::Application::Create();
    word::Document document = app.Documents().Open(input);
    word::WordCollection words = document.Words();
    for (const std::string& mark : marks)
        for (int32_t i = 2; i <= words.Count(); ++i)
            Word1::ChangeSpacing(words, i, mark, Word1::ModeAdd);
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
    ConverterService::instance().stop();
    copyFile(std::string(PELLUCOR_CORPUS_DIR) + "/phpword__docCzech.doc", dir.file("a.doc"));
    EXPECT_NO_THROW(tools::walkDocument(dir.file("a.doc"), dir.file("b.doc"), ".", 1));
    EXPECT_EQ(word::sniffFormat(readFile(dir.file("b.doc"))), FileFormat::CompoundFile);
    ConverterService::instance().stop();
}

} // namespace
} // namespace pellucor::test
