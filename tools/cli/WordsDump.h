#pragma once

#include "Console.h"

#include <string>

namespace pellucor::converter {
class ConverterService;
}

namespace pellucor::cli {

// A text as a JSON string literal, from which its bytes can be read back:
// quotes and backslashes escaped, control characters (C0, DEL, C1, line and
// paragraph separators) as \r, \n, \t or \uXXXX, other UTF-8 as it is, and
// each byte that is not UTF-8 as the lone surrogate \udcNN (the convention of
// Python's "surrogateescape", which json.load and os.fsencode reverse).
std::string jsonString(const std::string& text);

// Prints the document's words as the engine numbers them, one JSON string a
// line; returns the exit status (1 when the document cannot be read).
// Another format goes through the program's LibreOffices.
int dumpWords(const std::string& path, Console& console, converter::ConverterService& conversions);

} // namespace pellucor::cli
