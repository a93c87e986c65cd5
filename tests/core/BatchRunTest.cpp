// "Start Changing" through a scripted window: the checks before a run, the
// order of passes, the progress display, and clicks that arrive meanwhile.

#include "BatchRun.h"

#include "base/PathHelpers.h"
#include "CoreTest.h"
#include "word/MemoryBudget.h"
#include "Word1.h"

#include <functional>
#include <map>
#include <stdexcept>

namespace pellucor::test {
namespace {

using platform::Answer;

class BatchRun : public CoreTest {
protected:
    BatchRun() {
        window.marks = {{".", true}, {"?", true}};
        window.option1 = true;
        saveToFolder(out());
    }

    void addFile(const std::string& name, const std::string& text) {
        window.files.push_back(source(name, text));
    }
    void click() { RunBatch(services); }

    // What each pass opened, "path|text", seen at its first word.
    void recordOpenedDocuments() {
        window.onDoEvents = [this] {
            if (automation.created().size() == m_seen)
                return;
            try {
                word::Document document = automation.created().back().ActiveDocument();
                std::string text;
                for (int32_t i = 1, n = document.Words().Count(); i <= n; ++i)
                    text += document.Words()(i).Text();
                // Spelled plainly: how the output path is spelled is not this test's concern.
                std::filesystem::path name = document.FullName();
                opened.push_back(name.lexically_normal().string() + "|" + text);
                m_seen = automation.created().size();
            } catch (const Error&) {
                // between passes: the last instance is quit
            }
        };
    }

    // What a run returns, document by document, beside the boxes the user
    // sees, for a table of documents; runBatch runs them.
    void expectOutcomeTable(const std::function<BatchOutcome()>& runBatch);

    std::vector<std::string> opened;

private:
    size_t m_seen = 0;
};

TEST_F(BatchRun, ClickDuringARunDoesNothing) {
    addFile("a.docx", "It ends. Next");
    addFile("b.docx", "It ends. Next");
    int clicks = 0;
    bool clicking = false;
    window.onDoEvents = [&] {
        if (clicking)
            return; // a broken guard must show as a second run, not as endless recursion
        clicking = true;
        ++clicks;
        click();
        clicking = false;
    };

    click();

    EXPECT_GT(clicks, 2);
    EXPECT_EQ(prompts.texts(), std::vector<std::string>{"Done."}) << "one run, one Done.";
    EXPECT_EQ(automation.creationAttempts(), 4) << "two files, two marks";
    EXPECT_EQ(
        window.progressTexts,
        (std::vector<std::string>{"Processing: a.docx", "Processing: b.docx", "Progress Bar"}));
    EXPECT_FALSE(window.batchRunning);
}

TEST_F(BatchRun, EmptyListIsReportedAndTheNextClickWorks) {
    click();

    EXPECT_EQ(prompts.texts(), std::vector<std::string>{"No files added."});
    EXPECT_EQ(prompts.boxes[0].title, "");
    EXPECT_EQ(prompts.boxes[0].icon, platform::Icon::None);
    EXPECT_FALSE(window.batchRunning);
    EXPECT_EQ(window.pointerChanges, std::vector<int>{}) << "an early return leaves the pointer";
    EXPECT_EQ(window.progressTexts, std::vector<std::string>{});

    addFile("a.docx", "It ends. Next");
    click();

    EXPECT_EQ(prompts.texts(), (std::vector<std::string>{"No files added.", "Done."}));
    EXPECT_EQ(textOf(out() + "/a.docx"), "It ends.  Next\r");
    EXPECT_FALSE(window.batchRunning);
}

TEST_F(BatchRun, MissingOutputFolderIsReportedAndNothingRuns) {
    addFile("a.docx", "It ends. Next");
    for (const std::string& folder : {dir.file("missing"), std::string(), window.files[0]}) {
        SCOPED_TRACE("folder text \"" + folder + "\"");
        prompts.boxes.clear();
        window.text2 = folder;

        click();

        EXPECT_EQ(prompts.texts(),
                  std::vector<std::string>{"Folder does not exist. Please select another folder."});
        EXPECT_FALSE(window.batchRunning);
    }
    EXPECT_EQ(automation.creationAttempts(), 0);
    EXPECT_EQ(window.pointerChanges, std::vector<int>{}) << "an early return leaves the pointer";
    EXPECT_EQ(window.progressValues, std::vector<double>{});
}

TEST_F(BatchRun, SavingOverTheOriginalDoesNotLookAtTheFolder) {
    addFile("a.docx", "It ends. Next");
    saveOverOriginal();
    window.text2 = dir.file("missing");

    click();

    EXPECT_EQ(prompts.texts(), std::vector<std::string>{"Done."});
    EXPECT_EQ(window.text2Reads, 0) << "the folder text must not be looked at";
    EXPECT_EQ(textOf(window.files[0]), "It ends.  Next\r");
}

TEST_F(BatchRun, EachFileGetsEachTickedMarkInListOrder) {
    addFile("a.docx", "One ends. Then what? yes");
    addFile("b.docx", "Two ends. So what? yes");
    const std::string originalA = readFile(window.files[0]);
    recordOpenedDocuments();

    click();

    EXPECT_EQ(opened, (std::vector<std::string>{
                          in() + "/a.docx|One ends. Then what? yes\r",
                          out() + "/a.docx|One ends.  Then what? yes\r",
                          in() + "/b.docx|Two ends. So what? yes\r",
                          out() + "/b.docx|Two ends.  So what? yes\r",
                      }));
    EXPECT_EQ(textOf(out() + "/a.docx"), "One ends.  Then what?  yes\r");
    EXPECT_EQ(textOf(out() + "/b.docx"), "Two ends.  So what?  yes\r");
    EXPECT_EQ(readFile(window.files[0]), originalA) << "the source must stay untouched";
    EXPECT_EQ(window.files, (std::vector<std::string>{in() + "/a.docx", in() + "/b.docx"}))
        << "the list must look the same afterwards";
}

struct ModeCase {
    std::string name;
    bool option1;
    bool option2;
    std::string text;
    std::string expected;
};

std::ostream& operator<<(std::ostream& out, const ModeCase& c) {
    return out << c.name;
}

class ModeFromOptions : public BatchRun, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(ModeFromOptions, DecidesTheChange) {
    window.option1 = GetParam().option1;
    window.option2 = GetParam().option2;
    addFile("a.docx", GetParam().text);

    click();

    EXPECT_EQ(textOf(out() + "/a.docx"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    RunBatch, ModeFromOptions,
    ::testing::Values(ModeCase{"Add", true, false, "a. b.  c", "a.  b.  c\r"},
                      ModeCase{"Remove", false, true, "a. b.  c", "a. b. c\r"},
                      ModeCase{"AddWinsOverRemove", true, true, "a. b.  c", "a.  b.  c\r"},
                      ModeCase{"NeitherChangesNothing", false, false, "a. b.  c", "a. b.  c\r"}),
    [](const auto& test) { return test.param.name; });

TEST_F(BatchRun, BarShowsEachFilesShareBeforeIt) {
    for (const char* name : {"f1.docx", "f2.docx", "f3.docx", "f4.docx"})
        addFile(name, "It ends. Next");
    window.marks = {{".", true}};

    click();

    EXPECT_EQ(
        window.progressTexts,
        (std::vector<std::string>{"Processing: f1.docx", "Processing: f2.docx",
                                  "Processing: f3.docx", "Processing: f4.docx", "Progress Bar"}));
    EXPECT_EQ(window.valueWhenTextSet, (std::vector<double>{25, 50, 75, 100, 0}));
    const int32_t words = wordCountOf(out() + "/f1.docx");
    EXPECT_EQ(window.progressValues.size(), 4u * (words + 1) + 1)
        << "each file's share is overwritten by its words' values";
}

TEST_F(BatchRun, FilesAddedDuringARunCountButAreNotProcessed) {
    addFile("a.docx", "x");
    addFile("b.docx", "x");
    window.marks = {};
    window.onDoEvents = [&] {
        if (window.files.size() == 2)
            window.files.push_back(in() + "/dropped.docx");
    };

    click();

    EXPECT_EQ(window.valueWhenTextSet, (std::vector<double>{50, 66, 0}));
    EXPECT_EQ(
        window.progressTexts,
        (std::vector<std::string>{"Processing: a.docx", "Processing: b.docx", "Progress Bar"}));
}

TEST_F(BatchRun, NoTickedMarkWalksTheListWithoutOpeningAnything) {
    addFile("a.docx", "It ends. Next");
    addFile("b.docx", "It ends. Next");
    window.marks = {{".", false}, {"?", false}};
    const std::string original = readFile(window.files[0]);

    click();

    EXPECT_EQ(prompts.texts(), std::vector<std::string>{"Done."});
    EXPECT_EQ(automation.creationAttempts(), 0);
    EXPECT_EQ(outEntries(), std::vector<std::string>{});
    EXPECT_EQ(readFile(window.files[0]), original);
    EXPECT_EQ(window.progressTexts.size(), 3u);
}

TEST_F(BatchRun, DisplayIsAtRestWhenDoneShowsAndBusyWhileWorking) {
    addFile("a.docx", "It ends. Next");
    std::vector<int> pointerWhileWorking;
    window.onDoEvents = [&] { pointerWhileWorking.push_back(window.pointer); };
    struct AtDone {
        int pointer = -1;
        double value = -1;
        std::string text;
    } atDone;
    prompts.onBox = [&](const ShownBox& box) {
        if (box.text == "Done.")
            atDone = {window.pointer, window.progressValue, window.progressText};
    };

    click();

    EXPECT_EQ(atDone.pointer, platform::PointerDefault);
    EXPECT_EQ(atDone.value, 0);
    EXPECT_EQ(atDone.text, "Progress Bar");
    EXPECT_FALSE(pointerWhileWorking.empty());
    EXPECT_EQ(pointerWhileWorking,
              std::vector<int>(pointerWhileWorking.size(), platform::PointerHourglass));
    EXPECT_EQ(prompts.boxes.back().buttons, platform::Buttons::OK);
    EXPECT_FALSE(window.batchRunning);
}

TEST_F(BatchRun, OutputFolderChangedDuringARunTakesEffectAtTheNextSave) {
    addFile("a.docx", "It ends. Next");
    addFile("b.docx", "It ends. Next");
    window.marks = {{".", true}};
    const std::string later = dir.file("later");
    std::filesystem::create_directory(later);
    window.onDoEvents = [&] {
        if (window.progressText == "Processing: b.docx")
            window.text2 = later;
    };

    click();

    EXPECT_EQ(outEntries(), std::vector<std::string>{"a.docx"});
    EXPECT_EQ(textOf(later + "/b.docx"), "It ends.  Next\r");
}

TEST_F(BatchRun, DecliningWhenWordIsOpenEndsSilently) {
    addFile("a.docx", "It ends. Next");
    automation.setRunning("Microsoft Word");
    prompts.queue(Answer::No);

    click();

    ASSERT_EQ(prompts.boxes.size(), 1u) << "only the question";
    EXPECT_EQ(prompts.boxes[0].buttons, platform::Buttons::YesNo);
    EXPECT_FALSE(window.batchRunning);
    EXPECT_EQ(automation.creationAttempts(), 0);
    EXPECT_EQ(window.pointerChanges, std::vector<int>{});
    EXPECT_EQ(window.progressTexts, std::vector<std::string>{});
}

TEST_F(BatchRun, AgreeingWhenWordIsOpenGoesOn) {
    addFile("a.docx", "It ends. Next");
    automation.setRunning("Microsoft Word");
    prompts.queue(Answer::Yes);

    click();

    ASSERT_EQ(prompts.boxes.size(), 2u);
    EXPECT_EQ(prompts.boxes[1].text, "Done.");
    EXPECT_EQ(textOf(out() + "/a.docx"), "It ends.  Next\r");
}

TEST_F(BatchRun, FailuresInsideADocumentDoNotStopTheRun) {
    window.files = {in() + "/missing.docx"};
    addFile("b.docx", "It ends. Next");
    window.marks = {{".", true}};

    click();

    EXPECT_EQ(reportedLines(prompts), std::vector<int>{3});
    EXPECT_EQ(prompts.texts().back(), "Done.");
    EXPECT_EQ(textOf(out() + "/b.docx"), "It ends.  Next\r");
    EXPECT_EQ(automation.instancesLeftRunning(), 0);
}

TEST_F(BatchRun, AnErrorEscapingADocumentFailsOnlyThatDocument) {
    window.files = {in() + "/missing.docx"};
    addFile("b.docx", "It ends. Next");
    window.marks = {{".", true}};
    prompts.onBox = [](const ShownBox& box) {
        if (box.title == "Application Error")
            throw std::bad_alloc(); // the error report box itself fails
    };
    BatchOutcome outcome = RunBatch(services);
    ASSERT_EQ(outcome.documents.size(), 2u);
    EXPECT_EQ(outcome.documents[0].marks.at(0).failures.at(0).description, "Out of memory");
    EXPECT_EQ(textOf(out() + "/b.docx"), "It ends.  Next\r");
}

// A request's observer that shows the run's boxes as the window would.
class BoxesOnly : public BatchObserver {
public:
    explicit BoxesOnly(platform::Prompts& prompts) : m_prompts(prompts) {}
    void showBox(const std::string& text) override { m_prompts.MsgBox(text); }

private:
    platform::Prompts& m_prompts;
};

// What a run returns, through the window, and through a request of the same
// files without one.
TEST_F(BatchRun, OutcomeTellsWhatEachDocumentAndMarkMet) {
    expectOutcomeTable([&] { return RunBatch(services); });
}

TEST_F(BatchRun, OutcomeThroughARequestIsTheWindowsOwn) {
    BoxesOnly observer(prompts);
    expectOutcomeTable([&] {
        BatchRequest request;
        request.documents = window.files;
        request.marks = {".", "?"};
        request.mode = Word1::Mode::Add;
        request.inPlace = [](size_t) { return false; };
        request.outputFolder = [&](size_t) { return out(); };
        return RunBatch(request, observer, prompts, automation);
    });
    EXPECT_EQ(window.progressTexts, std::vector<std::string>{}) << "no window takes part";
    EXPECT_EQ(window.pointerChanges, std::vector<int>{});
}

void BatchRun::expectOutcomeTable(const std::function<BatchOutcome()>& runBatch) {
    using Result = MarkOutcome::Result;
    struct Case {
        std::string name;
        std::string text;     // "" writes no document; "damaged" half of one; "<" the body
        std::string settings; // settings.xml children
        Result result;
        int wordsRewritten;
        std::vector<std::string> failures; // the step of each, in order
        bool outputTaken = false;          // a folder stands where the result goes
        Removals removed{};
    };
    std::string longLine;
    while (longLine.size() < 300000)
        longLine += "x. ";
    const std::string locked =
        R"(<w:documentProtection w:edit="readOnly" w:enforcement="1" w:hash="c2VjcmV0"/>)";
    const std::vector<Case> cases{
        {"changed.docx", "It ends. then? Yes", "", Result::Changed, 2, {}},
        {"unchanged.docx", "It ends.  Mr. Smith", "", Result::Unchanged, 0, {}},
        {"protected.docx", "It ends. Next", locked, Result::Protected, 0, {}},
        {"damaged.docx", "damaged", "", Result::Failed, 0, {"open", "open"}},
        {"missing.docx", "", "", Result::Failed, 0, {"open", "open"}},
        // Opened, but its words would take more than the budget allows it:
        // what is left of it is not saved.
        {"too large.docx",
         longLine,
         "",
         Result::Failed,
         0,
         {"count words", "count words", "count words", "count words"}},
        // The next pass opens the source again, not what is in the result's place.
        {"taken.docx", "It ends. Next", "", Result::Failed, 1, {"save", "save"}, true},
        // Removals alone change the saved file, and so the document.
        {"framed.docx",
         framedP("x") + floatingTbl("y") + framedP("z"),
         "",
         Result::Changed,
         0,
         {},
         false,
         {2, 1, false}},
        {"unlocked.docx",
         "x",
         R"(<w:documentProtection w:edit="readOnly" w:enforcement="1"/>)",
         Result::Changed,
         0,
         {},
         false,
         {0, 0, true}},
    };
    for (const Case& c : cases) {
        std::string path = in() + "/" + c.name;
        if (c.text == "damaged") {
            std::string whole = readFile(source(c.name, "It ends. Next"));
            writeFile(path, whole.substr(0, whole.size() / 2));
        } else if (!c.text.empty()) {
            const std::string body = c.text.starts_with("<") ? c.text : textP(c.text);
            source(c.name, DocxBuilder(body).settings(c.settings));
        }
        if (c.outputTaken)
            std::filesystem::create_directories(out() + "/" + c.name);
        window.files.push_back(path);
    }

    word::setMemoryCeilingForTests(1u << 20);
    BatchOutcome outcome = runBatch();
    word::setMemoryCeilingForTests(0);

    EXPECT_EQ(outcome.stop, BatchOutcome::Stop::None);
    EXPECT_TRUE(outcome.runFailures.empty());
    ASSERT_EQ(outcome.documents.size(), cases.size());
    for (size_t k = 0; k < cases.size(); ++k) {
        const Case& c = cases[k];
        const DocumentOutcome& document = outcome.documents[k];
        EXPECT_EQ(document.row, static_cast<int>(k + 1));
        EXPECT_EQ(document.path, window.files[k]);
        EXPECT_EQ(document.result(), c.result) << c.name;
        EXPECT_EQ(document.wordsRewritten(), c.wordsRewritten) << c.name;
        std::map<word::StoryKind, int> stories;
        if (c.wordsRewritten)
            stories[word::StoryKind::Main] = c.wordsRewritten;
        EXPECT_EQ(document.storyChanges(), stories) << c.name;
        EXPECT_EQ(document.removed().frames, c.removed.frames) << c.name;
        EXPECT_EQ(document.removed().tablePositions, c.removed.tablePositions) << c.name;
        EXPECT_EQ(document.removed().protection, c.removed.protection) << c.name;
        ASSERT_EQ(document.marks.size(), 2u) << c.name;
        EXPECT_EQ(document.marks[0].mark, ".");
        EXPECT_EQ(document.marks[1].mark, "?");
        std::vector<std::string> failures;
        for (const MarkOutcome& mark : document.marks)
            for (const Failure& failure : mark.failures) {
                failures.push_back(failure.step);
                EXPECT_NE(failure.number, 0) << c.name;
                EXPECT_NE(failure.description.find(c.name), std::string::npos)
                    << c.name << ": " << failure.description;
            }
        EXPECT_EQ(failures, c.failures) << c.name;
        const bool saved = c.result == Result::Changed || c.result == Result::Unchanged;
        EXPECT_EQ(document.marks[1].savedTo.empty(), !saved) << c.name;
        EXPECT_EQ(std::filesystem::is_regular_file(out() + "/" + c.name), saved) << c.name;
    }
    EXPECT_EQ(outcome.count(Result::Failed), 4u);
    // The boxes are those of any run: one per failed step, one per protected pass, then Done.
    EXPECT_EQ(reportedLines(prompts).size(), 10u);
    EXPECT_EQ(prompts.texts().size(), 13u);
    EXPECT_EQ(prompts.texts().back(), "Done.");
}

// The run's own failures name their steps.
TEST_F(BatchRun, RunFailuresNameTheirSteps) {
    prompts.onBox = [](const ShownBox& box) {
        if (box.text == "No files added." || box.text == "Done.")
            throw std::runtime_error("no box");
    };
    auto steps = [](const BatchOutcome& outcome) {
        std::vector<std::string> named;
        for (const Failure& failure : outcome.runFailures)
            named.push_back(failure.step);
        return named;
    };
    EXPECT_EQ(steps(RunBatch(services)), (std::vector<std::string>{"check the file list"}));
    addFile("a.docx", "It ends. Next");
    EXPECT_EQ(steps(RunBatch(services)), (std::vector<std::string>{"report the end"}));
    // The window's boxes name its handler; a request's run names its caller.
    BatchRequest request;
    request.documents = {window.files[0]};
    request.trapModule = "pellucor-cli";
    request.trapProcedure = "runJobs";
    ui::WindowObserver observer(window, prompts);
    EXPECT_EQ(steps(RunBatch(request, observer, prompts, automation)),
              (std::vector<std::string>{"report the end"}));
    const std::vector<ShownBox> reports = prompts.errorReports();
    ASSERT_EQ(reports.size(), 3u);
    for (size_t k = 0; k < reports.size(); ++k)
        EXPECT_NE(reports[k].text.find(k < 2 ? ".Form1.PushButton7_Click at line "
                                             : ".pellucor-cli.runJobs at line 9"),
                  std::string::npos)
            << reports[k].text;
}

// What a request's observer hears: the documents begun, each pass as it
// ends, how far each walk got, and the end of the run.
class RecordingObserver : public BatchObserver {
public:
    size_t started = 0;
    std::vector<std::string> documents;
    std::vector<std::string> passes;
    double lastProgress = 0;
    std::vector<std::string> ends;

    void runStarted(size_t count) override { started = count; }
    void documentStarted(size_t index, const std::string& path) override {
        documents.push_back(std::to_string(index) + " " + FileNameOf(path));
    }
    void progress(double percent) override { lastProgress = percent; }
    void markDone(size_t index, const MarkOutcome& outcome) override {
        passes.push_back(std::to_string(index) + " " + outcome.mark + " " +
                         resultName(outcome.result()));
    }
    void runEnded(const BatchOutcome& outcome) override {
        ends.push_back("ended " + std::to_string(outcome.documents.size()));
    }
    void showBox(const std::string& text) override { ends.push_back("box " + text); }
};

TEST_F(BatchRun, ARequestTellsItsObserverWhatEachPassDid) {
    BatchRequest request;
    request.documents = {source("a.docx", "It ends. Next"), in() + "/gone.docx",
                         source("c.docx", "So why? no")};
    request.marks = {".", "?"};
    request.mode = Word1::Mode::Add;
    RecordingObserver observer;

    BatchOutcome outcome = RunBatch(request, observer, prompts, automation);

    EXPECT_EQ(observer.started, 3u);
    EXPECT_EQ(observer.documents,
              (std::vector<std::string>{"0 a.docx", "1 gone.docx", "2 c.docx"}));
    const std::vector<std::string> passes{"0 . changed", "0 ? unchanged", "1 . failed",
                                          "1 ? failed",  "2 . unchanged", "2 ? changed"};
    EXPECT_EQ(observer.passes, passes);
    std::vector<std::string> inOutcome;
    for (size_t k = 0; k < outcome.documents.size(); ++k)
        for (const MarkOutcome& mark : outcome.documents[k].marks)
            inOutcome.push_back(std::to_string(k) + " " + mark.mark + " " +
                                resultName(mark.result()));
    EXPECT_EQ(inOutcome, passes) << "the outcome tells what the observer heard";
    EXPECT_DOUBLE_EQ(observer.lastProgress, 100.0);
    EXPECT_EQ(observer.ends, (std::vector<std::string>{"ended 3", "box Done."}));
    EXPECT_EQ(textOf(request.documents[0]), "It ends.  Next\r") << "saved in place";
    EXPECT_EQ(textOf(request.documents[2]), "So why?  no\r");
    EXPECT_EQ(window.progressTexts, std::vector<std::string>{}) << "no window takes part";
}

TEST_F(BatchRun, OutcomeNamesWhyARunStoppedBeforeTheDocuments) {
    using Stop = BatchOutcome::Stop;
    EXPECT_EQ(RunBatch(services).stop, Stop::NoFiles);

    addFile("a.docx", "It ends. Next");
    window.text2 = in() + "/nowhere";
    EXPECT_EQ(RunBatch(services).stop, Stop::MissingFolder);

    saveToFolder(out());
    std::filesystem::create_directories(in() + "/other");
    window.files.push_back(source("other/a.docx", "It ends. Next"));
    automation.setRunning("Microsoft Word"); // not asked about while a check fails
    ::setenv("PELLUCOR_MEMORY_LIMIT", "100 ", 1);
    EXPECT_EQ(RunBatch(services).stop, Stop::OutputClash) << "found before the memory limit";
    window.files.pop_back();
    EXPECT_EQ(RunBatch(services).stop, Stop::MemoryLimit);
    ::unsetenv("PELLUCOR_MEMORY_LIMIT");
    EXPECT_EQ(prompts.texts().back().rfind("PELLUCOR_MEMORY_LIMIT is \"100 \": give ", 0), 0u)
        << prompts.texts().back();

    prompts.queue(Answer::No);
    EXPECT_EQ(RunBatch(services).stop, Stop::WordProcessorOpen);

    window.batchRunning = true;
    EXPECT_EQ(RunBatch(services).stop, Stop::AlreadyRunning);
    EXPECT_EQ(automation.creationAttempts(), 0);
}

} // namespace
} // namespace pellucor::test
