#include "ByteSearch.h"

#include <algorithm>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pellucor::word {
namespace {

#if defined(__SSE2__)
// Sixteen starting places at a time: a place is compared in full only when
// the needle's first and last two bytes all stand where they would.
bool holdsInBlocks(std::string_view text, std::string_view needle, size_t at) {
    auto load = [&](size_t offset) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at + offset));
    };
    const size_t last = needle.size() - 1, beforeLast = needle.size() > 1 ? last - 1 : 0;
    const __m128i hits = _mm_and_si128(
        _mm_cmpeq_epi8(load(0), _mm_set1_epi8(needle.front())),
        _mm_and_si128(_mm_cmpeq_epi8(load(beforeLast), _mm_set1_epi8(needle[beforeLast])),
                      _mm_cmpeq_epi8(load(last), _mm_set1_epi8(needle[last]))));
    for (unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits)); mask; mask &= mask - 1)
        if (!std::memcmp(text.data() + at + __builtin_ctz(mask), needle.data(), needle.size()))
            return true;
    return false;
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
    size_t at = 0;
#if defined(__SSE2__)
    // Every load of a block ends before the text does.
    for (; at + 15 + longest <= text.size(); at += 16)
        for (std::string_view needle : needles)
            if (holdsInBlocks(text, needle, at))
                return true;
#endif
    for (; at < text.size(); ++at)
        for (std::string_view needle : needles)
            if (text.substr(at, needle.size()) == needle)
                return true;
    return false;
}

} // namespace pellucor::word
