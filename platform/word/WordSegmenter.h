#pragma once

#include <array>
#include <cstdint>
#include <functional>
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
    // The same a slice at a time: slice holds the next words' starts each time
    // take() is called, so that a long text never needs all its starts at once.
    void wordStarts(std::string_view text, std::vector<uint32_t>& slice,
                    const std::function<void()>& take);
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
    bool quickPathReads(std::string_view text) const;
    void quickWordStartsInSlices(std::string_view text, std::vector<uint32_t>& slice,
                                 const std::function<void()>& take);
    void startsByRules(std::string_view text, std::vector<uint32_t>& starts,
                       const std::function<void()>* take);
    void makeRoom(size_t characters);
    bool classify(std::string_view text, size_t& from, size_t end, size_t& count);
    bool keepWordStarts(size_t count, bool atTextStart, size_t& starts);
    Class classOf(uint32_t codePoint) const;

    struct IteratorCloser {
        void operator()(UBreakIterator* iterator) const;
    };
    std::unique_ptr<UBreakIterator, IteratorCloser> m_iterator;
    std::array<Class, 0x530> m_latinClasses{};
    std::array<Class, 0x70> m_punctuationClasses{}; // U+2000 to U+206F
    // scratch: per character of a slice its class and byte offset
    std::vector<Class> m_classes;
    std::vector<uint32_t> m_offsets;
};

} // namespace pellucor::word
