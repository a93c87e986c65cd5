#pragma once

#include "StoryText.h"
#include "WordNames.h"
#include "WordSegmenter.h"

#include <cstdint>
#include <pugixml.hpp>
#include <string>
#include <vector>

namespace pellucor::word {

// The words of the main story, numbered from 1, over the DOM of the main
// part. Reading and writing a word cost constant time: writes are kept beside
// the DOM and put into the w:t elements by flush(), in one pass.
class WordModel {
public:
    WordModel(const WordNames& names, pugi::xml_node body, WordSegmenter& segmenter);

    int32_t count();
    std::string text(int32_t index);                      // 1-based
    void setText(int32_t index, const std::string& text); // throws Error
    bool hasChanges() const { return !m_changedTexts.empty(); }

    // Puts every pending write into the XML. The model stays usable: it is
    // read anew from the XML when next asked.
    void flush();

private:
    struct Entry {
        uint32_t paragraph = 0;
        uint32_t start = 0;       // in the arena; a word ends where the next entry starts
        uint32_t changedSlot = 0; // 1-based index into m_changedTexts, 0 when unchanged
        bool isMark = false;
        bool settable = false;
    };
    struct Paragraph {
        pugi::xml_node node;
        uint32_t textStart = 0; // in the arena
    };

    void build();
    void ensureCurrent() {
        if (m_stale)
            build();
    }
    void readParagraph(uint32_t paragraph, std::vector<Entry>& out);
    std::string_view currentText(size_t at) const;
    bool boundariesHold(size_t at);
    void resegmentParagraph(size_t at);
    void flushParagraph(size_t begin, size_t end);
    size_t checkedIndex(int32_t index);

    const WordNames& m_names;
    pugi::xml_node m_body;
    WordSegmenter& m_segmenter;
    std::vector<Paragraph> m_paragraphs;
    std::string m_arena;
    std::vector<Entry> m_words;
    std::vector<std::string> m_changedTexts;
    bool m_stale = false;
    // scratch buffers, kept to avoid allocating per paragraph
    std::vector<TextSpan> m_spans;
    std::vector<uint32_t> m_starts;
    std::string m_scratch;
};

} // namespace pellucor::word
