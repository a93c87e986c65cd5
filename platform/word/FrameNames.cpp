// Whether a part's bytes name frame properties or a table position at all:
// most documents have no frame, and then their body is not walked for one.
#include "FrameList.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace pellucor::word {
namespace {

// Both names end in "Pr" after an 'e' or a 'p'; at is where that byte stands.
bool frameNameAt(std::string_view bytes, size_t at) {
    return (at >= 4 && bytes.substr(at - 4, 7) == "framePr") ||
           (at >= 3 && bytes.substr(at - 3, 6) == "tblpPr");
}

// The places from at whose bit is set in hits; false when none is a name.
bool frameNameAmong(std::string_view bytes, size_t at, unsigned hits) {
    for (; hits; hits &= hits - 1)
        if (frameNameAt(bytes, at + static_cast<size_t>(__builtin_ctz(hits))))
            return true;
    return false;
}

// The steps look at sixteen or thirty-two places each and compare a name in
// full only where its three last bytes stand. Each goes on from at, returns
// where it ended, and loads nothing past the end of the bytes.
#if defined(__x86_64__)
__attribute__((target("avx2"))) size_t wideSteps(std::string_view bytes, size_t at, bool& found) {
    const __m256i e = _mm256_set1_epi8('e'), p = _mm256_set1_epi8('p');
    const __m256i upperP = _mm256_set1_epi8('P'), r = _mm256_set1_epi8('r');
    for (; at + 34 <= bytes.size(); at += 32) {
        const auto* place = reinterpret_cast<const __m256i*>(bytes.data() + at);
        const __m256i c = _mm256_loadu_si256(place);
        const __m256i next =
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes.data() + at + 1));
        const __m256i after =
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes.data() + at + 2));
        const __m256i hits = _mm256_and_si256(
            _mm256_or_si256(_mm256_cmpeq_epi8(c, e), _mm256_cmpeq_epi8(c, p)),
            _mm256_and_si256(_mm256_cmpeq_epi8(next, upperP), _mm256_cmpeq_epi8(after, r)));
        if (frameNameAmong(bytes, at, static_cast<unsigned>(_mm256_movemask_epi8(hits)))) {
            found = true;
            return at;
        }
    }
    return at;
}

size_t steps(std::string_view bytes, size_t at, bool& found) {
    const __m128i e = _mm_set1_epi8('e'), p = _mm_set1_epi8('p');
    const __m128i upperP = _mm_set1_epi8('P'), r = _mm_set1_epi8('r');
    for (; at + 18 <= bytes.size(); at += 16) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + at));
        const __m128i next =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + at + 1));
        const __m128i after =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + at + 2));
        const __m128i hits =
            _mm_and_si128(_mm_or_si128(_mm_cmpeq_epi8(c, e), _mm_cmpeq_epi8(c, p)),
                          _mm_and_si128(_mm_cmpeq_epi8(next, upperP), _mm_cmpeq_epi8(after, r)));
        if (frameNameAmong(bytes, at, static_cast<unsigned>(_mm_movemask_epi8(hits)))) {
            found = true;
            return at;
        }
    }
    return at;
}
#endif

} // namespace

bool FrameList::mayBeNamedIn(std::string_view bytes) {
    bool found = false;
    size_t at = 0;
#if defined(__x86_64__)
    if (__builtin_cpu_supports("avx2"))
        at = wideSteps(bytes, at, found);
    if (!found)
        at = steps(bytes, at, found);
#endif
    for (; !found && at < bytes.size(); ++at)
        found = frameNameAt(bytes, at);
    return found;
}

} // namespace pellucor::word
