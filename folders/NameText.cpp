#include "NameText.h"

#include "base/Icu.h"
#include "base/Utf8.h"

namespace pellucor::AddFolder::text {
namespace {

// Invalid bytes sort among the lone surrogates, after every valid character
// of the Basic Multilingual Plane below them.
constexpr char16_t kInvalidByteBase = 0xDC00;

void appendUtf16(std::u16string& out, char32_t code) {
    if (code < 0x10000) {
        out += static_cast<char16_t>(code);
        return;
    }
    code -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (code >> 10));
    out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
}

} // namespace

std::vector<Character> Decode(const std::string& utf8) {
    std::vector<Character> characters;
    characters.reserve(utf8.size());
    for (size_t at = 0; at < utf8.size();) {
        pellucor::text::Utf8Char c = pellucor::text::decodeUtf8(utf8, at);
        characters.push_back({c.code, c.valid});
        at += c.length;
    }
    return characters;
}

char32_t FoldedCode(Character character) {
    if (!character.valid)
        return kInvalidByteBase + character.code;
    // Most names are ASCII, whose case needs no Unicode tables.
    if (character.code < 0x80)
        return character.code >= 'a' && character.code <= 'z' ? character.code - ('a' - 'A')
                                                              : character.code;
    return static_cast<char32_t>(icu::functions().toUpper(static_cast<UChar32>(character.code)));
}

std::u16string OrderKey(const std::string& utf8) {
    std::u16string key;
    key.reserve(utf8.size());
    for (Character character : Decode(utf8))
        appendUtf16(key, FoldedCode(character));
    return key;
}

} // namespace pellucor::AddFolder::text
