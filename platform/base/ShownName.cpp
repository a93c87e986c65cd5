#include "ShownName.h"

#include "Utf8.h"

#include <utility>

namespace pellucor {
namespace {

void appendHex(std::string& out, const char* prefix, char32_t value, int digits) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += prefix;
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        out += kHex[(value >> shift) & 0xF];
}

// Line and paragraph separators, and the marks that change the direction in
// which the rest of a line is drawn.
bool breaksOrReorders(char32_t code) {
    return code == 0x2028 || code == 0x2029 || code == 0x061C || code == 0x200E || code == 0x200F ||
           (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069);
}

void appendControl(std::string& out, char32_t code) {
    static constexpr std::pair<char32_t, const char*> kShort[] = {
        {'\n', "\\n"}, {'\r', "\\r"}, {'\t', "\\t"}};
    for (const auto& [control, escape] : kShort)
        if (control == code) {
            out += escape;
            return;
        }
    appendHex(out, "\\x", code, 2);
}

std::string escaped(std::string_view text, bool escapeBackslash) {
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        const text::Utf8Char c = text::decodeUtf8(text, at);
        if (!c.valid || c.code < 0x20 || c.code == 0x7F)
            appendControl(out, c.code); // an invalid byte's code is the byte
        else if (c.code == '\\' && escapeBackslash)
            out += "\\\\";
        else if ((c.code >= 0x80 && c.code <= 0x9F) || breaksOrReorders(c.code))
            appendHex(out, "\\u", c.code, 4);
        else
            out.append(text.substr(at, c.length));
        at += c.length;
    }
    return out;
}

} // namespace

std::string shownName(std::string_view name) {
    return escaped(name, true);
}

std::string shownLine(std::string_view text) {
    return escaped(text, false);
}

} // namespace pellucor
