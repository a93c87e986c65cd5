#pragma once

#include "word/EditOptions.h"

#include <string>

namespace pellucor::converter {
class ConverterService;
}

namespace pellucor::tools {

struct WalkResult {
    int words = 0;
    int changed = 0;
};

// Opens a document, applies the spacing engine's step to every word for one
// mark (mode 1 adds, 2 removes) and saves it to output, without a window or
// error boxes: errors are thrown. An engine exercise for the benchmarks and
// the corpus tests; options say how the document is walked and changed.
// Opened to walk every story, it walks each in turn; words counts them all.
// Other formats go through the LibreOffices given, else a process each.
WalkResult walkDocument(const std::string& input, const std::string& output,
                        const std::string& mark, int mode, const word::EditOptions& options = {},
                        converter::ConverterService* conversions = nullptr);

} // namespace pellucor::tools
