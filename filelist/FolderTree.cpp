#include "FolderTree.h"

#include "AddFolder.h"
#include "base/ErrorTrap.h"
#include "base/FileSystem.h"
#include "base/PathHelpers.h"
#include "base/ShownName.h"
#include "base/Utf8.h"

#include <vector>

namespace pellucor::filelist {
namespace {

constexpr int kHiddenArchive = platform::AttrHidden | platform::AttrArchive;
// The handler's line for a folder's listing, as the error report box names it.
constexpr int kLineListing = 9;
// Names a box shows of what was left out; the rest are counted.
constexpr size_t kNamesShown = 5;

// The root is "/" already; any other folder gets its separator added.
std::string withSeparator(const std::string& folder) {
    if (!folder.empty() && folder.back() == kSeparator)
        return folder;
    return folder + kSeparator;
}

std::vector<std::string> namesIn(const std::string& folder, const std::string& pattern,
                                 ErrorTrap* trap, std::vector<std::string>* links) {
    std::vector<std::string> names{""};
    std::vector<std::string> linked;
    auto list = [&] { names = AddFolder::ListFiles(folder, pattern, links ? &linked : nullptr); };
    if (trap)
        (*trap)(kLineListing, list);
    else
        ignoringErrors(list);
    for (const std::string& name : linked)
        links->push_back(Main::NormalizePath(folder + kSeparator + name));
    return names;
}

} // namespace

bool qualifiesInFolder(const std::string& path) {
    if (!AddFolder::FileIsOpenable(path))
        return false;
    int attributes = kHiddenArchive;
    ignoringErrors([&] { attributes = platform::GetAttr(path); }); // gone meanwhile: skipped
    return attributes != kHiddenArchive;
}

std::string leftOutText(const LeftOut& leftOut) {
    std::string text;
    auto part = [&](const std::vector<std::string>& paths, const std::string& what) {
        if (paths.empty())
            return;
        if (!text.empty())
            text += "\r\n\r\n";
        text += std::to_string(paths.size()) + what + "\r\n";
        for (size_t i = 0; i < paths.size() && i < kNamesShown; ++i)
            text += "\r\n" + shownName(paths[i]);
        if (paths.size() > kNamesShown)
            text += "\r\nand " + std::to_string(paths.size() - kNamesShown) + " more";
    };
    part(leftOut.files, leftOut.files.size() == 1
                            ? " file was left out: its name is not valid UTF-8, so the list "
                              "cannot hold it."
                            : " files were left out: their names are not valid UTF-8, so the "
                              "list cannot hold them.");
    part(leftOut.folders, leftOut.folders.size() == 1
                              ? " folder was left out with everything in it: its name holds "
                                "characters the list cannot show."
                              : " folders were left out with everything in them: their names "
                                "hold characters the list cannot show.");
    return text;
}

void addFolderTree(const std::string& folder, const std::string& pattern, FileRows& rows,
                   platform::Prompts& prompts, platform::MainWindow& window, ErrorTrap* trap,
                   AddFolder::Names nameRule, std::vector<std::string>* links, LeftOut* leftOut) {
    addFolderTree(
        folder, pattern, rows, prompts, [&window] { window.DoEvents(); }, trap, nameRule, links,
        leftOut);
}

void addFolderTree(const std::string& folder, const std::string& pattern, FileRows& rows,
                   platform::Prompts& prompts, const std::function<void()>& letEventsIn,
                   ErrorTrap* trap, AddFolder::Names nameRule, std::vector<std::string>* links,
                   LeftOut* leftOut) {
    std::vector<std::string> folders{withSeparator(folder)};
    AddFolder::GetSubDirectories2016(folders, true, prompts, letEventsIn, nameRule,
                                     leftOut ? &leftOut->folders : nullptr);
    const bool utf8Only = nameRule == AddFolder::Names::CodePage;
    for (const std::string& entry : folders) {
        std::string inner = entry.substr(0, entry.size() - 1);
        std::vector<std::string> names = namesIn(inner, pattern, trap, links);
        for (size_t i = 1; i < names.size(); ++i) {
            if (names[i].empty() || names[i][0] == '~')
                continue;
            std::string path = inner + kSeparator + names[i];
            if (qualifiesInFolder(path)) {
                // A name that is not UTF-8 would become a row naming no file.
                if (!utf8Only || text::isValidUtf8(names[i]))
                    rows.Add(Main::NormalizePath(path));
                else if (leftOut)
                    leftOut->files.push_back(Main::NormalizePath(path));
            }
            letEventsIn();
        }
        letEventsIn();
    }
}

} // namespace pellucor::filelist
