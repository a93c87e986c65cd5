#include "BatchRun.h"

#include "base/Error.h"
#include "base/ErrorTrap.h"
#include "base/PathHelpers.h"
#include "base/ShownName.h"
#include "base/Waiting.h"
#include "Messages.h"
#include "OutputClash.h"
#include "word/Application.h"
#include "Word1.h"

namespace pellucor {
namespace {

using platform::PointerDefault;
using platform::PointerHourglass;

// The statements of the run: the line numbers its error report boxes show,
// and what each does.
struct RunSteps {
    static constexpr TrapStep noFilesBox{2, "check the file list"};
    static constexpr TrapStep checkOutputFolder{3, "check the output folder"};
    static constexpr TrapStep lookForWordProcessor{4, "look for a running word processor"};
    static constexpr TrapStep readMode{5, "read the spacing option"};
    static constexpr TrapStep hourglassAtStart{61, "show progress"};
    static constexpr TrapStep readFiles{62, "read the lists"};
    static constexpr TrapStep showShare{63, "show progress"};
    static constexpr TrapStep showFileName{64, "show progress"};
    static constexpr TrapStep letEventsIn{65, "show progress"};
    static constexpr TrapStep hourglassBeforeMarks{66, "show progress"};
    static constexpr TrapStep readMarks{67, "read the lists"};
    static constexpr TrapStep hourglassAfterMarks{68, "show progress"};
    static constexpr TrapStep defaultPointer{7, "show progress"};
    static constexpr TrapStep progressAtRest{8, "show progress"};
    static constexpr TrapStep doneBox{9, "report the end"};
};

// One pass; an error that escapes its steps fails it, and the run goes on.
MarkOutcome pass(Services& services, std::string& path, const std::string& mark, int16_t mode) {
    try {
        return Word1::DoIt(path, mark, mode, services);
    } catch (const std::exception& error) {
        MarkOutcome failed;
        failed.mark = mark;
        failed.failures.push_back(escapedFailure(error));
        return failed;
    }
}

// A pass the run was asked to stop before: the document keeps the passes done.
MarkOutcome notRunForTheStop(const std::string& mark) {
    MarkOutcome outcome;
    outcome.mark = mark;
    outcome.failures.push_back(
        {"process", 0, 0, "the run was stopped before the pass for \"" + mark + "\""});
    return outcome;
}

void runMarks(Services& services, ErrorTrap& trap, std::string& path, int16_t mode,
              DocumentOutcome& outcome) {
    platform::MainWindow& window = services.window;
    int marks = 0;
    trap(RunSteps::readMarks, [&] { marks = window.MarkCount(); });
    for (int j = 1; j <= marks; ++j) {
        bool ticked = false;
        std::string mark;
        trap(RunSteps::readMarks, [&] {
            ticked = window.MarkTicked(j);
            if (ticked)
                mark = window.MarkAt(j);
        });
        if (ticked && stopRequested())
            outcome.marks.push_back(notRunForTheStop(mark));
        else if (ticked)
            outcome.marks.push_back(pass(services, path, mark, mode));
    }
}

// A document that goes through LibreOffice is written once, when its marks
// end; when that fails the document failed and nothing of it was saved. The
// failure is reported as the save's.
void finishDocument(Services& services, DocumentOutcome& outcome) {
    ErrorTrap trap(services.prompts, "Word1", "DoIt");
    if (trap(Word1::DoItSteps::save, [] { word::Application::FinishDocument(); }))
        return;
    for (MarkOutcome& mark : outcome.marks)
        mark.savedTo.clear();
    if (outcome.marks.empty())
        outcome.marks.emplace_back();
    addFailures(outcome.marks.back().failures, trap);
}

// The ticked marks of one file, in list order; the list is read as it stands.
void processFile(Services& services, ErrorTrap& trap, std::string& path, int16_t mode,
                 DocumentOutcome& outcome) {
    word::Application::BeginDocument();
    try {
        runMarks(services, trap, path, mode, outcome);
    } catch (...) {
        word::Application::DiscardDocument();
        throw;
    }
    finishDocument(services, outcome);
}

} // namespace

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

BatchOutcome runChecked(Services& services, ErrorTrap& trap) {
    platform::MainWindow& window = services.window;
    BatchOutcome outcome;
    if (window.FileCount() == 0) {
        trap(RunSteps::noFilesBox, [&] { services.prompts.MsgBox(messages::kNoFilesAdded); });
        outcome.stop = BatchOutcome::Stop::NoFiles;
        return outcome;
    }
    bool folderReady = true;
    trap(RunSteps::checkOutputFolder,
         [&] { folderReady = window.Option4() || IsFolder(window.Text2()); });
    if (!folderReady) {
        trap(RunSteps::checkOutputFolder,
             [&] { services.prompts.MsgBox(messages::kFolderDoesNotExist); });
        outcome.stop = BatchOutcome::Stop::MissingFolder;
        return outcome;
    }
    std::vector<OutputClash> clashes;
    trap(RunSteps::checkOutputFolder, [&] { clashes = clashesOf(window, listedFiles(window)); });
    if (!clashes.empty()) {
        trap(RunSteps::checkOutputFolder,
             [&] { services.prompts.MsgBox(outputClashText(clashes)); });
        outcome.stop = BatchOutcome::Stop::OutputClash;
        return outcome;
    }
    bool cancelled = false;
    trap(RunSteps::lookForWordProcessor,
         [&] { cancelled = Word1::WarnIfWordOpen(services.automation, services.prompts); });
    if (cancelled) {
        outcome.stop = BatchOutcome::Stop::WordProcessorOpen;
        return outcome;
    }
    int16_t mode = Word1::ModeNone;
    trap(RunSteps::readMode, [&] {
        if (window.Option1())
            mode = Word1::ModeAdd;
        else if (window.Option2())
            mode = Word1::ModeRemove;
    });

    // The run works on the paths as they are now: rows moved, removed or
    // added while it works change nothing of it.
    std::vector<std::string> files;
    trap(RunSteps::readFiles, [&] { files = listedFiles(window); });
    // The window stays live while LibreOffice works for the engine.
    WhileWaiting events([&] { trap(RunSteps::letEventsIn, [&] { window.DoEvents(); }); });
    const int rows = static_cast<int>(files.size());
    for (int i = 1; i <= rows && !stopRequested(); ++i) {
        DocumentOutcome& document = outcome.documents.emplace_back();
        document.row = i;
        std::string path = files[static_cast<size_t>(i) - 1];
        trap(RunSteps::hourglassAtStart, [&] { window.SetMousePointer(PointerHourglass); });
        document.path = path;
        trap(RunSteps::showShare, [&] {
            // The integer part of i / rows x 100, computed exactly; the rows
            // are counted anew, as files may have been added meanwhile.
            const int now = window.FileCount();
            if (now <= 0)
                throw Error(ErrorNumber::DivisionByZero, "Division by zero");
            window.SetProgressValue(static_cast<double>(100LL * i / now));
        });
        trap(RunSteps::showFileName,
             [&] { window.SetProgressText(messages::kProcessing + shownName(FileNameOf(path))); });
        trap(RunSteps::letEventsIn, [&] { window.DoEvents(); });
        trap(RunSteps::hourglassBeforeMarks, [&] { window.SetMousePointer(PointerHourglass); });
        processFile(services, trap, path, mode, document);
        trap(RunSteps::hourglassAfterMarks, [&] { window.SetMousePointer(PointerHourglass); });
    }
    trap(RunSteps::defaultPointer, [&] { window.SetMousePointer(PointerDefault); });
    trap(RunSteps::progressAtRest, [&] {
        window.SetProgressValue(0);
        window.SetProgressText(kProgressAtRest);
    });
    trap(RunSteps::doneBox, [&] { services.prompts.MsgBox(messages::kDone); });
    return outcome;
}

} // namespace

BatchOutcome RunBatch(Services& services) {
    platform::MainWindow& window = services.window;
    if (window.BatchRunning()) {
        BatchOutcome outcome;
        outcome.stop = BatchOutcome::Stop::AlreadyRunning;
        return outcome;
    }
    window.SetBatchRunning(true);
    ErrorTrap trap(services.prompts, "Form1", "PushButton7_Click");
    BatchOutcome outcome;
    try {
        outcome = runChecked(services, trap);
    } catch (...) {
        window.SetBatchRunning(false);
        throw;
    }
    window.SetBatchRunning(false);
    addFailures(outcome.runFailures, trap);
    return outcome;
}

} // namespace pellucor
