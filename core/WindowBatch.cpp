#include "WindowBatch.h"

#include "base/Error.h"
#include "base/PathHelpers.h"
#include "base/ShownName.h"
#include "BatchRun.h"
#include "Messages.h"
#include "OutputClash.h"
#include "Word1.h"

namespace pellucor {
namespace {

// The paths of the file list as they stand, first row first.
std::vector<std::string> listedFiles(platform::MainWindow& window) {
    std::vector<std::string> files;
    const int rows = window.FileCount();
    files.reserve(static_cast<size_t>(rows));
    for (int i = 1; i <= rows; ++i)
        files.push_back(window.FileAt(i));
    return files;
}

// Only results saved into the output folder can land on each other.
std::vector<OutputClash> clashesOf(platform::MainWindow& window,
                                   const std::vector<std::string>& files) {
    if (!window.Option3())
        return {};
    return outputClashes(files, window.Text2());
}

// The window's checks before a run; false, with the reason in outcome, when
// the run must not start.
bool checksPass(Services& services, ErrorTrap& trap, BatchOutcome& outcome) {
    platform::MainWindow& window = services.window;
    if (window.FileCount() == 0) {
        trap(RunSteps::noFilesBox, [&] { services.prompts.MsgBox(messages::kNoFilesAdded); });
        outcome.stop = BatchOutcome::Stop::NoFiles;
        return false;
    }
    bool folderReady = true;
    trap(RunSteps::checkOutputFolder,
         [&] { folderReady = window.Option4() || IsFolder(window.Text2()); });
    if (!folderReady) {
        trap(RunSteps::checkOutputFolder,
             [&] { services.prompts.MsgBox(messages::kFolderDoesNotExist); });
        outcome.stop = BatchOutcome::Stop::MissingFolder;
        return false;
    }
    std::vector<OutputClash> clashes;
    trap(RunSteps::checkOutputFolder, [&] { clashes = clashesOf(window, listedFiles(window)); });
    if (!clashes.empty()) {
        trap(RunSteps::checkOutputFolder,
             [&] { services.prompts.MsgBox(outputClashText(clashes)); });
        outcome.stop = BatchOutcome::Stop::OutputClash;
        return false;
    }
    bool cancelled = false;
    trap(RunSteps::lookForWordProcessor,
         [&] { cancelled = Word1::WarnIfWordOpen(services.automation, services.prompts); });
    if (cancelled)
        outcome.stop = BatchOutcome::Stop::WordProcessorOpen;
    return !cancelled;
}

// The request as the controls stand: the mode now, the files now (rows moved,
// removed or added while it works change nothing of it), the marks and the
// output choice whenever the run asks.
BatchRequest requestOf(platform::MainWindow& window, ErrorTrap& trap) {
    BatchRequest request;
    trap(RunSteps::readMode, [&] {
        if (window.Option1())
            request.mode = Word1::Mode::Add;
        else if (window.Option2())
            request.mode = Word1::Mode::Remove;
    });
    trap(RunSteps::readFiles, [&] { request.documents = listedFiles(window); });
    request.marksNow = [&window] { return tickedMarks(window); };
    request.inPlace = [&window](size_t) { return !window.Option3(); };
    request.outputFolder = [&window](size_t) { return window.Text2(); };
    return request;
}

BatchOutcome runChecked(Services& services) {
    ErrorTrap trap(services.prompts, "Form1", "PushButton7_Click");
    BatchOutcome outcome;
    if (checksPass(services, trap, outcome)) {
        const BatchRequest request = requestOf(services.window, trap);
        WindowObserver observer(services.window, services.prompts);
        outcome = RunBatch(request, observer, services.prompts, services.automation);
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

std::vector<std::string> tickedMarks(platform::MainWindow& window) {
    std::vector<std::string> marks;
    const int rows = window.MarkCount();
    for (int j = 1; j <= rows; ++j)
        if (window.MarkTicked(j))
            marks.push_back(window.MarkAt(j));
    return marks;
}

BatchOutcome RunBatch(Services& services) {
    platform::MainWindow& window = services.window;
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

} // namespace pellucor
