#include "WordSegmenter.h"

#include "base/Error.h"
#include "base/Icu.h"
#include "base/Utf8.h"

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

// The word boundary rules for text made only of classes that need no look
// through extending characters; false when the text needs the full rules.
bool WordSegmenter::quickBoundaries(std::string_view text) {
    m_classes.resize(text.size() + 1);
    m_offsets.resize(text.size() + 1);
    size_t n = 0;
    for (size_t at = 0; at < text.size();) {
        // ASCII is read in the loop itself: it is most of the text, and this
        // loop is where documents spend their opening time.
        const auto lead = static_cast<unsigned char>(text[at]);
        text::Utf8Char character{lead, 1, true};
        if (lead >= 0x80) {
            character = text::decodeUtf8(text, at);
            // The full rules read a malformed sequence as one U+FFFD however
            // many bytes it spans, which a byte-wise reading cannot follow.
            if (!character.valid)
                return false;
        }
        const Class c = classOf(character.code);
        if (c == Unsupported)
            return false;
        m_classes[n] = c;
        m_offsets[n] = static_cast<uint32_t>(at);
        ++n;
        at += character.length;
    }
    m_classes[n] = Unsupported; // a sentinel for the look-ahead rules
    m_offsets[n] = static_cast<uint32_t>(text.size());

    auto isMidLetterQ = [](Class c) {
        return c == MidLetter || c == MidNumLet || c == SingleQuote;
    };
    auto isMidNumQ = [](Class c) { return c == MidNum || c == MidNumLet || c == SingleQuote; };
    auto isBreakClass = [](Class c) { return c == CR || c == LF || c == Newline; };
    auto isWordy = [](Class c) { return c == ALetter || c == Numeric; };

    m_boundaries.clear();
    m_boundaries.push_back(0);
    const Class* cls = m_classes.data();
    for (size_t i = 1; i < n; ++i) {
        const Class before = cls[i - 1], here = cls[i];
        bool join;
        if (isWordy(before) && isWordy(here))
            join = true; // letters and digits in any mix (WB5, WB8 to WB10)
        else if (before == CR && here == LF)
            join = true;
        else if (isBreakClass(before) || isBreakClass(here))
            join = false;
        else if (before == WSegSpace && here == WSegSpace)
            join = true;
        else if (before == ALetter && isMidLetterQ(here) && cls[i + 1] == ALetter)
            join = true;
        else if (i >= 2 && cls[i - 2] == ALetter && isMidLetterQ(before) && here == ALetter)
            join = true;
        else if (i >= 2 && cls[i - 2] == Numeric && isMidNumQ(before) && here == Numeric)
            join = true;
        else if (before == Numeric && isMidNumQ(here) && cls[i + 1] == Numeric)
            join = true;
        else if ((isWordy(before) || before == ExtendNumLet) && here == ExtendNumLet)
            join = true;
        else if (before == ExtendNumLet && isWordy(here))
            join = true;
        else
            join = false;
        if (!join)
            m_boundaries.push_back(m_offsets[i]);
    }
    m_boundaries.push_back(static_cast<uint32_t>(text.size()));
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
    if (quickBoundaries(text)) {
        startsFromBoundaries(text, starts);
        return;
    }
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
