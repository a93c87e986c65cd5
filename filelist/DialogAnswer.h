#pragma once

#include "base/PathHelpers.h"
#include "base/Prompts.h"
#include "FileRows.h"

#include <string>
#include <vector>

namespace pellucor::filelist {

inline constexpr const char* kAddFilesTitle = "Add File(s) - Hold Ctrl to select multiple files";
inline constexpr const char* kAddFilesFilter = "Word Documents (*.do*)|*.do*|All Files (*.*)|*.*";
inline constexpr const char* kTooManyFiles =
    "You've selected too many files to add.\r\rPlease try adding via the \"Add All\" button.";
// Characters of the dialog's file-name buffer, its terminating NULs included.
inline constexpr size_t kFileNameBufferSize = 30000;

// What the dialog's buffer holds for the chosen files (absolute paths with
// "/"): the path of a single file; for several, their common folder (ending
// in "/" only when it is the root) and then each name below it, separated by
// NULs. Raises Error kFileDialogBufferTooSmall when it does not fit.
std::string dialogBufferOf(const std::vector<std::string>& chosen);

// The rows the buffer stands for: a single path unchanged; for several, the
// folder joined with each name and normalised, in the dialog's order.
std::vector<std::string> pathsFromDialogBuffer(const std::string& buffer,
                                               char separator = kSeparator);

// "Add Word File(s)" (PushButton3_Click): every chosen file becomes a row,
// listed already or not. A choice too large for the buffer is explained and
// adds nothing; other errors go to the error report box.
void addWordFiles(FileRows& rows, platform::Prompts& prompts);

} // namespace pellucor::filelist
