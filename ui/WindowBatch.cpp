#include "WindowBatch.h"

#include "base/Error.h"
#include "base/PathHelpers.h"
#include "base/ShownName.h"
#include "BatchRun.h"
#include "Messages.h"
#include "PreRunChecks.h"
#include "Word1.h"

namespace pellucor::ui {
namespace {

// The statements of "Start Changing" before the run's own, with the line
// numbers its error report boxes show.
struct WindowSteps {
    static constexpr TrapStep noFilesBox{2, "check the file list"};
    static constexpr TrapStep checkOutputFolder{3, "check the output folder"};
    static constexpr TrapStep lookForWordProcessor{4, "look for a running word processor"};
    static constexpr TrapStep readMode{5, "read the spacing option"};
};

// The paths of the file list as they stand, first row first.
std::vector<std::string> listedFiles(BatchWindow& window) {
    std::vector<std::string> files;
    const int rows = window.FileCount();
    files.reserve(static_cast<size_t>(rows));
    for (int i = 1; i <= rows; ++i)
        files.push_back(window.FileAt(i));
    return files;
}

// The checks before a run, as the controls stand: the folder typed must
// exist unless results are saved beside their originals, and only results
// saved into it can land on each other.
RunPlan planOf(BatchWindow& window) {
    RunPlan plan;
    plan.documents = listedFiles(window);
    if (!window.Option4()) {
        plan.folderToExist = window.Text2();
        if (window.Option3())
            plan.sharedFolder = plan.folderToExist;
    }
    return plan;
}

// What the checks found, in the boxes of the window; false when the run must
// not start, with the reason in outcome.
bool checksPass(WindowServices& services, ErrorTrap& trap, BatchOutcome& outcome) {
    using Stop = BatchOutcome::Stop;
    platform::Prompts& prompts = services.prompts;
    PreRunCheck found;
    trap(WindowSteps::checkOutputFolder,
         [&] { found = checkBeforeRun(planOf(services.window), services.automation); });
    switch (found.stop) {
    case Stop::None:
        return true;
    case Stop::NoFiles:
        trap(WindowSteps::noFilesBox, [&] { prompts.MsgBox(messages::kNoFilesAdded); });
        break;
    case Stop::MissingFolder:
        trap(WindowSteps::checkOutputFolder,
             [&] { prompts.MsgBox(messages::kFolderDoesNotExist); });
        break;
    case Stop::OutputClash:
        trap(WindowSteps::checkOutputFolder,
             [&] { prompts.MsgBox(outputClashText(found.clashes)); });
        break;
    case Stop::MemoryLimit:
        trap(WindowSteps::checkOutputFolder, [&] { prompts.MsgBox(found.problem); });
        break;
    case Stop::WordProcessorOpen: {
        // As every statement of the handler: one that fails lets the next run.
        bool proceed = true;
        trap(WindowSteps::lookForWordProcessor, [&] {
            proceed = prompts.MsgBox(messages::kWordMayBeOpen, platform::Buttons::YesNo) ==
                      platform::Answer::Yes;
        });
        if (proceed)
            return true;
        break;
    }
    case Stop::AlreadyRunning:
        break;
    }
    outcome.stop = found.stop;
    return false;
}

// The request as the controls stand: the mode now, the files now (rows moved,
// removed or added while it works change nothing of it), the marks and the
// output choice whenever the run asks.
BatchRequest requestOf(BatchWindow& window, ErrorTrap& trap) {
    BatchRequest request;
    trap(WindowSteps::readMode, [&] {
        if (window.Option1())
            request.mode = Word1::Mode::Add;
        else if (window.Option2())
            request.mode = Word1::Mode::Remove;
    });
    trap(RunSteps::readFiles, [&] { request.documents = listedFiles(window); });
    request.marksNow = [&window] { return tickedMarks(window); };
    request.inPlace = [&window](size_t) { return !window.Option3(); };
    request.outputFolder = [&window](size_t) { return window.Text2(); };
    request.trapModule = "Form1";
    request.trapProcedure = "PushButton7_Click";
    return request;
}

BatchOutcome runChecked(WindowServices& services) {
    ErrorTrap trap(services.prompts, "Form1", "PushButton7_Click");
    BatchOutcome outcome;
    if (checksPass(services, trap, outcome)) {
        const BatchRequest request = requestOf(services.window, trap);
        WindowObserver observer(services.window, services.prompts);
        outcome = pellucor::RunBatch(request, observer, services.prompts, services.automation);
    }
    std::vector<Failure> failures;
    addFailures(failures, trap);
    outcome.runFailures.insert(outcome.runFailures.begin(), failures.begin(), failures.end());
    return outcome;
}

} // namespace

void WindowObserver::busy() {
    m_window.SetMousePointer(platform::PointerHourglass);
}

// The integer part of i / rows x 100, computed exactly; the rows are counted
// anew, as files may have been added meanwhile.
void WindowObserver::documentShare(size_t index) {
    const int now = m_window.FileCount();
    if (now <= 0)
        throw Error(ErrorNumber::DivisionByZero, "Division by zero");
    m_window.SetProgressValue(static_cast<double>(100LL * static_cast<long long>(index + 1) / now));
}

void WindowObserver::documentStarted(size_t, const std::string& path) {
    m_window.SetProgressText(messages::kProcessing + shownName(FileNameOf(path)));
}

void WindowObserver::idle() {
    m_window.SetMousePointer(platform::PointerDefault);
}

void WindowObserver::runEnded(const BatchOutcome&) {
    m_window.SetProgressValue(0);
    m_window.SetProgressText(kProgressAtRest);
}

void WindowObserver::showBox(const std::string& text) {
    m_prompts.MsgBox(text);
}

std::vector<std::string> tickedMarks(BatchWindow& window) {
    std::vector<std::string> marks;
    const int rows = window.MarkCount();
    for (int j = 1; j <= rows; ++j)
        if (window.MarkTicked(j))
            marks.push_back(window.MarkAt(j));
    return marks;
}

BatchOutcome RunBatch(WindowServices& services) {
    BatchWindow& window = services.window;
    if (window.BatchRunning()) {
        BatchOutcome outcome;
        outcome.stop = BatchOutcome::Stop::AlreadyRunning;
        return outcome;
    }
    window.SetBatchRunning(true);
    BatchOutcome outcome;
    try {
        outcome = runChecked(services);
    } catch (...) {
        window.SetBatchRunning(false);
        throw;
    }
    window.SetBatchRunning(false);
    return outcome;
}

} // namespace pellucor::ui
