#include "WordSegmenter.h"

#include "base/Error.h"
#include "base/Utf8.h"

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/utext.h>

namespace pellucor::word {
namespace {

bool onlySpaces(std::string_view text) {
    for (char c : text)
        if (c != ' ')
            return false;
    return true;
}

using Class = WordSegmenter::Class;

// How the rules decide whether two characters join, from their classes alone:
// outright, or by the class of the character after them or before them.
enum class PairRule : uint8_t {
    Break,
    Join,
    JoinBeforeLetter,
    JoinBeforeDigit,
    JoinAfterLetter,
    JoinAfterDigit
};

constexpr bool isWordy(Class c) {
    return c == Class::ALetter || c == Class::Numeric;
}

constexpr PairRule pairRule(Class before, Class here) {
    auto isMidLetterQ = [](Class c) {
        return c == Class::MidLetter || c == Class::MidNumLet || c == Class::SingleQuote;
    };
    auto isMidNumQ = [](Class c) {
        return c == Class::MidNum || c == Class::MidNumLet || c == Class::SingleQuote;
    };
    auto isBreakClass = [](Class c) {
        return c == Class::CR || c == Class::LF || c == Class::Newline;
    };
    if (isWordy(before) && isWordy(here))
        return PairRule::Join; // letters and digits in any mix (WB5, WB8 to WB10)
    if (before == Class::CR && here == Class::LF)
        return PairRule::Join;
    if (isBreakClass(before) || isBreakClass(here))
        return PairRule::Break;
    if (before == Class::WSegSpace && here == Class::WSegSpace)
        return PairRule::Join;
    if (before == Class::ALetter && isMidLetterQ(here))
        return PairRule::JoinBeforeLetter;
    if (isMidLetterQ(before) && here == Class::ALetter)
        return PairRule::JoinAfterLetter;
    if (isMidNumQ(before) && here == Class::Numeric)
        return PairRule::JoinAfterDigit;
    if (before == Class::Numeric && isMidNumQ(here))
        return PairRule::JoinBeforeDigit;
    if ((isWordy(before) || before == Class::ExtendNumLet) && here == Class::ExtendNumLet)
        return PairRule::Join;
    if (before == Class::ExtendNumLet && isWordy(here))
        return PairRule::Join;
    return PairRule::Break;
}

// Indexed by before * kClassStride + here.
constexpr size_t kClassStride = 16;
static_assert(WordSegmenter::Unsupported < kClassStride);

constexpr auto kPairRules = [] {
    std::array<PairRule, kClassStride * kClassStride> table{};
    for (size_t before = 0; before <= Class::Unsupported; ++before)
        for (size_t here = 0; here <= Class::Unsupported; ++here)
            table[before * kClassStride + here] =
                pairRule(static_cast<Class>(before), static_cast<Class>(here));
    return table;
}();

// Whether a pair whose rule does not settle it alone joins, by the
// characters around it (Unsupported past either end of the text): the pairs
// that join only inside a word or a number, "it's" and "3.14".
inline bool joinsAround(PairRule rule, Class beforeThat, Class after) {
    switch (rule) {
    case PairRule::Join:
        return true;
    case PairRule::Break:
        return false;
    case PairRule::JoinBeforeLetter:
        return after == Class::ALetter;
    case PairRule::JoinBeforeDigit:
        return after == Class::Numeric;
    case PairRule::JoinAfterLetter:
        return beforeThat == Class::ALetter;
    case PairRule::JoinAfterDigit:
        return beforeThat == Class::Numeric;
    }
    return false;
}

WordSegmenter::Class fromIcu(int value) {
    using C = WordSegmenter::Class;
    switch (value) {
    case U_WB_OTHER:
        return C::Other;
    case U_WB_ALETTER:
        return C::ALetter;
    case U_WB_NUMERIC:
        return C::Numeric;
    case U_WB_MIDLETTER:
        return C::MidLetter;
    case U_WB_MIDNUM:
        return C::MidNum;
    case U_WB_MIDNUMLET:
        return C::MidNumLet;
    case U_WB_SINGLE_QUOTE:
        return C::SingleQuote;
    case U_WB_EXTENDNUMLET:
        return C::ExtendNumLet;
    case U_WB_WSEGSPACE:
        return C::WSegSpace;
    case U_WB_CR:
        return C::CR;
    case U_WB_LF:
        return C::LF;
    case U_WB_NEWLINE:
        return C::Newline;
    default:
        return C::Unsupported;
    }
}

} // namespace

WordSegmenter::WordSegmenter() {
    if (u_getIntPropertyValue('a', UCHAR_WORD_BREAK) != U_WB_ALETTER)
        throw Error(ErrorNumber::CommandFailed,
                    "The document engine cannot start: the Unicode character data could not be "
                    "loaded.");
    for (uint32_t c = 0; c < m_latinClasses.size(); ++c)
        m_latinClasses[c] = fromIcu(u_getIntPropertyValue(c, UCHAR_WORD_BREAK));
    for (uint32_t c = 0; c < m_punctuationClasses.size(); ++c)
        m_punctuationClasses[c] = fromIcu(u_getIntPropertyValue(0x2000 + c, UCHAR_WORD_BREAK));
    // The boundary rules differ from the bare character property here: they
    // keep letters apart across a colon ("a:b" is three segments) and treat
    // "@" as a letter ("a@b" is one).
    m_latinClasses[':'] = Other;
    m_latinClasses['@'] = ALetter;
}

WordSegmenter::~WordSegmenter() = default;

// The full rules are loaded on first need: most documents never need them.
void WordSegmenter::createIterator() {
    UErrorCode status = U_ZERO_ERROR;
    m_iterator.reset(icu::BreakIterator::createWordInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status) || !m_iterator) {
        m_iterator.reset();
        throw Error(ErrorNumber::CommandFailed,
                    std::string("The word boundary rules could not be loaded (") +
                        u_errorName(status) + ").");
    }
}

WordSegmenter::Class WordSegmenter::classOf(uint32_t codePoint) const {
    if (codePoint < m_latinClasses.size())
        return m_latinClasses[codePoint];
    if (codePoint >= 0x2000 && codePoint < 0x2070)
        return m_punctuationClasses[codePoint - 0x2000];
    return Unsupported;
}

// The class of the character that starts at a byte that is not ASCII.
WordSegmenter::Class WordSegmenter::classOfSequence(std::string_view text, size_t at) const {
    const text::Utf8Char character = text::decodeUtf8(text, at);
    // The full rules read a malformed sequence as one U+FFFD however many
    // bytes it spans, which a byte-wise reading cannot follow.
    return character.valid ? classOf(character.code) : Unsupported;
}

// The word boundary rules for text made only of classes that need no look
// through extending characters, in one pass that also drops the segments made
// of spaces; false when the text needs the full rules.
bool WordSegmenter::quickWordStarts(std::string_view text, std::vector<uint32_t>& starts) const {
    const char* const data = text.data();
    const size_t size = text.size();
    const Class* const latin = m_latinClasses.data();
    struct Character {
        Class cls;
        uint32_t length;
    };
    // ASCII is read here directly: it is most of the text, and this loop is
    // where documents spend their opening time. The length is the one of a
    // well-formed sequence; a malformed one has no class.
    auto characterAt = [&](size_t at) {
        const auto lead = static_cast<unsigned char>(data[at]);
        if (lead < 0x80)
            return Character{latin[lead], 1};
        return Character{classOfSequence(text, at), lead < 0xE0 ? 2u : lead < 0xF0 ? 3u : 4u};
    };
    // A segment that is not the first and holds only spaces starts no word.
    auto closeSegment = [&](size_t from, size_t to) {
        if (from == 0)
            return;
        for (; from < to; ++from)
            if (data[from] != ' ')
                return;
        starts.pop_back();
    };
    // Nothing joins to the start of the text, so its first character opens
    // a segment like any other.
    Class beforeThat = Unsupported, before = Unsupported;
    Character here = characterAt(0);
    size_t segmentStart = 0;
    for (size_t hereAt = 0;;) {
        if (here.cls == Unsupported)
            return false;
        // Letters and digits next to each other join whatever is around them
        // (WB5, WB8 to WB10): run on over the ASCII ones.
        if (isWordy(before) && isWordy(here.cls)) {
            for (size_t next = hereAt + here.length; next < size; ++next) {
                const Class cls = latin[static_cast<unsigned char>(data[next]) & 0x7F];
                if (static_cast<signed char>(data[next]) < 0 || !isWordy(cls))
                    break;
                beforeThat = before;
                before = here.cls;
                here = Character{cls, 1};
                hereAt = next;
            }
        }
        const size_t afterAt = hereAt + here.length;
        const Character after = afterAt < size ? characterAt(afterAt) : Character{Unsupported, 0};
        const PairRule rule = kPairRules[before * kClassStride + here.cls];
        if (rule != PairRule::Join && !joinsAround(rule, beforeThat, after.cls)) {
            closeSegment(segmentStart, hereAt);
            segmentStart = hereAt;
            starts.push_back(static_cast<uint32_t>(hereAt));
        }
        if (afterAt >= size)
            break;
        beforeThat = before;
        before = here.cls;
        here = after;
        hereAt = afterAt;
    }
    closeSegment(segmentStart, size);
    return true;
}

void WordSegmenter::startsFromBoundaries(std::string_view text,
                                         std::vector<uint32_t>& starts) const {
    for (size_t k = 0; k + 1 < m_boundaries.size(); ++k) {
        uint32_t from = m_boundaries[k];
        std::string_view segment = text.substr(from, m_boundaries[k + 1] - from);
        if (from == 0 || !onlySpaces(segment))
            starts.push_back(from);
    }
}

void WordSegmenter::wordStarts(std::string_view text, std::vector<uint32_t>& starts) {
    starts.clear();
    if (text.empty())
        return;
    if (!quickWordStarts(text, starts))
        wordStartsByRules(text, starts);
}

void WordSegmenter::wordStartsByRules(std::string_view text, std::vector<uint32_t>& starts) {
    starts.clear();
    if (text.empty())
        return;
    if (!m_iterator)
        createIterator();
    UErrorCode status = U_ZERO_ERROR;
    UText* utext = utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status);
    if (U_FAILURE(status)) {
        starts.push_back(0);
        return;
    }
    m_iterator->setText(utext, status);
    m_boundaries.clear();
    for (int32_t at = m_iterator->first(); at != icu::BreakIterator::DONE; at = m_iterator->next())
        m_boundaries.push_back(static_cast<uint32_t>(at));
    utext_close(utext);
    startsFromBoundaries(text, starts);
}

} // namespace pellucor::word
