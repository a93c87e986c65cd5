#pragma once

#include <string>

namespace pellucor::tools {

struct WalkResult {
    int words = 0;
    int changed = 0;
};

// Opens a document, reads every word, adds (mode 1) or removes (mode 2) one
// space after every word that is `mark` followed by one (two) spaces and that
// does not follow a word beginning with A to Z, and saves it to output. A
// plain engine exercise for the command line and the benchmarks.
WalkResult walkDocument(const std::string& input, const std::string& output,
                        const std::string& mark, int mode);

} // namespace pellucor::tools
