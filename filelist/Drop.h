#pragma once

#include "base/Prompts.h"
#include "FileRows.h"
#include "services/MainWindow.h"

#include <string>
#include <vector>

namespace pellucor::filelist {

// ListView1_OLEDragDrop: the dropped paths in the drop's order. A file
// becomes a row unchanged, whatever its name or attributes; a folder adds
// every qualifying file of its tree (addFolderTree with "*.*"). A path that
// cannot be examined any more is skipped. What the trees left out for names
// no row can hold is told in one box at the end.
void dropItems(const std::vector<std::string>& paths, FileRows& rows, platform::Prompts& prompts,
               platform::MainWindow& window);

} // namespace pellucor::filelist
