#include "ReadBack.h"

#include <algorithm>
#include <cctype>
#include <deque>
#include <unordered_map>
#include <vector>

namespace pellucor::converter {
namespace {

constexpr std::string_view kNoBreakSpace = "\xC2\xA0";

// The code point that starts at text[at], and its length in bytes.
char32_t codePointAt(std::string_view text, size_t at, size_t& length) {
    const auto byte = static_cast<unsigned char>(text[at]);
    length = byte < 0x80 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
    if (at + length > text.size())
        length = 1;
    char32_t point = length == 1 ? byte : byte & (0x3F >> (length - 1));
    for (size_t k = 1; k < length; ++k)
        point = (point << 6) | (static_cast<unsigned char>(text[at + k]) & 0x3F);
    return point;
}

bool isPunctuation(char32_t c) {
    if (c < 0x80)
        return std::ispunct(static_cast<int>(c)) != 0;
    return c == 0xA1 || c == 0xA7 || c == 0xAB || c == 0xB6 || c == 0xB7 || c == 0xBB ||
           c == 0xBF || (c >= 0x2010 && c <= 0x2027) || (c >= 0x2030 && c <= 0x205E) ||
           (c >= 0x3001 && c <= 0x3003) || (c >= 0x3008 && c <= 0x3011) ||
           (c >= 0xFF01 && c <= 0xFF0F) || (c >= 0xFF1A && c <= 0xFF20);
}

bool isBlank(char32_t c) {
    return c == ' ' || c == '\t' || c == 0xA0;
}

// One paragraph with its blanks made comparable: none at either end, a run
// after punctuation of spaces and no-break spaces (one space at least) as
// that many spaces, every other run as one space.
std::string comparable(std::string_view line) {
    std::string result;
    bool afterPunctuation = false;
    size_t at = 0;
    while (at < line.size()) {
        size_t length = 0;
        const char32_t c = codePointAt(line, at, length);
        if (!isBlank(c)) {
            result.append(line.substr(at, length));
            afterPunctuation = isPunctuation(c);
            at += length;
            continue;
        }
        size_t count = 0, spaces = 0;
        bool onlySpaces = true;
        for (char32_t b = c; at < line.size() && isBlank(b = codePointAt(line, at, length));) {
            ++count;
            spaces += b == ' ';
            onlySpaces = onlySpaces && b != '\t';
            at += length;
        }
        if (!result.empty() && at < line.size())
            result.append(afterPunctuation && onlySpaces && spaces > 0 ? count : 1, ' ');
    }
    return result;
}

std::vector<std::string> paragraphs(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::vector<std::string> result;
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (std::string paragraph = comparable(line); !paragraph.empty())
            result.push_back(std::move(paragraph));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return result;
}

bool continues(const std::string& text, size_t at) {
    return at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80;
}

// A piece of the text from byte from, in quotes, spaces shown as dots.
std::string quoted(const std::string& text, size_t from) {
    constexpr size_t kShown = 60;
    while (from > 0 && continues(text, from))
        --from;
    size_t end = std::min(from + kShown, text.size());
    while (continues(text, end))
        --end;
    std::string shown = from > 0 ? "…" : "";
    for (size_t k = from; k < end; ++k)
        shown += text[k] == ' ' ? std::string("·") : std::string(1, text[k]);
    return "\"" + shown + (end < text.size() ? "…" : "") + "\"";
}

// A comparable paragraph with every run of spaces as one.
std::string collapsed(const std::string& paragraph) {
    std::string result;
    for (char c : paragraph)
        if (c != ' ' || result.empty() || result.back() != ' ')
            result += c;
    return result;
}

std::vector<std::string> collapsed(const std::vector<std::string>& paragraphs) {
    std::vector<std::string> result;
    result.reserve(paragraphs.size());
    for (const std::string& paragraph : paragraphs)
        result.push_back(collapsed(paragraph));
    return result;
}

std::string paragraphDifference(size_t k, const std::string& read, const std::string& meant,
                                const char* insteadOf) {
    size_t from = 0;
    while (from < read.size() && from < meant.size() && meant[from] == read[from])
        ++from;
    from = from > 20 ? from - 20 : 0;
    return "paragraph " + std::to_string(k + 1) + " reads back as " + quoted(read, from) +
           insteadOf + quoted(meant, from);
}

} // namespace

std::string unexplainedReadBackDifference(std::string_view intended, std::string_view readBack,
                                          std::string_view unchangedIntended,
                                          std::string_view unchangedReadBack) {
    const std::vector<std::string> meant = paragraphs(intended), read = paragraphs(readBack);
    // The changes meant touch blanks alone; anything else, the round trip of
    // the unchanged document cannot speak for.
    if (collapsed(meant) != collapsed(paragraphs(unchangedIntended)))
        return readBackDifference(intended, readBack);
    const std::vector<std::string> expected = collapsed(paragraphs(unchangedReadBack));
    const std::vector<std::string> got = collapsed(read);
    for (size_t k = 0; k < std::max(got.size(), expected.size()); ++k) {
        if (k == got.size())
            return "paragraph " + std::to_string(k + 1) + " (" + quoted(expected[k], 0) +
                   ") of LibreOffice's own round trip of the unchanged document is missing "
                   "from what the saved file reads back";
        if (k == expected.size())
            return "the saved file reads back with a paragraph more than LibreOffice's own "
                   "round trip of the unchanged document (" +
                   quoted(read[k], 0) + ")";
        if (got[k] != expected[k])
            return paragraphDifference(k, got[k], expected[k],
                                       " where LibreOffice's own round trip of the unchanged "
                                       "document reads ");
    }
    // Every paragraph that reads back as one meant, blanks aside, keeps the
    // spacing meant; those LibreOffice rewrites its own way (a table of
    // contents, list labels) are left to the comparison above.
    std::unordered_map<std::string, std::deque<size_t>> meantByText;
    for (size_t k = 0; k < meant.size(); ++k)
        meantByText[collapsed(meant[k])].push_back(k);
    for (size_t k = 0; k < read.size(); ++k) {
        auto found = meantByText.find(got[k]);
        if (found == meantByText.end() || found->second.empty())
            continue;
        const size_t match = found->second.front();
        found->second.pop_front();
        if (meant[match] != read[k])
            return paragraphDifference(k, read[k], meant[match], " instead of ");
    }
    return {};
}

std::string readBackDifference(std::string_view intended, std::string_view readBack) {
    const std::vector<std::string> meant = paragraphs(intended), read = paragraphs(readBack);
    for (size_t k = 0; k < meant.size(); ++k) {
        if (k == read.size())
            return "paragraph " + std::to_string(k + 1) + " (" + quoted(meant[k], 0) +
                   ") is missing from what the saved file reads back";
        if (meant[k] != read[k])
            return paragraphDifference(k, read[k], meant[k], " instead of ");
    }
    if (read.size() > meant.size())
        return "the saved file reads back with a paragraph more (" + quoted(read[meant.size()], 0) +
               ")";
    return {};
}

} // namespace pellucor::converter
