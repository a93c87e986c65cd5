#include "AddAll.h"

#include "base/ErrorTrap.h"
#include "FolderTree.h"
#include "services/SettingKeys.h"

namespace pellucor::filelist {

void addAllInFolder(FileRows& rows, Settings& settings, platform::Prompts& prompts,
                    platform::MainWindow& window) {
    ErrorTrap trap(prompts, "Form1", "PushButton6_Click");
    std::string extension;
    trap(1, [&] {
        extension = prompts.InputBox(
            kExtensionPrompt,
            settings.GetSetting(keys::kAddedExtension.name, keys::kAddedExtension.defaultValue));
    });
    if (!extension.empty())
        trap(2, [&] { settings.SaveSetting(keys::kAddedExtension.name, extension); });
    if (extension.empty())
        return;
    std::string folder;
    trap(4, [&] {
        folder = prompts.BrowseForFolder(
            kSelectFolderPrompt,
            settings.GetSetting(keys::kAddedFolder.name, keys::kAddedFolder.defaultValue));
    });
    if (folder.empty())
        return;
    trap(6, [&] { settings.SaveSetting(keys::kAddedFolder.name, folder); });
    trap(7, [&] { window.SetMousePointer(platform::PointerHourglass); });
    LeftOut leftOut;
    trap(8, [&] {
        addFolderTree(folder, "*." + extension, rows, prompts, window, &trap,
                      AddFolder::Names::CodePage, nullptr, &leftOut);
    });
    trap(10, [&] { window.SetMousePointer(platform::PointerDefault); });
    if (!leftOut.empty())
        trap(11, [&] { prompts.MsgBox(leftOutText(leftOut)); });
}

} // namespace pellucor::filelist
