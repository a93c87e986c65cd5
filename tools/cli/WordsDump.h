#pragma once

#include "Console.h"

#include <string>

namespace pellucor::cli {

// A text as a JSON string literal: quotes and backslashes escaped, control
// characters as \r, \n, \t or \uXXXX; other bytes as they are.
std::string jsonString(const std::string& text);

// Prints the document's words as the engine numbers them, one JSON string a
// line; returns the exit status (1 when the document cannot be read).
int dumpWords(const std::string& path, Console& console);

} // namespace pellucor::cli
