#pragma once

// Names as sequences of characters: UTF-8 decoding, the upper-cased ordinal
// order in which listings come, and lengths in characters.

#include <string>
#include <vector>

namespace pellucor::AddFolder::text {

// One decoded character. A byte that does not start a valid UTF-8 sequence
// becomes one character of its own, marked invalid, so that names in other
// encodings still list and sort.
struct Character {
    char32_t code = 0;
    bool valid = true;
};

std::vector<Character> Decode(const std::string& utf8);

// The character in upper case (simple case mapping). An invalid byte becomes
// a lone surrogate, which no valid character equals.
char32_t FoldedCode(Character character);

// The key by which listings are ordered: the name upper-cased and compared as
// UTF-16 code units, ordinal.
std::u16string OrderKey(const std::string& utf8);

} // namespace pellucor::AddFolder::text
