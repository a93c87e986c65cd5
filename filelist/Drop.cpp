#include "Drop.h"

#include "base/ErrorTrap.h"
#include "base/FileSystem.h"
#include "FolderTree.h"

namespace pellucor::filelist {
namespace {

enum class Dropped { Gone, File, Folder };

Dropped kindOf(const std::string& path) {
    int attributes = 0;
    if (!ignoringErrors([&] { attributes = platform::GetAttr(path); }))
        return Dropped::Gone;
    return (attributes & platform::AttrDirectory) != 0 ? Dropped::Folder : Dropped::File;
}

} // namespace

void dropItems(const std::vector<std::string>& paths, FileRows& rows, platform::Prompts& prompts,
               platform::MainWindow& window) {
    LeftOut leftOut;
    for (const std::string& path : paths) {
        switch (kindOf(path)) {
        case Dropped::File:
            rows.Add(path);
            break;
        case Dropped::Folder:
            addFolderTree(path, "*.*", rows, prompts, window, nullptr, AddFolder::Names::CodePage,
                          nullptr, &leftOut);
            break;
        case Dropped::Gone:
            break;
        }
    }
    if (!leftOut.empty())
        prompts.MsgBox(leftOutText(leftOut));
}

} // namespace pellucor::filelist
