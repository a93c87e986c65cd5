#include "NameText.h"

#include <unicode/uchar.h>

namespace pellucor::AddFolder::text {
namespace {

// Invalid bytes sort among the lone surrogates, after every valid character
// of the Basic Multilingual Plane below them.
constexpr char16_t kInvalidByteBase = 0xDC00;

size_t sequenceLength(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Decodes the sequence at `at` of `length` bytes; 0 when it is overlong, a
// surrogate, beyond U+10FFFF or cut short.
char32_t decodeAt(const std::string& utf8, size_t at, size_t length) {
    if (at + length > utf8.size())
        return 0;
    static constexpr unsigned char leadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t code = static_cast<unsigned char>(utf8[at]) & leadMask[length];
    for (size_t i = 1; i < length; ++i) {
        auto byte = static_cast<unsigned char>(utf8[at + i]);
        if (!isContinuation(byte))
            return 0;
        code = (code << 6) | (byte & 0x3F);
    }
    static constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    if (code < smallest[length] || surrogate || code > 0x10FFFF)
        return 0;
    return code;
}

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
        auto lead = static_cast<unsigned char>(utf8[at]);
        size_t length = sequenceLength(lead);
        char32_t code = length == 1 ? lead : (length ? decodeAt(utf8, at, length) : 0);
        if (length == 1 || code != 0) {
            characters.push_back({code, true});
            at += length;
        } else {
            characters.push_back({lead, false});
            ++at;
        }
    }
    return characters;
}

size_t CharacterCount(const std::string& utf8) {
    return Decode(utf8).size();
}

char32_t FoldedCode(Character character) {
    if (!character.valid)
        return kInvalidByteBase + character.code;
    return static_cast<char32_t>(u_toupper(static_cast<UChar32>(character.code)));
}

std::u16string OrderKey(const std::string& utf8) {
    std::u16string key;
    key.reserve(utf8.size());
    for (Character character : Decode(utf8))
        appendUtf16(key, FoldedCode(character));
    return key;
}

} // namespace pellucor::AddFolder::text
