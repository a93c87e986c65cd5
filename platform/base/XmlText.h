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

// Watches XML as it is written, piece by piece, for what no XML reader would
// take: bytes that are not UTF-8, characters XML cannot hold, written as they
// are or as a numeric reference ("&#27;") outside comments, CDATA sections
// and processing instructions, where a reference is only text.
class XmlOutputCheck {
public:
    void feed(std::string_view bytes);
    // The first such character, in plain words ("the control character
    // U+001B"); empty when there was none. Call once every piece is fed.
    std::string problem() const;

private:
    enum class Context : unsigned char { Markup, Comment, Cdata, Instruction };

    void markup(unsigned char byte);
    void insideReference(unsigned char byte);
    void opening(unsigned char byte);
    void closing(unsigned char byte);
    bool utf8(unsigned char byte);
    void found(std::string what);

    Context m_context = Context::Markup;
    std::string m_opening;        // after a '<': what came of "<!--", "<![CDATA[", "<?"
    bool m_afterLessThan = false; // the '<' that may open one was the last byte
    size_t m_closed = 0;          // how much of the context's end has been seen
    std::string m_reference;      // after a '&': the reference so far
    bool m_inReference = false;
    char32_t m_code = 0;          // a multi-byte character being read
    unsigned m_continuations = 0; // bytes still to come of it
    unsigned m_length = 0;
    std::string m_found;
};

} // namespace pellucor::text
