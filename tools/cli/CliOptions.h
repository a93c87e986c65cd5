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
    std::optional<std::string> outFolder; // the desktop folder when not given
    unsigned jobs = 0;                    // 0: one per core
    bool proceedIfWordOpen = false;
    std::optional<std::string> wordsOf;
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

std::string usageText();

} // namespace pellucor::cli
