#pragma once

#include <string>
#include <string_view>

namespace pellucor {

// A file name as messages show it: one line that a terminal cannot act on,
// from which the name's bytes can be read back. The backslash becomes "\\";
// line feed, carriage return and tab "\n", "\r", "\t"; other control
// characters below 128 and bytes that are not UTF-8 "\xNN" (below 80 a
// character, from 80 a byte); C1 controls and the characters that break or
// reorder a line "\uNNNN". Every other character is kept.
std::string shownName(std::string_view name);

// Any text as one such line, with the backslash kept as it is, so that the
// names a message already shows are not escaped twice.
std::string shownLine(std::string_view text);

} // namespace pellucor
