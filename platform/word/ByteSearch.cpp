#include "ByteSearch.h"

#include <algorithm>
#include <cstring>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pellucor::word {
namespace {

bool holdsAt(std::string_view text, size_t at, std::string_view needle) {
    return text.substr(at, needle.size()) == needle;
}

#if defined(__SSE2__)
// A needle is compared in full only where its first and last two bytes all
// stand: sixteen starting places a step.
struct Filter {
    std::string_view needle;
    size_t beforeLast, last;
    __m128i firstByte, beforeLastByte, lastByte;

    explicit Filter(std::string_view n)
        : needle(n), beforeLast(n.size() > 1 ? n.size() - 2 : 0), last(n.size() - 1),
          firstByte(_mm_set1_epi8(n.front())), beforeLastByte(_mm_set1_epi8(n[beforeLast])),
          lastByte(_mm_set1_epi8(n.back())) {}

    bool holdsInBlock(const char* block) const {
        auto load = [block](size_t offset) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + offset));
        };
        const __m128i hits = _mm_and_si128(
            _mm_cmpeq_epi8(load(0), firstByte),
            _mm_and_si128(_mm_cmpeq_epi8(load(beforeLast), beforeLastByte),
                          _mm_cmpeq_epi8(load(last), lastByte)));
        for (unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits)); mask; mask &= mask - 1)
            if (!std::memcmp(block + __builtin_ctz(mask), needle.data(), needle.size()))
                return true;
        return false;
    }
};

// Where the blocks end: every load of a block ends before the text does.
size_t searchBlocks(std::string_view text, std::initializer_list<std::string_view> needles,
                    size_t longest, bool& found) {
    const std::vector<Filter> filters(needles.begin(), needles.end());
    size_t at = 0;
    for (; at + 15 + longest <= text.size(); at += 16)
        for (const Filter& filter : filters)
            if (filter.holdsInBlock(text.data() + at)) {
                found = true;
                return at;
            }
    return at;
}
#else
size_t searchBlocks(std::string_view, std::initializer_list<std::string_view>, size_t, bool&) {
    return 0;
}
#endif

} // namespace

bool holdsAny(std::string_view text, std::initializer_list<std::string_view> needles) {
    size_t longest = 0;
    for (std::string_view needle : needles) {
        if (needle.empty())
            return true;
        longest = std::max(longest, needle.size());
    }
    bool found = false;
    for (size_t at = searchBlocks(text, needles, longest, found); !found && at < text.size(); ++at)
        for (std::string_view needle : needles)
            found = found || holdsAt(text, at, needle);
    return found;
}

} // namespace pellucor::word
