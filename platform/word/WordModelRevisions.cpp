#include "WordModel.h"

#include <algorithm>

namespace pellucor::word {
namespace {

bool continuesCharacter(std::string_view text, size_t at) {
    return at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80;
}

} // namespace

// A changed word's old and new texts differ in one stretch between what they
// begin and end with alike, cut at whole characters: that stretch is deleted
// and the new one inserted. A space added or removed after a mark is one
// insertion or one deletion.
void WordModel::listEdits(uint32_t index, size_t begin, size_t end) {
    const uint32_t textStart = m_paragraphs[index].textStart;
    m_edits.clear();
    for (size_t k = begin; k + 1 < end; ++k) {
        const Entry& entry = m_words[k];
        if (!entry.changedSlot)
            continue;
        const uint32_t from = entry.start - textStart;
        const std::string_view old =
            std::string_view(m_scratch).substr(from, m_words[k + 1].start - entry.start);
        const std::string_view now = m_changedTexts[entry.changedSlot - 1];
        size_t same = 0;
        while (same < old.size() && same < now.size() && old[same] == now[same])
            ++same;
        while (same > 0 && continuesCharacter(old, same))
            --same;
        size_t tail = 0;
        while (tail < std::min(old.size(), now.size()) - same &&
               old[old.size() - 1 - tail] == now[now.size() - 1 - tail])
            ++tail;
        while (tail > 0 && continuesCharacter(old, old.size() - tail))
            --tail;
        TextEdit edit{static_cast<uint32_t>(from + same),
                      static_cast<uint32_t>(old.size() - same - tail),
                      now.substr(same, now.size() - same - tail)};
        m_edits.push_back(ParagraphEdit{edit, same > 0});
    }
}

// Whether the paragraph's edit touches the w:t item, and if so it is added to
// the item's edits in the item's own bytes.
void WordModel::editsItem(const TextSpan& item, size_t edit) {
    const auto& [whole, afterText] = m_edits[edit];
    const uint32_t itemEnd = item.start + item.length;
    const uint32_t removedFrom = std::max(whole.at, item.start);
    const uint32_t removedTo = std::min(whole.at + whole.removed, itemEnd);
    const bool removes = removedTo > removedFrom;
    const bool inserts =
        !whole.inserted.empty() && (afterText ? item.start < whole.at && whole.at <= itemEnd
                                              : item.start <= whole.at && whole.at < itemEnd);
    if (!removes && !inserts)
        return;
    m_itemEdits.push_back(TextEdit{(removes ? removedFrom : whole.at) - item.start,
                                   removes ? removedTo - removedFrom : 0,
                                   inserts ? whole.inserted : std::string_view()});
}

// Writes the changed words of one paragraph as revisions, item by item; the
// paragraph's text and items are read already.
void WordModel::flushTracked(uint32_t index, size_t begin, size_t end) {
    listEdits(index, begin, end);
    m_revisions->reserve(m_edits.size() * TrackedEditWriter::kMostIdsPerEdit);
    TrackedEditWriter writer(m_names, *m_revisions, m_budget, memoryInUse() + m_revisionsGrowth);
    size_t next = 0; // the first edit that does not end before the item
    for (const TextSpan& item : m_spans) {
        if (!item.fromText || item.length == 0)
            continue;
        while (next < m_edits.size() &&
               m_edits[next].edit.at + m_edits[next].edit.removed < item.start)
            ++next;
        m_itemEdits.clear();
        for (size_t k = next; k < m_edits.size() && m_edits[k].edit.at <= item.start + item.length;
             ++k)
            editsItem(item, k);
        if (!m_itemEdits.empty())
            writer.write(item.node, std::string_view(m_scratch).substr(item.start, item.length),
                         m_itemEdits);
    }
    for (size_t k = begin; k < end; ++k)
        m_words[k].changedSlot = 0;
    m_revisionsGrowth = writer.inUse() - memoryInUse();
}

// Before the first revision goes in: the places must fit in what the budget
// leaves, their runs' formatting aside (counted as it is copied), and have
// numbers enough.
void WordModel::checkRevisionsFit() {
    uint64_t places = 0;
    for (const Entry& entry : m_words)
        places += entry.changedSlot != 0;
    m_budget.check(memoryInUse() + m_revisionsGrowth + places * TrackedEditWriter::kRevisionCost);
    m_revisions->reserve(places * TrackedEditWriter::kMostIdsPerEdit);
}

} // namespace pellucor::word
