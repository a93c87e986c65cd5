#pragma once

#include "MemoryBudget.h"
#include "StoryText.h"
#include "TrackedEdits.h"
#include "WordNames.h"
#include "WordSegmenter.h"

#include <cstdint>
#include <deque>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

namespace pellucor::word {

// The words of one story, numbered from 1, over the DOM of its container (the
// main part's body, a header's root, a note, a comment, a text box). Reading
// and writing a word cost constant time: writes are kept beside the DOM and
// put into the w:t elements by flush(), in one pass: outright, or as
// revisions when the model is given whom they are by. The list never outgrows
// what the budget leaves: it throws Error as it would.
class WordModel {
public:
    WordModel(const WordNames& names, pugi::xml_node body, WordSegmenter& segmenter,
              const MemoryBudget& budget, Revisions* revisions = nullptr);

    int32_t count();
    std::string text(int32_t index);                      // 1-based
    void setText(int32_t index, const std::string& text); // throws Error
    // text(index) == head + tail, without a copy: the walk asks it of every word.
    bool textIs(int32_t index, std::string_view head, std::string_view tail) {
        const std::string_view text = currentText(checkedIndex(index));
        return text.size() == head.size() + tail.size() && text.starts_with(head) &&
               text.ends_with(tail);
    }
    bool hasChanges() const { return !m_changedTexts.empty(); }
    // Whether other lists the same words and marks, settable alike, so that
    // the same writes can be made to both.
    bool sameWordsAs(WordModel& other);

    // Puts every pending write into the XML. The model stays usable: it is
    // read anew from the XML when next asked.
    void flush();

private:
    // Five bytes a word: a text of "x. " repeated has two words in three
    // bytes, and its list must stay within a few times the text.
    struct [[gnu::packed]] Entry {
        // The word's first byte in the arena; a word ends where the next entry
        // starts, and a paragraph mark starts where its paragraph's text ends.
        uint32_t start = 0;
        // 1-based index into m_changedTexts, 0 when unchanged
        uint8_t changedSlot : 6 = 0;
        uint8_t isMark : 1 = false;
        uint8_t settable : 1 = false;
    };
    static constexpr size_t kChangedSlots = 63;
    // A million-word document's list is tens of megabytes: kept in chunks, it
    // grows without ever being copied whole, so it never exists twice.
    using EntryList = std::deque<Entry>;
    struct Paragraph {
        pugi::xml_node node;
        uint32_t textStart = 0; // in the arena
        uint32_t mark = 0;      // where its mark stands in the list
    };

    void build();
    void ensureCurrent() {
        if (m_stale)
            build();
    }
    // What the list takes now, its scratch included.
    uint64_t memoryInUse() const;
    void listParagraphs();
    void readParagraph(uint32_t paragraph, EntryList& out);
    void markItemWords(size_t first, EntryList& out) const;
    std::string_view currentText(size_t at) const {
        const Entry& entry = m_words[at];
        if (entry.isMark)
            return "\r";
        if (entry.changedSlot)
            return m_changedTexts[entry.changedSlot - 1];
        return std::string_view(m_arena).substr(entry.start, m_words[at + 1].start - entry.start);
    }
    uint32_t paragraphOf(size_t at) const;
    uint8_t slotFor(const std::string& text);
    bool boundariesHold(size_t at);
    void resegmentParagraph(size_t at);
    void flushParagraph(uint32_t paragraph, size_t begin, size_t end);
    void rewriteText(pugi::xml_node element, const std::string& text);
    void flushTracked(uint32_t index, size_t begin, size_t end);
    void checkRevisionsFit();
    void listEdits(uint32_t index, size_t begin, size_t end);
    void editsItem(const TextSpan& item, size_t edit);
    size_t checkedIndex(int32_t index) {
        ensureCurrent();
        if (index < 1 || static_cast<size_t>(index) > m_words.size())
            throwMissing(index);
        return static_cast<size_t>(index - 1);
    }
    [[noreturn]] void throwMissing(int32_t index);

    const WordNames& m_names;
    pugi::xml_node m_body;
    WordSegmenter& m_segmenter;
    const MemoryBudget& m_budget;
    Revisions* m_revisions;         // null when writes are made outright
    uint64_t m_revisionsGrowth = 0; // what the revisions written so far added to the DOM
    std::vector<Paragraph> m_paragraphs;
    std::string m_arena;
    EntryList m_words;
    std::vector<std::string> m_changedTexts; // the distinct texts written, one a slot
    bool m_stale = true;
    // scratch buffers, kept to avoid allocating per paragraph
    std::vector<TextSpan> m_spans;
    std::vector<uint32_t> m_starts;
    std::string m_scratch;
    std::string m_buffer;                   // a w:t's new text
    std::string m_context;                  // the words a write is checked in
    std::vector<uint32_t> m_expectedStarts; // where their starts must stay
    // A changed word's edit, in bytes of its paragraph's text; an insertion
    // takes the look of the character before it, or at a word's start of its first.
    struct ParagraphEdit {
        TextEdit edit;
        bool afterText = false;
    };
    std::vector<ParagraphEdit> m_edits;
    std::vector<TextEdit> m_itemEdits;
};

} // namespace pellucor::word
