#include "AddAll.h"

#include "base/ErrorTrap.h"
#include "FolderTree.h"

namespace pellucor::filelist {

void addAllInFolder(FileRows& rows, Settings& settings, platform::Prompts& prompts,
                    platform::MainWindow& window) {
    ErrorTrap trap(prompts, "Form1", "PushButton6_Click");
    std::string extension;
    trap(1, [&] {
        extension = prompts.InputBox(kExtensionPrompt, settings.GetSetting("Extension", "doc"));
    });
    if (!extension.empty())
        trap(2, [&] { settings.SaveSetting("Extension", extension); });
    if (extension.empty())
        return;
    std::string folder;
    trap(4, [&] {
        folder =
            prompts.BrowseForFolder(kSelectFolderPrompt, settings.GetSetting("LastFolder", ""));
    });
    if (folder.empty())
        return;
    trap(6, [&] { settings.SaveSetting("LastFolder", folder); });
    trap(7, [&] { window.SetMousePointer(platform::PointerHourglass); });
    trap(8, [&] { addFolderTree(folder, "*." + extension, rows, prompts, window, &trap); });
    trap(10, [&] { window.SetMousePointer(platform::PointerDefault); });
}

} // namespace pellucor::filelist
