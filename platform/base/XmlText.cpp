#include "XmlText.h"

#include "Utf8.h"

#include <array>
#include <cstdio>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

std::string byteNotUtf8(unsigned char byte) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", static_cast<unsigned>(byte));
    return std::string("the byte ") + text + " (not UTF-8)";
}

// A character XML cannot hold, in plain words.
std::string unheld(char32_t code) {
    return code < 0x20 ? "the control character " + codePoint(code)
                       : codePoint(code) + " (not a character)";
}

constexpr std::string_view kCommentOpening = "!--";
constexpr std::string_view kCdataOpening = "![CDATA[";

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
    if (!c.valid)
        return byteNotUtf8(static_cast<unsigned char>(c.code));
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

// Bytes that nothing is read from between tags: printable ASCII other than
// the two that begin markup and references.
constexpr std::array<bool, 256> kPlainInMarkup = [] {
    std::array<bool, 256> plain{};
    for (int byte = 0x20; byte < 0x80; ++byte)
        plain[byte] = byte != '<' && byte != '&';
    return plain;
}();

// Where the first block of sixteen bytes from `at` that holds more than plain
// bytes and tags begins: a control or non-ASCII byte, a '&', or a '<' that
// may open a comment, a CDATA section or an instruction.
size_t skipPlainBlocks(const unsigned char* data, size_t at, size_t size) {
#if defined(__SSE2__)
    const __m128i space = _mm_set1_epi8(0x20), amp = _mm_set1_epi8('&');
    const __m128i less = _mm_set1_epi8('<'), bang = _mm_set1_epi8('!');
    const __m128i question = _mm_set1_epi8('?');
    // The next block is read from one byte on, so one byte more must follow.
    for (; at + 17 <= size; at += 16) {
        const auto* from = reinterpret_cast<const __m128i*>(data + at);
        const __m128i block = _mm_loadu_si128(from);
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at + 1));
        // Bytes from 0x80 compare as negative, so below the space too.
        const __m128i special =
            _mm_or_si128(_mm_cmplt_epi8(block, space), _mm_cmpeq_epi8(block, amp));
        const __m128i opener =
            _mm_and_si128(_mm_cmpeq_epi8(block, less),
                          _mm_or_si128(_mm_cmpeq_epi8(next, bang), _mm_cmpeq_epi8(next, question)));
        if (_mm_movemask_epi8(_mm_or_si128(special, opener)) != 0)
            break;
    }
#else
    (void)data;
    (void)size;
#endif
    return at;
}

void XmlOutputCheck::feed(std::string_view bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    for (size_t at = 0; at < bytes.size() && m_found.empty(); ++at) {
        // Most of a part is text and tags, passed over here.
        if (m_context == Context::Markup && !m_inReference && !m_afterLessThan &&
            m_continuations == 0) {
            at = skipPlainBlocks(data, at, bytes.size());
            while (at < bytes.size()) {
                if (kPlainInMarkup[data[at]])
                    ++at;
                else if (data[at] == '<' && at + 1 < bytes.size() && data[at + 1] != '!' &&
                         data[at + 1] != '?' && kPlainInMarkup[data[at + 1]])
                    at += 2; // a tag
                else
                    break;
            }
            if (at == bytes.size())
                break;
        }
        const unsigned char byte = data[at];
        if (!utf8(byte))
            continue;
        if (m_context != Context::Markup)
            closing(byte);
        else if (m_inReference)
            insideReference(byte);
        else if (m_afterLessThan)
            opening(byte);
        else
            markup(byte);
    }
}

std::string XmlOutputCheck::problem() const {
    if (m_found.empty() && m_continuations > 0)
        return "a character cut short (not UTF-8)";
    return m_found;
}

// True for an ASCII byte that the markup's own reading takes next; a byte of
// a longer character is taken here, and ends any reference or bracket begun.
bool XmlOutputCheck::utf8(unsigned char byte) {
    if (m_continuations > 0) {
        if ((byte & 0xC0) != 0x80) {
            found(byteNotUtf8(byte));
            return false;
        }
        m_code = (m_code << 6) | (byte & 0x3F);
        if (--m_continuations == 0) {
            static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
            if (m_code < kSmallest[m_length] || (m_code >= 0xD800 && m_code <= 0xDFFF) ||
                m_code > 0x10FFFF)
                found("a character written in too many bytes or out of range (not UTF-8)");
            else if (!xmlCanHold(m_code))
                found(unheld(m_code));
        }
        return false;
    }
    if (byte < 0x80) {
        if (!xmlCanHold(byte))
            found(unheld(byte));
        return true;
    }
    m_length = byte >= 0xC2 && byte <= 0xDF   ? 2
               : byte >= 0xE0 && byte <= 0xEF ? 3
               : byte >= 0xF0 && byte <= 0xF4 ? 4
                                              : 0;
    if (m_length == 0) {
        found(byteNotUtf8(byte));
        return false;
    }
    static constexpr unsigned char kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    m_code = byte & kLeadMask[m_length];
    m_continuations = m_length - 1;
    m_inReference = m_afterLessThan = false;
    m_closed = 0;
    return false;
}

void XmlOutputCheck::markup(unsigned char byte) {
    if (byte == '<') {
        m_afterLessThan = true;
        m_opening.clear();
    } else if (byte == '&') {
        m_inReference = true;
        m_reference.clear();
    }
}

// After a '<': a comment, a CDATA section, an instruction or a tag.
void XmlOutputCheck::opening(unsigned char byte) {
    // Nearly every '<' begins a tag.
    if (m_opening.empty() && byte != '!' && byte != '?') {
        m_afterLessThan = false;
        return;
    }
    m_opening += static_cast<char>(byte);
    Context next = Context::Markup;
    if (m_opening == "?")
        next = Context::Instruction;
    else if (m_opening == kCommentOpening)
        next = Context::Comment;
    else if (m_opening == kCdataOpening)
        next = Context::Cdata;
    else if (kCommentOpening.starts_with(m_opening) || kCdataOpening.starts_with(m_opening))
        return;
    m_afterLessThan = false;
    m_context = next;
    m_closed = 0;
}

// Inside a comment, a CDATA section or an instruction, until its end.
void XmlOutputCheck::closing(unsigned char byte) {
    const std::string_view end = m_context == Context::Comment ? "-->"
                                 : m_context == Context::Cdata ? "]]>"
                                                               : "?>";
    if (byte == static_cast<unsigned char>(end[m_closed])) {
        if (++m_closed == end.size()) {
            m_context = Context::Markup;
            m_closed = 0;
        }
    } else if (byte != static_cast<unsigned char>(end[0])) {
        m_closed = 0;
    } else if (m_closed != end.size() - 1) {
        m_closed = 1;
    }
}

// After a '&': a numeric reference names a character, which must be one XML
// can hold; the named ones (&amp; and the like) always are.
void XmlOutputCheck::insideReference(unsigned char byte) {
    if (byte != ';') {
        m_reference += static_cast<char>(byte);
        m_inReference = m_reference.size() <= 10;
        return;
    }
    m_inReference = false;
    if (m_reference.empty() || m_reference[0] != '#')
        return;
    const bool hex = m_reference.size() > 1 && (m_reference[1] == 'x' || m_reference[1] == 'X');
    const std::string digits = m_reference.substr(hex ? 2 : 1);
    char32_t code = 0;
    for (char digit : digits) {
        const int value = digit >= '0' && digit <= '9'          ? digit - '0'
                          : hex && digit >= 'a' && digit <= 'f' ? digit - 'a' + 10
                          : hex && digit >= 'A' && digit <= 'F' ? digit - 'A' + 10
                                                                : -1;
        if (value < 0 || code > 0x10FFFF) {
            code = 0x110000;
            break;
        }
        code = code * (hex ? 16 : 10) + static_cast<char32_t>(value);
    }
    if (digits.empty() || !xmlCanHold(code))
        found(code > 0x10FFFF || digits.empty()
                  ? "a reference to no character (&" + m_reference + ";)"
                  : unheld(code));
}

void XmlOutputCheck::found(std::string what) {
    if (m_found.empty())
        m_found = std::move(what);
}

} // namespace pellucor::text
