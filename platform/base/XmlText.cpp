#include "XmlText.h"

#include "Utf8.h"

#include <cstdio>

namespace pellucor::text {
namespace {

bool isControl(char32_t code) {
    return code < 0x20 || (code >= 0x7F && code <= 0x9F);
}

bool isNoncharacter(char32_t code) {
    return (code >= 0xFDD0 && code <= 0xFDEF) || (code & 0xFFFE) == 0xFFFE;
}

bool usableInName(const Utf8Char& c) {
    return c.valid && !isControl(c.code) && !isNoncharacter(c.code);
}

std::string codePoint(char32_t code) {
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(code));
    return text;
}

} // namespace

bool xmlCanHold(char32_t code) {
    if (code < 0x20)
        return code == '\t' || code == '\n' || code == '\r';
    return code < 0xD800 || (code >= 0xE000 && code <= 0xFFFD) ||
           (code >= 0x10000 && code <= 0x10FFFF);
}

size_t firstNotHeldByXml(std::string_view text) {
    for (size_t at = 0; at < text.size();) {
        // Most of any document is ASCII text that XML holds.
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte >= 0x20 && byte < 0x80) {
            ++at;
            continue;
        }
        const Utf8Char c = decodeUtf8(text, at);
        if (!c.valid || !xmlCanHold(c.code))
            return at;
        at += c.length;
    }
    return std::string_view::npos;
}

std::string unusableCharacterAt(std::string_view text, size_t at) {
    const Utf8Char c = decodeUtf8(text, at);
    if (!c.valid) {
        char byte[8];
        std::snprintf(byte, sizeof byte, "0x%02x", static_cast<unsigned>(c.code));
        return std::string("the byte ") + byte + " (not UTF-8)";
    }
    if (isControl(c.code))
        return "the control character " + codePoint(c.code);
    return codePoint(c.code) + " (not a character)";
}

size_t firstUnusableInName(std::string_view name) {
    for (size_t at = 0; at < name.size();) {
        const Utf8Char c = decodeUtf8(name, at);
        if (!usableInName(c))
            return at;
        at += c.length;
    }
    return std::string_view::npos;
}

std::string usableName(std::string_view name) {
    std::string kept;
    for (size_t at = 0; at < name.size();) {
        const Utf8Char c = decodeUtf8(name, at);
        if (usableInName(c))
            kept.append(name.substr(at, c.length));
        at += c.length;
    }
    return kept;
}

} // namespace pellucor::text
