#pragma once

#include "EditOptions.h"
#include "MemoryBudget.h"
#include "WordNames.h"

#include <cstdint>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pellucor::word {

// The largest revision number written or read: readers keep these numbers
// in 32 bits. A larger one in a document is passed over, as ours never reach it.
inline constexpr int64_t kHighestRevisionId = 2147483647;

// Who the revisions of one document are by, and the numbers they take: every
// story's revisions draw on the same count, so that no two share a number.
class Revisions {
public:
    Revisions(Revisor by, int64_t firstFreeId, std::string path)
        : m_by(std::move(by)), m_next(firstFreeId), m_path(std::move(path)) {}
    const Revisor& by() const { return m_by; }
    // Throws Error naming the document when fewer than count numbers are
    // left: checked before anything is written, so that nothing is half done.
    void reserve(uint64_t count) const;
    std::string nextId();

private:
    Revisor m_by;
    int64_t m_next;
    std::string m_path;
};

// One change to the text of a w:t, in bytes of its old text: `removed` bytes
// from `at` are deleted and `inserted` goes in their place.
struct TextEdit {
    uint32_t at = 0;
    uint32_t removed = 0;
    std::string_view inserted;
};

// Writes edits to one w:t as revisions instead of making them: its run is
// split at each edit, a deleted piece goes into a w:del run of w:delText and
// an inserted one into a w:ins run, each run with a copy of the run's
// formatting. An insertion inside someone else's insertion splits theirs
// around it (the part before numbered anew); a deletion stays inside it.
// Edits are in order and apart. What the DOM grows by is counted: beyond what
// the budget leaves above inUse, the writer throws the budget's Error.
class TrackedEditWriter {
public:
    // What a revision adds to the DOM, its run's formatting aside: the w:ins
    // or w:del with its attributes, its run and text, and the run split
    // around it.
    static constexpr uint64_t kRevisionCost = 1024;
    // The numbers one edit may take: its deletion, its insertion, and the
    // part of someone else's insertion split off before it.
    static constexpr uint64_t kMostIdsPerEdit = 3;

    TrackedEditWriter(const WordNames& names, Revisions& revisions, const MemoryBudget& budget,
                      uint64_t inUse)
        : m_names(names), m_revisions(revisions), m_budget(budget), m_inUse(inUse) {}

    void write(pugi::xml_node text, std::string_view oldText, const std::vector<TextEdit>& edits);
    uint64_t inUse() const { return m_inUse; }

private:
    // Where the next node goes: after `after` in `parent`, or first in it.
    struct Cursor {
        pugi::xml_node parent;
        pugi::xml_node after;
    };

    pugi::xml_node insertAt(const Cursor& cursor, const char* local);
    pugi::xml_node revision(const Cursor& cursor, const char* local);
    pugi::xml_node runAt(const Cursor& cursor, pugi::xml_node formatting);
    std::optional<Cursor> leaveInsertion(Cursor& cursor);
    void mendSplits();
    void copyFormatting(pugi::xml_node formatting, pugi::xml_node run);
    void grow(uint64_t bytes);

    const WordNames& m_names;
    Revisions& m_revisions;
    const MemoryBudget& m_budget;
    uint64_t m_inUse;
    // Insertions split: the part before the cursor, and theirs after it.
    std::vector<std::pair<pugi::xml_node, pugi::xml_node>> m_splits;
};

// Gives a w:t (or w:delText) its text, keeping spaces at either end.
void setElementText(pugi::xml_node element, std::string_view text);

// The highest revision or bookmark number a part uses (any attribute named
// id with a decimal value, leading zeros and all, up to kHighestRevisionId),
// or -1: from a parsed part, or from its bytes.
int64_t highestIdIn(pugi::xml_node root);
int64_t highestIdIn(std::string_view xml);

} // namespace pellucor::word
