#pragma once

#include "AddFolder.h"
#include "base/Prompts.h"
#include "FileRows.h"
#include "services/MainWindow.h"

#include <functional>
#include <string>
#include <vector>

namespace pellucor {
class ErrorTrap;
}

namespace pellucor::filelist {

// Whether a file found inside a folder becomes a row: it opens as a file and
// its attributes are not exactly Hidden + Archive (34). Names starting with
// "~" (lock files of open documents) are skipped before this.
bool qualifiesInFolder(const std::string& path);

// What a walk for the window's list left out for names a row cannot hold:
// files whose names are not UTF-8, and folders (with everything in them)
// whose names the code page cannot carry. Full paths.
struct LeftOut {
    std::vector<std::string> files;
    std::vector<std::string> folders;
    bool empty() const { return files.empty() && folders.empty(); }
};

// The one box that tells what was left out: how many, and the first few
// names, escaped so that their odd bytes can be read.
std::string leftOutText(const LeftOut& leftOut);

// Appends every qualifying file matching the pattern in the folder and in
// all its subfolders: the folder's own files first, then the subfolders level
// by level, each in listing order; paths normalised. Symbolic links are
// never followed: the paths of those matching the pattern go to links when
// it is given. A folder that cannot be listed contributes nothing: reported
// through trap when one is given, silently otherwise. Lets window events run
// as it goes. With Names::Bytes every name is taken, also one that is not
// UTF-8, which a row of the window's list could not name; otherwise what is
// left out for its name goes to leftOut when it is given.
void addFolderTree(const std::string& folder, const std::string& pattern, FileRows& rows,
                   platform::Prompts& prompts, platform::MainWindow& window,
                   ErrorTrap* trap = nullptr,
                   AddFolder::Names nameRule = AddFolder::Names::CodePage,
                   std::vector<std::string>* links = nullptr, LeftOut* leftOut = nullptr);
// The same without a window: letEventsIn runs where the window's events would.
void addFolderTree(const std::string& folder, const std::string& pattern, FileRows& rows,
                   platform::Prompts& prompts, const std::function<void()>& letEventsIn,
                   ErrorTrap* trap = nullptr,
                   AddFolder::Names nameRule = AddFolder::Names::CodePage,
                   std::vector<std::string>* links = nullptr, LeftOut* leftOut = nullptr);

} // namespace pellucor::filelist
