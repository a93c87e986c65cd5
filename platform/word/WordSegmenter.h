#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include <unicode/uversion.h>

U_NAMESPACE_BEGIN
class BreakIterator;
U_NAMESPACE_END

namespace pellucor::word {

// Cuts a paragraph's text into words: at Unicode word boundaries, each
// segment that is not made of spaces starts a word, and the spaces that
// follow it belong to it. Spaces at the very start form a word of their own.
class WordSegmenter {
public:
    WordSegmenter(); // throws Error when the boundary data cannot be loaded
    ~WordSegmenter();

    // Byte offsets (into text) at which words start; empty for an empty text.
    void wordStarts(std::string_view text, std::vector<uint32_t>& starts);

private:
    std::unique_ptr<icu::BreakIterator> m_iterator;
};

} // namespace pellucor::word
