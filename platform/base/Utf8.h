#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pellucor::text {

// One character read from UTF-8 text. A byte that does not start a valid
// sequence (overlong, a surrogate, beyond U+10FFFF, cut short) is read as a
// character of its own: its byte value, one byte long, marked invalid.
struct Utf8Char {
    char32_t code = 0;
    size_t length = 1;
    bool valid = true;
};

inline Utf8Char decodeUtf8(std::string_view text, size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80)
        return {lead, 1, true};
    const size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                          : lead >= 0xE0 && lead <= 0xEF ? 3
                          : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                         : 0;
    const Utf8Char invalid{lead, 1, false};
    if (length == 0 || at + length > text.size())
        return invalid;
    static constexpr unsigned char leadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t code = lead & leadMask[length];
    for (size_t k = 1; k < length; ++k) {
        const auto byte = static_cast<unsigned char>(text[at + k]);
        if ((byte & 0xC0) != 0x80)
            return invalid;
        code = (code << 6) | (byte & 0x3F);
    }
    static constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
        return invalid;
    return {code, length, true};
}

inline bool isValidUtf8(std::string_view text) {
    for (size_t at = 0; at < text.size();) {
        Utf8Char c = decodeUtf8(text, at);
        if (!c.valid)
            return false;
        at += c.length;
    }
    return true;
}

inline void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The number of characters of a text, an invalid byte counting as one.
size_t characterCount(std::string_view text);

} // namespace pellucor::text
