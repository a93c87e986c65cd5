#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pellucor::word {

// An 8-bit character set as a table of its 256 bytes, read from the Unicode
// library's converter once. Reading and writing through the table gives back
// every byte exactly: a byte the set leaves unassigned (or assigns a
// character another byte already has) is read as a private-use character of
// its own, which is written back as that byte.
class CodePage {
public:
    // The set named charset; nothing when it is not an 8-bit set that keeps
    // ASCII's printable characters, tab and line ends in their places. Throws
    // Error when the Unicode library cannot be loaded.
    static std::optional<CodePage> load(const std::string& charset);

    const std::string& name() const { return m_name; }
    std::string toUtf8(std::string_view bytes) const;
    // False when a character of utf8 has no byte in the set.
    bool fromUtf8(std::string_view utf8, std::string& bytes) const;

private:
    bool index();

    std::string m_name;
    std::array<char32_t, 256> m_characters{};
    std::vector<std::pair<char32_t, unsigned char>> m_bytes; // by character
};

} // namespace pellucor::word
