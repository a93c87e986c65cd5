#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

struct UBreakIterator;

namespace pellucor::word {

// Cuts a paragraph's text into words: at Unicode word boundaries, each
// segment that is not made of spaces starts a word, and the spaces that
// follow it belong to it. Spaces at the very start form a word of their own.
class WordSegmenter {
public:
    WordSegmenter(); // loads no ICU: the quick path's classes are built in
    ~WordSegmenter();

    // Byte offsets (into text) at which words start; empty for an empty text.
    void wordStarts(std::string_view text, std::vector<uint32_t>& starts);
    // The same, always through the full boundary rules; for comparison in tests.
    void wordStartsByRules(std::string_view text, std::vector<uint32_t>& starts);

    // Word-break classes of the characters the quick path understands.
    enum Class : uint8_t {
        Other,
        ALetter,
        Numeric,
        MidLetter,
        MidNum,
        MidNumLet,
        SingleQuote,
        ExtendNumLet,
        WSegSpace,
        CR,
        LF,
        Newline,
        Unsupported
    };

private:
    void createIterator();
    bool quickWordStarts(std::string_view text, std::vector<uint32_t>& starts);
    void startsFromBoundaries(std::string_view text, std::vector<uint32_t>& starts) const;
    Class classOf(uint32_t codePoint) const;

    struct IteratorCloser {
        void operator()(UBreakIterator* iterator) const;
    };
    std::unique_ptr<UBreakIterator, IteratorCloser> m_iterator;
    std::array<Class, 0x530> m_latinClasses{};
    std::array<Class, 0x70> m_punctuationClasses{}; // U+2000 to U+206F
    // scratch: per character its class and byte offset; the boundaries found
    std::vector<Class> m_classes;
    std::vector<uint32_t> m_offsets;
    std::vector<uint32_t> m_boundaries;
};

} // namespace pellucor::word
