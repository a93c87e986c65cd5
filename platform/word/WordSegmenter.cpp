#include "WordSegmenter.h"

#include "base/Error.h"
#include "base/Icu.h"
#include "base/Utf8.h"

#include <algorithm>
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

// A longer text is cut into slices of this many characters (and starts), so
// that its scratch and its list of starts stay small.
constexpr size_t kSlice = 65536;

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

void WordSegmenter::makeRoom(size_t characters) {
    if (m_classes.size() < characters + 3) {
        m_classes.resize(characters + 3);
        m_offsets.resize(characters + 1);
    }
}

// Gives the characters from byte `at` up to byte `end` their classes and
// offsets, from the count-th on, after the two classes kept before them;
// false when one needs the full rules.
bool WordSegmenter::classify(std::string_view text, size_t& from, size_t end, size_t& count) {
    Class* const classes = m_classes.data() + 2;
    uint32_t* const offsets = m_offsets.data();
    size_t at = from, n = count;
    for (; at < end; ++n) {
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
    from = at;
    count = n;
    return true;
}

// Decides every boundary among the first `count` classified characters
// without branching and keeps those that start a word, in place of their
// offsets; false when a character needs the full rules. A boundary starts a
// word unless its segment is made of spaces, which here means it starts with
// U+0020, the only space left (nothing else joins a space); the text's first
// segment starts one whatever it holds.
bool WordSegmenter::keepWordStarts(size_t count, bool atTextStart, size_t& starts) {
    const Class* const classes = m_classes.data() + 2;
    uint32_t* const offsets = m_offsets.data();
    bool unsupported = false;
    size_t kept = 0;
    // Signed, so that looking back from the first character stays in bounds.
    const auto length = static_cast<ptrdiff_t>(count);
    const ptrdiff_t textStart = atTextStart ? 0 : -1;
    for (ptrdiff_t k = 0; k < length; ++k) {
        const Class before = classes[k - 1], here = classes[k];
        unsupported |= here == Unsupported;
        const JoinRule& rule = kPairRules[before * kClassStride + here];
        const bool join = rule.joins(classes[k - 2], classes[k + 1]);
        offsets[kept] = offsets[k];
        kept += !join & (k == textStart || here != WSegSpace);
    }
    starts = kept;
    return !unsupported;
}

// The word starts by the boundary rules for text made only of classes that
// need no look through extending characters; false when the text needs the
// full rules. Two characters of no class before the text and one after it
// stand for its ends in the rules that look around a pair.
bool WordSegmenter::quickWordStarts(std::string_view text, std::vector<uint32_t>& starts) {
    makeRoom(text.size());
    Class* const classes = m_classes.data() + 2;
    classes[-2] = classes[-1] = Unsupported;
    size_t at = 0, count = 0, kept = 0;
    if (!classify(text, at, text.size(), count))
        return false;
    classes[count] = Unsupported;
    if (!keepWordStarts(count, true, kept))
        return false;
    starts.assign(m_offsets.data(), m_offsets.data() + kept);
    return true;
}

// Whether the quick path can read the whole text, told before any of its
// slices is given away.
bool WordSegmenter::quickPathReads(std::string_view text) const {
    for (size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        if (lead < 0x80) {
            if (m_latinClasses[lead] == Unsupported)
                return false;
            ++at;
            continue;
        }
        const text::Utf8Char character = text::decodeUtf8(text, at);
        const Class type = character.valid ? classOf(character.code) : Unsupported;
        if (type == WSegSpace || type == Unsupported)
            return false;
        at += character.length;
    }
    return true;
}

// Each slice is read with the two characters before it and the one after it,
// which the rules look at around its ends.
void WordSegmenter::quickWordStartsInSlices(std::string_view text, std::vector<uint32_t>& slice,
                                            const std::function<void()>& take) {
    makeRoom(kSlice + 1);
    Class* const classes = m_classes.data() + 2;
    classes[-2] = classes[-1] = Unsupported;
    for (size_t at = 0; at < text.size();) {
        const bool atTextStart = at == 0;
        size_t count = 0, kept = 0;
        classify(text, at, std::min(text.size(), at + kSlice), count);
        size_t ahead = at, withNext = count;
        classify(text, ahead, std::min(text.size(), at + 1), withNext);
        if (withNext == count)
            classes[count] = Unsupported;
        const Class beforeLast = classes[static_cast<ptrdiff_t>(count) - 2];
        const Class last = classes[count - 1];
        keepWordStarts(count, atTextStart, kept);
        slice.assign(m_offsets.data(), m_offsets.data() + kept);
        if (!slice.empty())
            take();
        classes[-2] = beforeLast;
        classes[-1] = last;
    }
}

void WordSegmenter::wordStarts(std::string_view text, std::vector<uint32_t>& starts) {
    starts.clear();
    if (text.size() > kSlice) {
        std::vector<uint32_t> slice;
        wordStarts(text, slice, [&] { starts.insert(starts.end(), slice.begin(), slice.end()); });
    } else if (!text.empty() && !quickWordStarts(text, starts)) {
        wordStartsByRules(text, starts);
    }
}

void WordSegmenter::wordStarts(std::string_view text, std::vector<uint32_t>& slice,
                               const std::function<void()>& take) {
    if (text.size() <= kSlice) {
        wordStarts(text, slice);
        if (!slice.empty())
            take();
    } else if (quickPathReads(text)) {
        quickWordStartsInSlices(text, slice, take);
    } else {
        startsByRules(text, slice, &take);
    }
}

void WordSegmenter::wordStartsByRules(std::string_view text, std::vector<uint32_t>& starts) {
    startsByRules(text, starts, nullptr);
}

void WordSegmenter::startsByRules(std::string_view text, std::vector<uint32_t>& starts,
                                  const std::function<void()>* take) {
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
        if (take)
            (*take)();
        return;
    }
    struct Closer {
        UText* text;
        ~Closer() { icu::functions().textClose(text); }
    } closer{&utext};
    f.breakSetText(m_iterator.get(), &utext, &status);
    int32_t from = f.breakFirst(m_iterator.get());
    for (int32_t to = f.breakNext(m_iterator.get()); to != UBRK_DONE;
         from = to, to = f.breakNext(m_iterator.get())) {
        const auto start = static_cast<uint32_t>(from);
        if (start == 0 || !onlySpaces(text.substr(start, static_cast<uint32_t>(to) - start)))
            starts.push_back(start);
        if (take && starts.size() == kSlice) {
            (*take)();
            starts.clear();
        }
    }
    if (take && !starts.empty())
        (*take)();
}

} // namespace pellucor::word
