#include "BatchRun.h"

#include "base/Error.h"
#include "base/ErrorTrap.h"
#include "base/PathHelpers.h"
#include "Messages.h"
#include "Word1.h"

namespace pellucor {
namespace {

using platform::PointerDefault;
using platform::PointerHourglass;

// The ticked marks of one file, in list order; the list is read as it stands.
void processFile(Services& services, ErrorTrap& trap, std::string& path, int16_t mode) {
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
        if (ticked)
            Word1::DoIt(path, mark, mode, services);
    }
}

} // namespace

void RunBatch(Services& services) {
    platform::MainWindow& window = services.window;
    ErrorTrap trap(services.prompts, "Form1", "PushButton7_Click");

    if (window.BatchRunning())
        return;
    window.SetBatchRunning(true);
    auto finish = [&] { window.SetBatchRunning(false); };

    if (window.FileCount() == 0) {
        trap(2, [&] { services.prompts.MsgBox(messages::kNoFilesAdded); });
        finish();
        return;
    }
    bool folderReady = true;
    trap(3, [&] { folderReady = window.Option4() || IsFolder(window.Text2()); });
    if (!folderReady) {
        trap(3, [&] { services.prompts.MsgBox(messages::kFolderDoesNotExist); });
        finish();
        return;
    }
    bool cancelled = false;
    trap(4, [&] { cancelled = Word1::WarnIfWordOpen(services.automation, services.prompts); });
    if (cancelled) {
        finish();
        return;
    }
    int16_t mode = Word1::ModeNone;
    trap(5, [&] {
        if (window.Option1())
            mode = Word1::ModeAdd;
        else if (window.Option2())
            mode = Word1::ModeRemove;
    });

    const int rows = window.FileCount();
    for (int i = 1; i <= rows; ++i) {
        std::string path;
        trap(61, [&] { window.SetMousePointer(PointerHourglass); });
        trap(62, [&] { path = window.FileAt(i); });
        trap(63, [&] {
            // The integer part of i / rows x 100, computed exactly; the rows
            // are counted anew, as files may have been added meanwhile.
            const int now = window.FileCount();
            if (now <= 0)
                throw Error(ErrorNumber::DivisionByZero, "Division by zero");
            window.SetProgressValue(static_cast<double>(100LL * i / now));
        });
        trap(64, [&] { window.SetProgressText(messages::kProcessing + FileNameOf(path)); });
        trap(65, [&] { window.DoEvents(); });
        trap(66, [&] { window.SetMousePointer(PointerHourglass); });
        processFile(services, trap, path, mode);
        trap(68, [&] { window.SetMousePointer(PointerHourglass); });
    }
    trap(7, [&] { window.SetMousePointer(PointerDefault); });
    trap(8, [&] {
        window.SetProgressValue(0);
        window.SetProgressText(messages::kProgressAtRest);
    });
    trap(9, [&] { services.prompts.MsgBox(messages::kDone); });
    finish();
}

} // namespace pellucor
