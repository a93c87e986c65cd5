#pragma once

#include <string>
#include <string_view>

namespace pellucor::text {

// Whether an XML document can hold the character at all: tab, line feed,
// carriage return and everything from U+0020 except the surrogates, U+FFFE
// and U+FFFF.
bool xmlCanHold(char32_t code);

// Where the first character XML cannot hold (or the first byte that is not
// UTF-8) stands in text; npos when there is none.
size_t firstNotHeldByXml(std::string_view text);

// The character at `at` in text, in plain words: "the byte 0xff (not UTF-8)",
// "the control character U+001B", "U+FFFE (not a character)".
std::string unusableCharacterAt(std::string_view text, size_t at);

// Where the first character that a name signed into documents must not hold
// stands: control characters (C0, DEL and C1), noncharacters and bytes that
// are not UTF-8. npos when there is none.
size_t firstUnusableInName(std::string_view name);

// The name without any of those characters.
std::string usableName(std::string_view name);

} // namespace pellucor::text
