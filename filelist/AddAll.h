#pragma once

#include "base/Prompts.h"
#include "FileRows.h"
#include "services/MainWindow.h"

namespace pellucor::filelist {

inline constexpr const char* kExtensionPrompt =
    "Enter file extension to load:\r\r(* for all files, txt for all txt files, doc for all doc "
    "files, etc.)";
inline constexpr const char* kSelectFolderPrompt = "Please select folder:";

// "Add All Word File(s) In Folder" (PushButton6_Click): asks for an
// extension (proposing the last one, "doc" at first) and a folder (starting at
// the last one), remembers both, and adds every qualifying file of the
// folder's tree whose name matches "*." + extension, as typed. The window
// shows the hourglass while the tree is scanned; then one box tells what was
// left out for names no row can hold. Errors go to the error report box and
// the scan goes on.
void addAllInFolder(FileRows& rows, Settings& settings, platform::Prompts& prompts,
                    platform::MainWindow& window);

} // namespace pellucor::filelist
