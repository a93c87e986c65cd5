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
    trap(67, [&] { marks = window.MarkCount(); });
    for (int j = 1; j <= marks; ++j) {
        bool ticked = false;
        std::string mark;
        trap(67, [&] {
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
    if (trap(9, [] { word::Application::FinishDocument(); }))
        return;
    for (MarkOutcome& mark : outcome.marks)
        mark.savedTo.clear();
    if (outcome.marks.empty())
        outcome.marks.emplace_back();
    addFailures(outcome.marks.back().failures, trap, Word1::doItStep);
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

const char* runStep(int line) {
    switch (line) {
    case 2:
        return "check the file list";
    case 3:
        return "check the output folder";
    case 4:
        return "look for a running word processor";
    case 5:
        return "read the spacing option";
    case 62:
    case 67:
        return "read the lists";
    case 9:
        return "report the end";
    }
    return "show progress";
}

BatchOutcome runChecked(Services& services, ErrorTrap& trap) {
    platform::MainWindow& window = services.window;
    BatchOutcome outcome;
    if (window.FileCount() == 0) {
        trap(2, [&] { services.prompts.MsgBox(messages::kNoFilesAdded); });
        outcome.stop = BatchOutcome::Stop::NoFiles;
        return outcome;
    }
    bool folderReady = true;
    trap(3, [&] { folderReady = window.Option4() || IsFolder(window.Text2()); });
    if (!folderReady) {
        trap(3, [&] { services.prompts.MsgBox(messages::kFolderDoesNotExist); });
        outcome.stop = BatchOutcome::Stop::MissingFolder;
        return outcome;
    }
    std::vector<OutputClash> clashes;
    trap(3, [&] { clashes = clashesOf(window, listedFiles(window)); });
    if (!clashes.empty()) {
        trap(3, [&] { services.prompts.MsgBox(outputClashText(clashes)); });
        outcome.stop = BatchOutcome::Stop::OutputClash;
        return outcome;
    }
    bool cancelled = false;
    trap(4, [&] { cancelled = Word1::WarnIfWordOpen(services.automation, services.prompts); });
    if (cancelled) {
        outcome.stop = BatchOutcome::Stop::WordProcessorOpen;
        return outcome;
    }
    int16_t mode = Word1::ModeNone;
    trap(5, [&] {
        if (window.Option1())
            mode = Word1::ModeAdd;
        else if (window.Option2())
            mode = Word1::ModeRemove;
    });

    // The run works on the paths as they are now: rows moved, removed or
    // added while it works change nothing of it.
    std::vector<std::string> files;
    trap(62, [&] { files = listedFiles(window); });
    // The window stays live while LibreOffice works for the engine.
    WhileWaiting events([&] { trap(65, [&] { window.DoEvents(); }); });
    const int rows = static_cast<int>(files.size());
    for (int i = 1; i <= rows && !stopRequested(); ++i) {
        DocumentOutcome& document = outcome.documents.emplace_back();
        document.row = i;
        std::string path = files[static_cast<size_t>(i) - 1];
        trap(61, [&] { window.SetMousePointer(PointerHourglass); });
        document.path = path;
        trap(63, [&] {
            // The integer part of i / rows x 100, computed exactly; the rows
            // are counted anew, as files may have been added meanwhile.
            const int now = window.FileCount();
            if (now <= 0)
                throw Error(ErrorNumber::DivisionByZero, "Division by zero");
            window.SetProgressValue(static_cast<double>(100LL * i / now));
        });
        trap(64,
             [&] { window.SetProgressText(messages::kProcessing + shownName(FileNameOf(path))); });
        trap(65, [&] { window.DoEvents(); });
        trap(66, [&] { window.SetMousePointer(PointerHourglass); });
        processFile(services, trap, path, mode, document);
        trap(68, [&] { window.SetMousePointer(PointerHourglass); });
    }
    trap(7, [&] { window.SetMousePointer(PointerDefault); });
    trap(8, [&] {
        window.SetProgressValue(0);
        window.SetProgressText(kProgressAtRest);
    });
    trap(9, [&] { services.prompts.MsgBox(messages::kDone); });
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
    addFailures(outcome.runFailures, trap, runStep);
    return outcome;
}

} // namespace pellucor
