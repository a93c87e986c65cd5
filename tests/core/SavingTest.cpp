// Where the spacing engine saves, and what it does with documents it cannot
// open, change or save: boxes shown, files left alone, instances quit.

#include "base/AtomicFile.h"
#include "base/Waiting.h"
#include "BatchRun.h"
#include "CoreTest.h"
#include "support/ProcessEnv.h"
#include "support/TempDir.h"
#include "Word1.h"

#include <cerrno>
#include <csignal>
#include <sys/stat.h>

namespace pellucor::test {
namespace {

const std::string kPasswordProtection =
    R"(<w:documentProtection w:edit="readOnly" w:enforcement="1" w:hash="c2VjcmV0" w:salt="AAAA"/>)";
const std::string kPlainProtection = R"(<w:documentProtection w:edit="forms" w:enforcement="1"/>)";

// Folder texts and the path the result gets, both relative to the scratch
// folder; "//" in front asks for a network-style path.
struct OutputPathCase {
    std::string name;
    std::string folder;
    std::string expected;
};

std::ostream& operator<<(std::ostream& out, const OutputPathCase& c) {
    return out << c.name;
}

class OutputPath : public CoreTest, public ::testing::WithParamInterface<OutputPathCase> {
protected:
    std::string absolute(const std::string& relative) const {
        return relative.starts_with("//") ? "/" + dir.file(relative.substr(2)) : dir.file(relative);
    }
};

TEST_P(OutputPath, IsTheFolderAndTheFileName) {
    std::string path = source("a.docx", "It ends. Next");
    saveToFolder(absolute(GetParam().folder));

    Word1::DoIt(path, ".", Word1::Mode::Add, services);

    EXPECT_EQ(path, absolute(GetParam().expected));
    EXPECT_EQ(prompts.texts(), std::vector<std::string>{});
    EXPECT_EQ(outEntries(), std::vector<std::string>{"a.docx"});
    EXPECT_EQ(textOf(out() + "/a.docx"), "It ends.  Next\r");
}

INSTANTIATE_TEST_SUITE_P(
    DoIt, OutputPath,
    ::testing::Values(OutputPathCase{"PlainFolder", "out", "out/a.docx"},
                      OutputPathCase{"TrailingSeparator", "out/", "out/a.docx"},
                      OutputPathCase{"DoubledSeparatorInside", "in//../out", "in/../out/a.docx"},
                      OutputPathCase{"TwoLeadingSeparatorsKept", "//out", "//out/a.docx"}),
    [](const auto& test) { return test.param.name; });

TEST_F(CoreTest, SavingInTheOriginalFolderReplacesTheSource) {
    std::string path = source("a.docx", "It ends. Next");
    const std::string before = path;
    saveOverOriginal();
    window.text2 = out(); // not looked at

    Word1::DoIt(path, ".", Word1::Mode::Add, services);

    EXPECT_EQ(path, before) << "the path must stay the source's";
    EXPECT_EQ(textOf(before), "It ends.  Next\r");
    EXPECT_EQ(outEntries(), std::vector<std::string>{});
}

// A document named through a link is saved over the file the link names,
// beside that file; the link stays a link.
TEST_F(CoreTest, SavingInTheOriginalFolderThroughALinkReplacesTheFileItNames) {
    const std::string target = source("a.docx", "It ends. Next");
    std::filesystem::create_symlink("in/a.docx", dir.file("link.docx"));
    std::string path = dir.file("link.docx");
    saveOverOriginal();

    Word1::DoIt(path, ".", Word1::Mode::Add, services);

    EXPECT_EQ(prompts.texts(), std::vector<std::string>{});
    EXPECT_TRUE(samePlace(path, target)) << "the next mark must open the file itself: " << path;
    EXPECT_EQ(textOf(target), "It ends.  Next\r");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.docx")));
}

TEST_F(CoreTest, FramesGoAndAFloatingTableStaysWithoutWrapping) {
    std::string path = source("a.docx", DocxBuilder(framedP("Framed line.") + textP("Body") +
                                                    floatingTbl("Floating text")));
    saveToFolder(out());

    Word1::DoIt(path, ".", Word1::Mode::Add, services);

    EXPECT_EQ(prompts.texts(), std::vector<std::string>{});
    word::Application app = word::Application::Create();
    EXPECT_EQ(app.Documents().Open(path).Frames().Count(), 0) << "frames left in " << path;
    app.Quit();
    EXPECT_EQ(textOf(path), "Framed line.\rBody\rFloating text\r");
    std::string xml;
    for (const auto& entry : readPackage(path))
        if (entry.name == "word/document.xml")
            xml = entry.data;
    EXPECT_NE(xml.find("<w:tbl>"), std::string::npos) << "the table must stay:\n" << xml;
    EXPECT_EQ(xml.find("w:tblpPr"), std::string::npos) << "the table must not float:\n" << xml;
    EXPECT_EQ(xml.find("w:framePr"), std::string::npos) << "a frame is left:\n" << xml;
}

struct UnopenableCase {
    std::string name;
    std::string bytes; // empty: no file at all
};

std::ostream& operator<<(std::ostream& out, const UnopenableCase& c) {
    return out << c.name;
}

class Unopenable : public CoreTest, public ::testing::WithParamInterface<UnopenableCase> {};

TEST_P(Unopenable, GivesOneReportAtTheOpenAndNoFile) {
    std::string path = in() + "/bad.docx";
    if (!GetParam().bytes.empty())
        writeFile(path, GetParam().bytes);
    const std::string expected =
        reportText(engineErrorOf([&](word::Application& app) { app.Documents().Open(path); }),
                   kDoItLocation, 3);
    saveToFolder(out());

    Word1::DoIt(path, ".", Word1::Mode::Add, services);

    ASSERT_EQ(prompts.boxes.size(), 1u) << "exactly one box, the open's";
    EXPECT_EQ(prompts.boxes[0].text, expected);
    EXPECT_EQ(prompts.boxes[0].title, "Application Error");
    EXPECT_EQ(prompts.boxes[0].icon, platform::Icon::Warning);
    EXPECT_EQ(prompts.boxes[0].buttons, platform::Buttons::OK);
    EXPECT_EQ(path, in() + "/bad.docx") << "the path must stay as it was";
    EXPECT_EQ(outEntries(), std::vector<std::string>{});
    EXPECT_EQ(window.progressValues, std::vector<double>{});
    EXPECT_EQ(automation.instancesLeftRunning(), 0);
}

INSTANTIATE_TEST_SUITE_P(DoIt, Unopenable,
                         ::testing::Values(UnopenableCase{"MissingFile", ""},
                                           UnopenableCase{"BinaryJunk",
                                                          std::string("\x7F"
                                                                      "ELF\x02\x01\0\0",
                                                                      8)},
                                           UnopenableCase{"TruncatedZip", "PK\x03\x04\x14\x00"}),
                         [](const auto& test) { return test.param.name; });

TEST_F(CoreTest, EngineThatCannotStartIsReportedAtEachStepAndSavesNothing) {
    std::string path = source("a.docx", "It ends. Next");
    const std::string original = readFile(path);
    saveToFolder(out());
    automation.failCreation("The engine is not installed.");

    Word1::DoIt(path, ".", Word1::Mode::Add, services);

    EXPECT_EQ(reportedLines(prompts), (std::vector<int>{1, 2, 3, 10}))
        << "create, alerts, open and quit fail in turn";
    EXPECT_EQ(prompts.errorReports().size(), prompts.boxes.size()) << "no protection message";
    ASSERT_FALSE(prompts.boxes.empty());
    EXPECT_EQ(prompts.boxes[0].text, reportText("The engine is not installed.", kDoItLocation, 1));
    EXPECT_EQ(path, in() + "/a.docx");
    EXPECT_EQ(outEntries(), std::vector<std::string>{});
    EXPECT_EQ(readFile(path), original);
}

TEST_F(CoreTest, PasswordProtectedDocumentIsNamedAndSkippedEachPass) {
    std::string path =
        source("locked.docx", DocxBuilder(textP("It ends. Next")).settings(kPasswordProtection));
    const std::string original = readFile(path);
    saveToFolder(out());

    Word1::DoIt(path, ".", Word1::Mode::Add, services);
    Word1::DoIt(path, "?", Word1::Mode::Add, services);

    const std::string message =
        "locked.docx is protected. \r\n\r\nPlease remove read-only protection";
    ASSERT_EQ(prompts.texts(), (std::vector<std::string>{message, message}));
    EXPECT_EQ(prompts.boxes[0].icon, platform::Icon::None);
    EXPECT_EQ(prompts.boxes[0].title, "");
    EXPECT_EQ(prompts.boxes[0].buttons, platform::Buttons::OK);
    EXPECT_EQ(path, in() + "/locked.docx") << "a skipped pass must leave the path alone";
    EXPECT_EQ(outEntries(), std::vector<std::string>{});
    EXPECT_EQ(readFile(path), original);
    EXPECT_EQ(window.progressValues, std::vector<double>{});
    EXPECT_EQ(automation.instancesLeftRunning(), 0);
}

// The window shows a name escaped: in the bar, the protection box and the
// list of clashing files.
TEST_F(CoreTest, TheWindowShowsOddNamesEscaped) {
    std::filesystem::create_directory(in() + "/sub");
    window.files = {
        source("new\nline.docx", DocxBuilder(textP("x")).settings(kPasswordProtection))};
    window.marks = {{".", true}};
    saveToFolder(out());
    RunBatch(services);
    window.files.push_back(source("sub/new\nline.docx", "x"));
    RunBatch(services);

    EXPECT_EQ(window.progressTexts.at(0), "Processing: new\\nline.docx");
    EXPECT_EQ(prompts.texts().at(0),
              "new\\nline.docx is protected. \r\n\r\nPlease remove read-only protection");
    EXPECT_NE(prompts.texts().at(2).find(in() + "/new\\nline.docx\r\n" + in() +
                                         "/sub/new\\nline.docx\r\n"),
              std::string::npos);
}

TEST_F(CoreTest, ProtectionWithoutPasswordIsRemovedSilently) {
    std::string path =
        source("forms.docx", DocxBuilder(textP("It ends. Next")).settings(kPlainProtection));
    saveToFolder(out());

    Word1::DoIt(path, ".", Word1::Mode::Add, services);

    EXPECT_EQ(prompts.texts(), std::vector<std::string>{});
    EXPECT_EQ(textOf(path), "It ends.  Next\r");
    word::Application app = word::Application::Create();
    EXPECT_EQ(app.Documents().Open(path).ProtectionType(), -1) << "still protected: " << path;
    app.Quit();
}

// A save that fails is reported at its line and the instance is still quit.
class FailingSave : public CoreTest {
protected:
    void expectReportedSaveFailure(const std::string& from, const std::string& target) {
        std::string path = from;
        Word1::DoIt(path, ".", Word1::Mode::Add, services);

        // The engine's own words for saving there.
        const std::string description = engineErrorOf(
            [&](word::Application& app) { app.Documents().Open(from).SaveAs(target); });
        EXPECT_EQ(prompts.texts(),
                  std::vector<std::string>{reportText(description, kDoItLocation, 9)});
        EXPECT_TRUE(samePlace(path, from)) << "a save that failed changed the path: " << path;
        EXPECT_EQ(automation.creationAttempts(), 1);
        EXPECT_EQ(automation.instancesLeftRunning(), 0) << "the instance must be quit";
    }
};

TEST_F(FailingSave, MissingOutputFolder) {
    std::string path = source("a.docx", "It ends. Next");
    saveToFolder(dir.file("missing"));
    expectReportedSaveFailure(path, dir.file("missing") + "/a.docx");
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
}

TEST_F(FailingSave, ReadOnlyTargetInTheOutputFolder) {
    std::string path = source("a.docx", "It ends. Next");
    writeFile(out() + "/a.docx", "kept");
    ASSERT_EQ(::chmod((out() + "/a.docx").c_str(), 0444), 0);
    saveToFolder(out());
    expectReportedSaveFailure(path, out() + "/a.docx");
    EXPECT_EQ(readFile(out() + "/a.docx"), "kept");
}

TEST_F(FailingSave, ReadOnlySource) {
    std::string path = source("a.docx", "It ends. Next");
    const std::string original = readFile(path);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    saveOverOriginal();
    expectReportedSaveFailure(path, path);
    EXPECT_EQ(readFile(path), original);
}

// A document that goes through LibreOffice is written once, after its last
// mark. When that conversion fails, the document failed, no mark names an
// output, one box tells it and nothing is written: in place the original
// stays. A stand-in LibreOffice makes the .docx and fails the way back.
class FailingConversionBack : public CoreTest, public ::testing::WithParamInterface<bool> {
protected:
    FailingConversionBack() {
        std::filesystem::create_directories(dir.file("bin"));
        DocxBuilder(textP("It ends. is it? yes")).write(dir.file("made.docx"));
        writeScript(dir.file("bin/soffice"),
                    "while [ $# -gt 0 ]; do\n"
                    "  case $1 in --convert-to) to=$2;; --outdir) out=$2;; esac\n"
                    "  shift\n"
                    "done\n"
                    "case $to in docx:*) exec /bin/cp " +
                        dir.file("made.docx") +
                        " \"$out/document.docx\";; esac\n"
                        "echo 'Error: export failed'\nexit 1");
    }
    ScopedEnv converter{"PELLUCOR_CONVERTER", "process"};
    ScopedEnv path{"PATH", dir.file("bin")};
};

TEST_P(FailingConversionBack, FailsTheDocumentOnceAndWritesNothing) {
    const std::string rtf = in() + "/a.rtf";
    writeFile(rtf, "{\\rtf1 It ends. Next? yes}");
    GetParam() ? saveOverOriginal() : saveToFolder(out());
    window.files = {rtf};
    window.marks = {{".", true}, {"?", true}};
    window.option1 = true;

    const BatchOutcome outcome = RunBatch(services);

    ASSERT_EQ(outcome.documents.size(), 1u);
    const DocumentOutcome& document = outcome.documents[0];
    EXPECT_EQ(document.result(), MarkOutcome::Result::Failed);
    EXPECT_EQ(document.wordsRewritten(), 2);
    for (const MarkOutcome& mark : document.marks)
        EXPECT_EQ(mark.savedTo, "") << "mark " << mark.mark;
    EXPECT_EQ(reportedLines(prompts), std::vector<int>{9}) << "one box, for the one save";
    ASSERT_EQ(document.marks.back().failures.size(), 1u);
    const std::string failure = document.marks.back().failures[0].description;
    EXPECT_NE(failure.find("export failed"), std::string::npos) << failure;
    EXPECT_NE(failure.find("a.rtf"), std::string::npos) << failure;
    EXPECT_EQ(readFile(rtf), "{\\rtf1 It ends. Next? yes}");
    EXPECT_EQ(outEntries(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Batch, FailingConversionBack, ::testing::Values(true, false),
                         [](const auto& test) { return test.param ? "InPlace" : "ToFolder"; });

// The renames of atomic saves, the n-th of which fails as a lost device would.
struct FailingRename {
    static inline int at = 0;
    static inline int count = 0;
    static int rename(int folder, const char* from, const char* to) {
        if (++count == at) {
            errno = EIO;
            return -1;
        }
        return systemFileOps().rename(folder, from, to);
    }
};

// What a document's marks leave when one of them fails or the run is asked
// to stop: a mark opens only the source or what this run saved, and a stop
// lets the document in hand end whole, all its marks made or none.
struct MarksEndCase {
    const char* name;
    bool inPlace;
    int failedRename;  // 0: none fails
    bool stopAtSecond; // SIGINT while the second mark walks
    const char* text;  // of the result, or of the source when nothing is left
    MarkOutcome::Result result;
    bool output; // the outcome names the file as holding the result
};

class MarksEnd : public CoreTest, public ::testing::WithParamInterface<MarksEndCase> {
protected:
    ~MarksEnd() override {
        setFileOpsForTesting(nullptr);
        requestStop(0);
    }
    FileOps m_ops{systemFileOps().write, systemFileOps().fsync, FailingRename::rename};
};

TEST_P(MarksEnd, LeaveTheFileAndTheOutcomeAgreeing) {
    const MarksEndCase& c = GetParam();
    const std::string a = source("a.docx", "It ends. is it? yes! no");
    const std::string b = source("b.docx", "It ends. is it? yes! no");
    const std::string before = readFile(b);
    // What an earlier run left where this one saves.
    DocxBuilder(textP("Stale.  From before?  Yes")).write(out() + "/a.docx");
    c.inPlace ? saveOverOriginal() : saveToFolder(out());
    window.files = {a, b};
    window.marks = {{".", true}, {"?", true}, {"!", true}};
    window.option1 = true;
    window.onDoEvents = [&] {
        if (c.stopAtSecond && automation.created().size() == 2)
            requestStop(SIGINT);
    };
    FailingRename::at = c.failedRename;
    FailingRename::count = 0;
    setFileOpsForTesting(&m_ops);

    const BatchOutcome outcome = RunBatch(services);

    setFileOpsForTesting(nullptr);
    const std::string result = c.inPlace ? a : out() + "/a.docx";
    ASSERT_EQ(outcome.documents.size(), 2u);
    EXPECT_EQ(textOf(result), c.text);
    EXPECT_EQ(outcome.documents[0].result(), c.result);
    EXPECT_EQ(outcome.documents[0].output, c.output ? result : "");
    if (c.stopAtSecond) {
        EXPECT_EQ(outcome.documents[1].result(), MarkOutcome::Result::NotProcessed);
        EXPECT_TRUE(readFile(b) == before);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Batch, MarksEnd,
    ::testing::Values(
        MarksEndCase{"AStaleOutputIsNeverTakenUpAfterAFailedFirstMark", false, 1, false,
                     "It ends. is it?  yes!  no\r", MarkOutcome::Result::Failed, true},
        MarksEndCase{"AFailedFirstMarkInPlaceLeavesTheOthers", true, 1, false,
                     "It ends. is it?  yes!  no\r", MarkOutcome::Result::Failed, true},
        MarksEndCase{"AStopLetsTheDocumentInHandTakeEveryMark", true, 0, true,
                     "It ends.  is it?  yes!  no\r", MarkOutcome::Result::Changed, true},
        MarksEndCase{"AStopLetsTheDocumentInHandTakeEveryMarkInTheFolder", false, 0, true,
                     "It ends.  is it?  yes!  no\r", MarkOutcome::Result::Changed, true},
        MarksEndCase{"AMarkFailingAfterAStopPutsTheDocumentBack", true, 3, true,
                     "It ends. is it? yes! no\r", MarkOutcome::Result::Failed, false}),
    [](const auto& test) { return std::string(test.param.name); });

} // namespace
} // namespace pellucor::test
