#pragma once

#include <optional>
#include <string>
#include <vector>

namespace pellucor::cli {

enum class Spacing { Add, Remove };

// What the command line asks for.
struct CliOptions {
    Spacing spacing = Spacing::Add;
    std::vector<std::string> marks{".", "?", "!"};
    bool inPlace = false;
    std::string backupSuffix; // --in-place=SUFFIX: keep each source under its name + SUFFIX
    std::optional<std::string> outFolder; // the desktop folder when not given
    unsigned jobs = 0;                    // 0: one per core
    bool proceedIfWordOpen = false;
    std::optional<std::string> wordsOf;
    std::vector<std::string> patterns{"*.do*"}; // for the files of folders
    bool dryRun = false;
    bool check = false; // a dry run whose status tells whether anything would change
    std::optional<std::string> reportFile;
    bool quiet = false;                   // only the problems
    bool verbose = false;                 // a line for each document
    std::optional<std::string> filesFrom; // a list of names, "-" for standard input
    bool nullSeparated = false;           // the list's names end in NUL, not in a line end
    bool allStories = false; // --stories all: headers, footers, notes, comments, text boxes too
    std::optional<std::string> trackedBy; // --track-changes: the author, empty for the user's name
    bool help = false;
    bool version = false;
    std::vector<std::string> files;
};

// The options, or the reason they make no sense (thrown as UsageError).
struct UsageError {
    std::string message;
};

CliOptions parseOptions(int argc, char** argv);

// Each UTF-8 code point of the text as one mark; empty when the text is not
// valid UTF-8.
std::vector<std::string> splitCodePoints(const std::string& text);

// The name patterns of a comma-separated list of extensions ("docx,.rtf"
// gives "*.docx" and "*.rtf").
std::vector<std::string> patternsOf(const std::string& list);

std::string usageText();

} // namespace pellucor::cli
