#include "WordModel.h"

#include "base/Error.h"
#include "base/Utf8.h"
#include "base/XmlText.h"
#include "TreeWalk.h"

#include <algorithm>

namespace pellucor::word {
namespace {

// A text element longer than this is sized before it is rewritten.
constexpr uint32_t kLongItem = 1u << 16;

// A text for a w:t: valid UTF-8 without control characters, which a text
// element cannot hold (tabs and breaks are items of their own), nor
// characters that XML cannot hold at all.
bool isPlainText(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        text::Utf8Char c = text::decodeUtf8(text, i);
        if (!c.valid || c.code < 0x20 || c.code == 0x7F || !text::xmlCanHold(c.code))
            return false;
        i += c.length;
    }
    return true;
}

} // namespace

WordModel::WordModel(const WordNames& names, pugi::xml_node body, WordSegmenter& segmenter,
                     const MemoryBudget& budget, Revisions* revisions)
    : m_names(names), m_body(body), m_segmenter(segmenter), m_budget(budget),
      m_revisions(revisions) {
    build();
}

uint64_t WordModel::memoryInUse() const {
    return m_paragraphs.capacity() * sizeof(Paragraph) + m_arena.capacity() +
           m_words.size() * sizeof(Entry) + m_starts.capacity() * sizeof(uint32_t) +
           m_spans.capacity() * sizeof(TextSpan);
}

// The list stays stale until it is whole; a list that does not fit the
// budget is let go at once.
void WordModel::build() {
    m_stale = true;
    m_paragraphs.clear();
    m_arena.clear();
    m_words.clear();
    m_changedTexts.clear();
    try {
        listParagraphs();
        for (uint32_t p = 0; p < m_paragraphs.size(); ++p) {
            readParagraph(p, m_words);
            m_budget.check(memoryInUse());
        }
    } catch (...) {
        std::vector<Paragraph>().swap(m_paragraphs);
        std::string().swap(m_arena);
        EntryList().swap(m_words);
        throw;
    }
    m_stale = false;
}

// Each paragraph takes at least its entry and its mark's: the list is checked
// before it grows.
void WordModel::listParagraphs() {
    forEachStoryParagraph(m_names, m_body, [&](pugi::xml_node p) {
        if (m_paragraphs.size() == m_paragraphs.capacity()) {
            const uint64_t more = std::max<uint64_t>(m_paragraphs.size(), 64);
            m_budget.check(memoryInUse() + more * (sizeof(Paragraph) + sizeof(Entry)));
        }
        m_paragraphs.push_back(Paragraph{p, 0, 0});
    });
}

void WordModel::readParagraph(uint32_t paragraph, EntryList& out) {
    m_spans.clear();
    const auto textStart = static_cast<uint32_t>(m_arena.size());
    appendParagraphText(m_names, m_paragraphs[paragraph].node, m_arena, m_spans);
    const auto textEnd = static_cast<uint32_t>(m_arena.size());
    m_paragraphs[paragraph].textStart = textStart;
    const size_t first = out.size();
    m_segmenter.wordStarts(std::string_view(m_arena).substr(textStart, textEnd - textStart),
                           m_starts, [&] {
                               for (uint32_t start : m_starts) {
                                   Entry entry;
                                   entry.start = textStart + start;
                                   entry.settable = true;
                                   out.push_back(entry);
                               }
                               m_budget.check(memoryInUse());
                           });
    markItemWords(first, out);
    m_paragraphs[paragraph].mark = static_cast<uint32_t>(out.size());
    Entry mark;
    mark.start = textEnd;
    mark.isMark = true;
    out.push_back(mark);
}

// The paragraph of entry at: the first whose mark is not before it.
uint32_t WordModel::paragraphOf(size_t at) const {
    auto found = std::partition_point(m_paragraphs.begin(), m_paragraphs.end(),
                                      [at](const Paragraph& p) { return p.mark < at; });
    return static_cast<uint32_t>(found - m_paragraphs.begin());
}

// A word can be rewritten when every character of it comes from a w:t; in
// most paragraphs every character does. The paragraph's words are out[first]
// on, in the order of its items.
void WordModel::markItemWords(size_t first, EntryList& out) const {
    size_t word = first;
    for (const TextSpan& item : m_spans) {
        if (!item.length || item.fromText)
            continue;
        const uint32_t itemStart = item.start;
        while (word + 1 < out.size() && out[word + 1].start <= itemStart)
            ++word;
        for (size_t k = word; k < out.size() && out[k].start < itemStart + item.length; ++k)
            out[k].settable = false;
    }
}

int32_t WordModel::count() {
    ensureCurrent();
    return static_cast<int32_t>(m_words.size());
}

void WordModel::throwMissing(int32_t index) {
    throw Error(ErrorNumber::MemberMissing,
                "The requested member of the collection does not exist: word " +
                    std::to_string(index) + " of " + std::to_string(count()) + ".");
}

bool WordModel::sameWordsAs(WordModel& other) {
    ensureCurrent();
    other.ensureCurrent();
    if (m_words.size() != other.m_words.size())
        return false;
    for (size_t k = 0; k < m_words.size(); ++k) {
        const Entry& mine = m_words[k];
        const Entry& theirs = other.m_words[k];
        if (mine.isMark != theirs.isMark || mine.settable != theirs.settable ||
            currentText(k) != other.currentText(k))
            return false;
    }
    return true;
}

std::string WordModel::text(int32_t index) {
    return std::string(currentText(checkedIndex(index)));
}

void WordModel::setText(int32_t index, const std::string& text) {
    size_t at = checkedIndex(index);
    const Entry entry = m_words[at];
    if (entry.isMark)
        throw Error(ErrorNumber::NotAvailable,
                    "Word " + std::to_string(index) +
                        " is a paragraph mark, whose text cannot be set.");
    if (!entry.settable)
        throw Error(ErrorNumber::NotAvailable,
                    "Word " + std::to_string(index) +
                        " holds a tab, a break, a picture or another item that is not plain text; "
                        "its text cannot be set.");
    if (!isPlainText(text))
        throw Error(ErrorNumber::CommandFailed,
                    "The text for word " + std::to_string(index) +
                        " is not plain text: it holds control characters or invalid UTF-8.");
    if (currentText(at) == text)
        return;
    uint8_t slot = slotFor(text);
    if (!slot) {
        // Every slot holds another text: the writes so far go into the XML.
        flush();
        at = checkedIndex(index);
        slot = slotFor(text);
    }
    const uint8_t before = m_words[at].changedSlot;
    m_words[at].changedSlot = slot & 0x3F;
    if (boundariesHold(at))
        return;
    try {
        resegmentParagraph(at);
    } catch (const Error&) {
        m_words[at].changedSlot = before; // refused before the paragraph was written
        throw;
    }
}

// Writes repeat a few texts (a mark and its spaces), so each is kept once.
uint8_t WordModel::slotFor(const std::string& text) {
    for (size_t k = 0; k < m_changedTexts.size(); ++k)
        if (m_changedTexts[k] == text)
            return static_cast<uint8_t>(k + 1);
    if (m_changedTexts.size() == kChangedSlots)
        return 0;
    m_changedTexts.push_back(text);
    return static_cast<uint8_t>(m_changedTexts.size());
}

// A write leaves the numbering as it was when the new text, read in its
// context, still forms exactly one word and its neighbours' boundaries stay
// where they were. The boundary rules look up to two characters back and one
// ahead, so a write can move the boundaries from two words before it to one
// word after it; those are checked, with one more word before for context.
bool WordModel::boundariesHold(size_t at) {
    if (currentText(at).empty())
        return false;
    size_t first = at;
    for (int k = 0; k < 3 && first > 0 && !m_words[first - 1].isMark; ++k)
        --first;
    size_t last = at;
    for (int k = 0; k < 2 && !m_words[last + 1].isMark; ++k)
        ++last;

    m_context.clear();
    m_expectedStarts.clear();
    uint32_t checkedFrom = 0;
    for (size_t w = first; w <= last; ++w) {
        if (w + 2 == at || (w == first && at < first + 2))
            checkedFrom = static_cast<uint32_t>(m_context.size());
        m_expectedStarts.push_back(static_cast<uint32_t>(m_context.size()));
        m_context += currentText(w);
    }
    m_segmenter.wordStarts(m_context, m_starts);
    auto checked = [checkedFrom](const std::vector<uint32_t>& list) {
        return std::lower_bound(list.begin(), list.end(), checkedFrom);
    };
    return std::equal(checked(m_expectedStarts), m_expectedStarts.cend(), checked(m_starts),
                      m_starts.cend());
}

void WordModel::resegmentParagraph(size_t at) {
    const uint32_t paragraph = paragraphOf(at);
    const size_t begin = paragraph == 0 ? 0 : m_paragraphs[paragraph - 1].mark + 1;
    const size_t end = m_paragraphs[paragraph].mark + 1;
    flushParagraph(paragraph, begin, end);
    EntryList fresh;
    readParagraph(paragraph, fresh);
    m_words.erase(m_words.begin() + static_cast<ptrdiff_t>(begin),
                  m_words.begin() + static_cast<ptrdiff_t>(end));
    m_words.insert(m_words.begin() + static_cast<ptrdiff_t>(begin), fresh.begin(), fresh.end());
    // The marks from here on move by as many words as the paragraph gained.
    const auto gained = static_cast<uint32_t>(fresh.size() - (end - begin));
    m_paragraphs[paragraph].mark += static_cast<uint32_t>(begin);
    for (size_t p = paragraph + 1; p < m_paragraphs.size(); ++p)
        m_paragraphs[p].mark += gained;
}

// Rebuilds the text of every w:t of one paragraph that holds part of a changed
// word. The new text of a word goes where its first character was; its
// characters in later elements are removed from them, and a run left with
// nothing in it goes. The paragraph's items are read again to find them.
void WordModel::flushParagraph(uint32_t index, size_t begin, size_t end) {
    const Paragraph& paragraph = m_paragraphs[index];
    m_scratch.clear();
    m_spans.clear();
    appendParagraphText(m_names, paragraph.node, m_scratch, m_spans);
    if (m_scratch.size() != m_words[end - 1].start - paragraph.textStart)
        throw Error(ErrorNumber::CommandFailed,
                    "Internal error: a paragraph changed behind the word list.");

    if (m_revisions)
        return flushTracked(index, begin, end);
    // Word k spans [inParagraph(k), inParagraph(k + 1)) of the paragraph's text.
    auto inParagraph = [&](size_t k) { return m_words[k].start - paragraph.textStart; };
    const size_t lastWord = end - 1; // the paragraph mark
    size_t first = begin;            // the first word that ends inside or after the item
    for (const TextSpan& item : m_spans) {
        const uint32_t itemEnd = item.start + item.length;
        if (item.length == 0)
            continue;
        while (inParagraph(first + 1) <= item.start)
            ++first;
        bool dirty = false;
        for (size_t k = first; k < lastWord && inParagraph(k) < itemEnd && !dirty; ++k)
            dirty = m_words[k].changedSlot != 0;
        if (!dirty)
            continue;
        // The item's new text, piece by piece: each word's part of it, or a
        // changed word's whole new text where the word begins.
        auto pieces = [&](auto&& take) {
            for (size_t k = first; k < lastWord && inParagraph(k) < itemEnd; ++k) {
                const Entry& entry = m_words[k];
                const uint32_t from = std::max(inParagraph(k), item.start);
                if (!entry.changedSlot)
                    take(std::string_view(m_scratch).substr(
                        from, std::min(inParagraph(k + 1), itemEnd) - from));
                else if (inParagraph(k) >= item.start)
                    take(std::string_view(m_changedTexts[entry.changedSlot - 1]));
            }
        };
        // A long text is sized first: grown by doubling, a text of many
        // megabytes would briefly take three times its size.
        if (item.length > kLongItem) {
            size_t length = 0;
            pieces([&](std::string_view piece) { length += piece.size(); });
            m_buffer.reserve(length);
        }
        m_buffer.clear();
        pieces([&](std::string_view piece) { m_buffer += piece; });
        rewriteText(item.node, m_buffer);
    }
    for (size_t k = begin; k < end; ++k)
        m_words[k].changedSlot = 0;
}

// Gives a w:t its new text; an emptied one goes, with its run when nothing
// but the run's properties is left in it.
void WordModel::rewriteText(pugi::xml_node element, const std::string& text) {
    if (!text.empty()) {
        setElementText(element, text);
        return;
    }
    pugi::xml_node run = element.parent();
    removeNode(element);
    for (pugi::xml_node child : run.children())
        if (child.type() == pugi::node_element && !m_names.is(child, "rPr"))
            return;
    removeNode(run);
}

void WordModel::flush() {
    if (m_changedTexts.empty())
        return;
    // The words' old texts are read from the XML again; the list is read
    // anew when next asked, and until then its memory is better spent on
    // writing the document out.
    m_stale = true;
    std::string().swap(m_arena);
    if (m_revisions)
        checkRevisionsFit();
    size_t begin = 0;
    for (uint32_t p = 0; p < m_paragraphs.size(); ++p) {
        const size_t end = m_paragraphs[p].mark + 1;
        bool changed = false;
        for (size_t w = begin; w < end && !changed; ++w)
            changed = m_words[w].changedSlot != 0;
        if (changed)
            flushParagraph(p, begin, end);
        begin = end;
    }
    std::vector<std::string>().swap(m_changedTexts);
    EntryList().swap(m_words);
    std::string().swap(m_scratch);
    std::string().swap(m_buffer);
}

} // namespace pellucor::word
