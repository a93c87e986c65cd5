#include "WordSegmenter.h"

#include "base/Error.h"
#include "base/Icu.h"
#include "base/Utf8.h"

#include <cstddef>
#include <string>

namespace pellucor::word {
namespace {

bool onlySpaces(std::string_view text) {
    for (char c : text)
        if (c != ' ')
            return false;
    return true;
}

// kLatinClasses and kPunctuationClasses, made from ICU at build time.
#include "WordClasses.inc"

using Class = WordSegmenter::Class;
constexpr auto kNoClass = static_cast<Class>(0xFF); // no character is of it

// How the rules decide whether two characters join, from their classes alone:
// outright, or when the character after them or the one before them is of a
// given class (the pairs that join only inside a word or a number: "it's",
// "3.14"). Read without branches, as the classes of ordinary text follow no
// pattern a processor could predict.
struct JoinRule {
    bool always = false;
    Class ifAfter = kNoClass;
    Class ifBeforeThat = kNoClass;

    bool joins(Class beforeThat, Class after) const {
        return always | (after == ifAfter) | (beforeThat == ifBeforeThat);
    }
};

constexpr bool isWordy(Class c) {
    return c == Class::ALetter || c == Class::Numeric;
}

constexpr JoinRule pairRule(Class before, Class here) {
    auto isMidLetterQ = [](Class c) {
        return c == Class::MidLetter || c == Class::MidNumLet || c == Class::SingleQuote;
    };
    auto isMidNumQ = [](Class c) {
        return c == Class::MidNum || c == Class::MidNumLet || c == Class::SingleQuote;
    };
    auto isBreakClass = [](Class c) {
        return c == Class::CR || c == Class::LF || c == Class::Newline;
    };
    constexpr JoinRule join{true};
    constexpr JoinRule split{};
    if (isWordy(before) && isWordy(here))
        return join; // letters and digits in any mix (WB5, WB8 to WB10)
    if (before == Class::CR && here == Class::LF)
        return join;
    if (isBreakClass(before) || isBreakClass(here))
        return split;
    if (before == Class::WSegSpace && here == Class::WSegSpace)
        return join;
    if (before == Class::ALetter && isMidLetterQ(here))
        return JoinRule{false, Class::ALetter};
    if (isMidLetterQ(before) && here == Class::ALetter)
        return JoinRule{false, kNoClass, Class::ALetter};
    if (isMidNumQ(before) && here == Class::Numeric)
        return JoinRule{false, kNoClass, Class::Numeric};
    if (before == Class::Numeric && isMidNumQ(here))
        return JoinRule{false, Class::Numeric};
    if ((isWordy(before) || before == Class::ExtendNumLet) && here == Class::ExtendNumLet)
        return join;
    if (before == Class::ExtendNumLet && isWordy(here))
        return join;
    return split;
}

// Indexed by before * kClassStride + here.
constexpr size_t kClassStride = 16;
static_assert(WordSegmenter::Unsupported < kClassStride);

constexpr auto kPairRules = [] {
    std::array<JoinRule, kClassStride * kClassStride> table{};
    for (size_t before = 0; before <= Class::Unsupported; ++before)
        for (size_t here = 0; here <= Class::Unsupported; ++here)
            table[before * kClassStride + here] =
                pairRule(static_cast<Class>(before), static_cast<Class>(here));
    return table;
}();

} // namespace

WordSegmenter::WordSegmenter() {
    static_assert(sizeof kLatinClasses == std::tuple_size_v<decltype(m_latinClasses)>);
    static_assert(sizeof kPunctuationClasses == std::tuple_size_v<decltype(m_punctuationClasses)>);
    for (size_t c = 0; c < m_latinClasses.size(); ++c)
        m_latinClasses[c] = static_cast<Class>(kLatinClasses[c]);
    for (size_t c = 0; c < m_punctuationClasses.size(); ++c)
        m_punctuationClasses[c] = static_cast<Class>(kPunctuationClasses[c]);
    // The boundary rules differ from the bare character property here: they
    // keep letters apart across a colon ("a:b" is three segments) and treat
    // "@" as a letter ("a@b" is one).
    m_latinClasses[':'] = Other;
    m_latinClasses['@'] = ALetter;
}

WordSegmenter::~WordSegmenter() = default;

void WordSegmenter::IteratorCloser::operator()(UBreakIterator* iterator) const {
    icu::functions().breakClose(iterator);
}

// The full rules, and ICU with them, are loaded on first need: most documents
// never need them.
void WordSegmenter::createIterator() {
    const icu::Functions& f = icu::functions();
    UErrorCode status = U_ZERO_ERROR;
    m_iterator.reset(f.breakOpen(UBRK_WORD, "", nullptr, 0, &status));
    if (U_FAILURE(status) || !m_iterator) {
        m_iterator.reset();
        throw Error(ErrorNumber::CommandFailed,
                    std::string("The word boundary rules could not be loaded (") +
                        f.errorName(status) + ").");
    }
}

WordSegmenter::Class WordSegmenter::classOf(uint32_t codePoint) const {
    if (codePoint < m_latinClasses.size())
        return m_latinClasses[codePoint];
    if (codePoint >= 0x2000 && codePoint < 0x2070)
        return m_punctuationClasses[codePoint - 0x2000];
    return Unsupported;
}

// The word starts by the boundary rules for text made only of classes that
// need no look through extending characters; false when the text needs the
// full rules. One pass gives every character its class, the next decides
// every boundary without branching and keeps those that start a word.
bool WordSegmenter::quickWordStarts(std::string_view text, std::vector<uint32_t>& starts) {
    if (m_classes.size() < text.size() + 3) {
        m_classes.resize(text.size() + 3);
        m_offsets.resize(text.size() + 1);
    }
    // Two characters of no class before the text and one after it stand for
    // its ends in the rules that look around a pair.
    Class* const classes = m_classes.data() + 2;
    uint32_t* const offsets = m_offsets.data();
    classes[-2] = classes[-1] = Unsupported;
    size_t n = 0;
    for (size_t at = 0; at < text.size(); ++n) {
        // ASCII is most of the text, and this loop is where documents spend
        // their opening time.
        const auto lead = static_cast<unsigned char>(text[at]);
        offsets[n] = static_cast<uint32_t>(at);
        if (lead < 0x80) {
            classes[n] = m_latinClasses[lead];
            ++at;
            continue;
        }
        const text::Utf8Char character = text::decodeUtf8(text, at);
        // The full rules read a malformed sequence as one U+FFFD however many
        // bytes it spans, which a byte-wise reading cannot follow. Other
        // spaces than U+0020 would make a run of spaces a word.
        if (!character.valid || classOf(character.code) == WSegSpace)
            return false;
        classes[n] = classOf(character.code);
        at += character.length;
    }
    classes[n] = Unsupported;

    // A boundary starts a word unless its segment is made of spaces, which
    // here means it starts with U+0020, the only space left (nothing else
    // joins a space); the first segment starts one whatever it holds. Starts
    // overwrite the offsets already read.
    bool unsupported = false;
    size_t count = 0;
    // Signed, so that looking back from the first character stays in bounds.
    const auto length = static_cast<ptrdiff_t>(n);
    for (ptrdiff_t k = 0; k < length; ++k) {
        const Class before = classes[k - 1], here = classes[k];
        unsupported |= here == Unsupported;
        const JoinRule& rule = kPairRules[before * kClassStride + here];
        const bool join = rule.joins(classes[k - 2], classes[k + 1]);
        offsets[count] = offsets[k];
        count += !join & (k == 0 || here != WSegSpace);
    }
    if (unsupported)
        return false;
    starts.assign(offsets, offsets + count);
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
    const icu::Functions& f = icu::functions();
    UErrorCode status = U_ZERO_ERROR;
    UText utext = UTEXT_INITIALIZER;
    f.textOpenUtf8(&utext, text.data(), static_cast<int64_t>(text.size()), &status);
    if (U_FAILURE(status)) {
        starts.push_back(0);
        return;
    }
    f.breakSetText(m_iterator.get(), &utext, &status);
    m_boundaries.clear();
    for (int32_t at = f.breakFirst(m_iterator.get()); at != UBRK_DONE;
         at = f.breakNext(m_iterator.get()))
        m_boundaries.push_back(static_cast<uint32_t>(at));
    f.textClose(&utext);
    startsFromBoundaries(text, starts);
}

} // namespace pellucor::word
