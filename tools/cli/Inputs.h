#pragma once

#include "CliOptions.h"

#include <string>
#include <vector>

namespace pellucor::cli {

// One document of the command line: its place among all given, its path,
// and the folder below the output folder its result goes to (the folder it
// was found in, relative to the folder given; empty for a document given
// itself).
struct ListedFile {
    size_t index;
    std::string path;
    std::string subfolder;
};

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
// twice (two results saved under one name are found by the checks before
// the run).
// With --out, a result that would be saved over a document given (its own
// or another's, as when the output folder is a folder of the documents) is
// refused too.
Inputs collectInputs(const CliOptions& options);

// The names of the list file (standard input for "-"), one a line or, with
// nullSeparated, each ended by NUL, as find -print0 writes them; empty names
// are skipped. Throws UsageError when the list cannot be read.
std::vector<std::string> namesFrom(const std::string& list, bool nullSeparated);

} // namespace pellucor::cli
