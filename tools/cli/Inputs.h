#pragma once

#include "CliOptions.h"
#include "CliWindow.h"

#include <string>
#include <vector>

namespace pellucor::cli {

// The documents the arguments stand for, and the arguments that gave none.
struct Inputs {
    std::vector<ListedFile> files;
    std::vector<std::string> problems; // "FOLDER: what went wrong"
    std::vector<std::string> notes;    // "PATH: why it was left out", not a failure
};

// Each file argument as it is; each folder as the window's "Add All" walks
// it: its own files, then its subfolders level by level, symbolic links
// never followed (a link to a file that would have been taken gets a note),
// hidden files (names beginning with ".") and names beginning with "~"
// skipped, every file whose name matches one of the patterns, in any case;
// names are bytes, so none is skipped for its characters. With a backup
// suffix, names ending in it are left out, so that a second run does not
// take the first run's copies. Throws UsageError for a document reached
// twice, or two results that would be saved under the same name.
Inputs collectInputs(const CliOptions& options);

} // namespace pellucor::cli
