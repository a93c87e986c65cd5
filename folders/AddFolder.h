#pragma once

#include "base/Prompts.h"
#include "services/MainWindow.h"

#include <functional>
#include <string>
#include <vector>

namespace pellucor::AddFolder {

// Which names a walk takes: those the code page can carry, as the window's
// lists show them, or every name the file system holds, as its bytes.
enum class Names { CodePage, Bytes };

// Extends `folders` (paths ending in "/") with every subfolder below them,
// level by level: shallower levels first, each level in listing order. Links
// to folders (attributes 1046), hidden system folders (22) and names that the
// code page cannot carry are skipped with their subtrees; folders that cannot
// be listed (permission denied, path not found) are dropped silently. Other
// errors show the error report box and the walk goes on. Yields to the event
// queue after opening each folder, before each subfolder and before each
// append. With `recurse` false only the direct subfolders are added. With
// Names::Bytes no subfolder is skipped for its name's characters; with
// Names::CodePage the paths of those skipped go to `skipped` when it is given.
void GetSubDirectories2016(std::vector<std::string>& folders, bool recurse,
                           platform::Prompts& prompts, platform::MainWindow& window,
                           Names names = Names::CodePage,
                           std::vector<std::string>* skipped = nullptr);
// The same without a window: letEventsIn runs where the window's events would.
void GetSubDirectories2016(std::vector<std::string>& folders, bool recurse,
                           platform::Prompts& prompts, const std::function<void()>& letEventsIn,
                           Names names = Names::CodePage,
                           std::vector<std::string>* skipped = nullptr);

// The names of the files of `folder` (with or without a final "/") that match
// `pattern` ("*" any run, "?" any one character, case-insensitive; "*.*"
// matches every name) and pass FileIsOpenable, in listing order. Element 0 is
// always "", the names are elements 1..n. Never lists a folder, nor a
// symbolic link, whatever it names: the names of the links that match go to
// `links` when it is given. A folder that cannot be listed raises Error 70
// (permission denied) or 76 (path not found).
std::vector<std::string> ListFiles(std::string folder, const std::string& pattern,
                                   std::vector<std::string>* links = nullptr);

// Whether the path opens, without any access rights, as an existing entry
// that is not a folder. Never raises.
bool FileIsOpenable(const std::string& path);

enum class CodePage { Utf8, Windows1252 };

// Whether a folder name holds a character that is unusable in the code page:
// a control character, "?", a code from 127 through 159, or a character the
// code page lacks (which converts to "?"). Invalid UTF-8 is unusable.
bool HasUnusableChars(const std::string& name, CodePage codePage = CodePage::Utf8);

} // namespace pellucor::AddFolder
