#include "Format.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace pellucor::word {
namespace {

using namespace std::string_view_literals;

// Markup declares what it is near its start; a longer look costs time on
// every text file and finds nothing more.
constexpr size_t kHeadSize = 4096;

// Text may hold a stray control character (an escape, a bell) but not one
// in this many of its bytes other than spaces: spaces added or taken away
// cannot make a text binary data, or binary data a text.
constexpr size_t kMostControlsInText = 16;

bool startsWith(std::string_view bytes, std::string_view prefix) {
    return bytes.substr(0, prefix.size()) == prefix;
}

bool contains(std::string_view bytes, std::string_view part) {
    return bytes.find(part) != std::string_view::npos;
}

std::string lowerCase(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return lower;
}

// Text has no NUL, and few of the control characters that binary data is
// full of; tabs, line and page breaks and the old end-of-file mark are text.
// Every other byte is a character in some 8-bit code page.
bool looksLikeText(std::string_view bytes) {
    if (startsWith(bytes, "\xFF\xFE"sv) || startsWith(bytes, "\xFE\xFF"sv))
        return true;
    static const auto control = [] {
        std::array<bool, 256> table{};
        for (int c = 0; c < 0x20; ++c)
            table[static_cast<size_t>(c)] = true;
        for (char c : "\t\n\v\f\r\x1A"sv)
            table[static_cast<unsigned char>(c)] = false;
        return table;
    }();
    if (bytes.find('\0') != std::string_view::npos)
        return false;
    size_t controls = 0, spaces = 0;
    for (char c : bytes) {
        controls += control[static_cast<unsigned char>(c)];
        spaces += c == ' ';
    }
    return controls * kMostControlsInText <= bytes.size() - spaces;
}

FileFormat markupFormat(std::string_view head) {
    if (contains(head, "schemas.microsoft.com/office/word/2003/wordml") &&
        contains(head, "wordDocument"))
        return FileFormat::Word2003Xml;
    if (contains(head, "<office:document ") && contains(head, "office:mimetype=")) {
        return contains(head, "office:mimetype=\"application/vnd.oasis.opendocument.text\"")
                   ? FileFormat::FlatOdt
                   : FileFormat::FlatOtherOdf;
    }
    const std::string lower = lowerCase(head);
    if (startsWith(lower, "<!doctype html") || contains(lower, "<html") || contains(lower, "<body"))
        return FileFormat::Html;
    if (startsWith(head, "<?xml"))
        return FileFormat::OtherXml;
    return FileFormat::PlainText; // notes that happen to start with "<"
}

FileFormat textFormat(std::string_view bytes) {
    std::string_view head = bytes.substr(0, kHeadSize);
    if (startsWith(head, "\xEF\xBB\xBF"sv))
        head.remove_prefix(3);
    const size_t first = head.find_first_not_of(" \t\r\n");
    if (first != std::string_view::npos && head[first] == '<')
        return markupFormat(head.substr(first));
    return FileFormat::PlainText;
}

} // namespace

FileFormat sniffFormat(const std::string& bytes) {
    const std::string_view view(bytes);
    if (bytes.empty())
        return FileFormat::Empty;
    if (startsWith(view, "PK\x03\x04"sv) || startsWith(view, "PK\x05\x06"sv) ||
        startsWith(view, "PK\x07\x08"sv))
        return FileFormat::ZipPackage;
    if (startsWith(view, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"sv)) {
        // The stream's name sits in the compound file's directory in UTF-16.
        constexpr std::string_view encrypted = "E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e\0"sv;
        return contains(view, encrypted) ? FileFormat::EncryptedOoxml : FileFormat::CompoundFile;
    }
    if (startsWith(view, "{\\rtf"))
        return FileFormat::Rtf;
    if (startsWith(view, "\xFFWPC"sv))
        return FileFormat::WordPerfect;
    if (startsWith(view, "\xDB\xA5"sv) || startsWith(view, "\x9B\xA5"sv))
        return FileFormat::OldWord;
    if (looksLikeText(view))
        return textFormat(view);
    return FileFormat::Unknown;
}

} // namespace pellucor::word
