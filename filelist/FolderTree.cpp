#include "FolderTree.h"

#include "AddFolder.h"
#include "base/ErrorTrap.h"
#include "base/FileSystem.h"
#include "base/PathHelpers.h"
#include "base/Utf8.h"

#include <vector>

namespace pellucor::filelist {
namespace {

constexpr int kHiddenArchive = platform::AttrHidden | platform::AttrArchive;
// The handler's line for a folder's listing, as the error report box names it.
constexpr int kLineListing = 9;

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

void addFolderTree(const std::string& folder, const std::string& pattern, FileRows& rows,
                   platform::Prompts& prompts, platform::MainWindow& window, ErrorTrap* trap,
                   AddFolder::Names nameRule, std::vector<std::string>* links) {
    std::vector<std::string> folders{withSeparator(folder)};
    AddFolder::GetSubDirectories2016(folders, true, prompts, window, nameRule);
    const bool utf8Only = nameRule == AddFolder::Names::CodePage;
    for (const std::string& entry : folders) {
        std::string inner = entry.substr(0, entry.size() - 1);
        std::vector<std::string> names = namesIn(inner, pattern, trap, links);
        for (size_t i = 1; i < names.size(); ++i) {
            // A name that is not UTF-8 would become a row naming no file.
            if (names[i].empty() || names[i][0] == '~' ||
                (utf8Only && !text::isValidUtf8(names[i])))
                continue;
            std::string path = inner + kSeparator + names[i];
            if (qualifiesInFolder(path))
                rows.Add(Main::NormalizePath(path));
            window.DoEvents();
        }
        window.DoEvents();
    }
}

} // namespace pellucor::filelist
