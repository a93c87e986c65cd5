#include "TrackedEdits.h"

#include "base/Error.h"
#include "TreeWalk.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace pellucor::word {
namespace {

// A DOM node with a share of its name, value and attributes.
constexpr uint64_t kNodeCost = 96;

bool isIdName(const char* name) {
    const char* colon = std::strrchr(name, ':');
    return std::strcmp(colon ? colon + 1 : name, "id") == 0;
}

// The value of a decimal number of any length, or -1 when it is none or
// above the highest number a revision can have.
int64_t decimal(std::string_view value) {
    if (value.empty())
        return -1;
    int64_t number = 0;
    for (char c : value) {
        if (c < '0' || c > '9')
            return -1;
        if (number <= kHighestRevisionId)
            number = number * 10 + (c - '0');
    }
    return number <= kHighestRevisionId ? number : -1;
}

} // namespace

void Revisions::reserve(uint64_t count) const {
    if (m_next > kHighestRevisionId ||
        count > static_cast<uint64_t>(kHighestRevisionId - m_next + 1))
        throw Error(ErrorNumber::CommandFailed,
                    "The document " + inQuotes(m_path) +
                        " cannot take tracked changes: its revisions, comments and bookmarks "
                        "leave too few numbers free below the highest number one can have (" +
                        std::to_string(kHighestRevisionId) + ").");
}

std::string Revisions::nextId() {
    reserve(1);
    return std::to_string(m_next++);
}

void setElementText(pugi::xml_node element, std::string_view text) {
    while (pugi::xml_node child = element.first_child())
        removeNode(child);
    element.append_child(pugi::node_pcdata).set_value(text.data(), text.size());
    if (!text.empty() && (text.front() == ' ' || text.back() == ' ')) {
        pugi::xml_attribute space = element.attribute("xml:space");
        if (!space)
            space = element.append_attribute("xml:space");
        space.set_value("preserve");
    }
}

void TrackedEditWriter::write(pugi::xml_node text, std::string_view oldText,
                              const std::vector<TextEdit>& edits) {
    m_splits.clear();
    pugi::xml_node run = text.parent();
    pugi::xml_node formatting = run.child(m_names.qualified("rPr").c_str());
    Cursor cursor{run.parent(), run};
    setElementText(text, oldText.substr(0, edits.front().at));
    for (size_t k = 0; k < edits.size(); ++k) {
        const TextEdit& edit = edits[k];
        if (edit.removed) {
            pugi::xml_node removed = revision(cursor, "del");
            Cursor inside{removed, {}};
            setElementText(
                runAt(inside, formatting).append_child(m_names.qualified("delText").c_str()),
                oldText.substr(edit.at, edit.removed));
            cursor.after = removed;
        }
        if (!edit.inserted.empty()) {
            const std::optional<Cursor> resume = leaveInsertion(cursor);
            pugi::xml_node inserted = revision(cursor, "ins");
            Cursor inside{inserted, {}};
            setElementText(runAt(inside, formatting).append_child(m_names.qualified("t").c_str()),
                           edit.inserted);
            cursor = resume ? *resume : Cursor{cursor.parent, inserted};
        }
        const size_t from = edit.at + edit.removed;
        const size_t to = k + 1 < edits.size() ? edits[k + 1].at : oldText.size();
        const bool last = k + 1 == edits.size();
        if (from == to && !(last && text.next_sibling()))
            continue;
        pugi::xml_node rest = runAt(cursor, formatting);
        cursor.after = rest;
        if (from < to)
            setElementText(rest.append_child(m_names.qualified("t").c_str()),
                           oldText.substr(from, to - from));
        while (last && text.next_sibling())
            rest.append_move(text.next_sibling());
    }
    if (edits.front().at == 0) {
        removeNode(text);
        bool onlyFormatting = true;
        for (pugi::xml_node child : run.children())
            onlyFormatting = onlyFormatting && child == formatting;
        if (onlyFormatting)
            removeNode(run);
    }
    mendSplits();
}

pugi::xml_node TrackedEditWriter::insertAt(const Cursor& cursor, const char* local) {
    const std::string name = m_names.qualified(local);
    pugi::xml_node parent = cursor.parent;
    return cursor.after ? parent.insert_child_after(name.c_str(), cursor.after)
                        : parent.prepend_child(name.c_str());
}

void TrackedEditWriter::grow(uint64_t bytes) {
    m_inUse += bytes;
    m_budget.check(m_inUse);
}

// A w:ins or w:del of this run's revisor, numbered, at the cursor.
pugi::xml_node TrackedEditWriter::revision(const Cursor& cursor, const char* local) {
    grow(kRevisionCost);
    pugi::xml_node mark = insertAt(cursor, local);
    mark.append_attribute(m_names.qualified("id").c_str()) = m_revisions.nextId().c_str();
    mark.append_attribute(m_names.qualified("author").c_str()) = m_revisions.by().author.c_str();
    mark.append_attribute(m_names.qualified("date").c_str()) = m_revisions.by().date.c_str();
    return mark;
}

pugi::xml_node TrackedEditWriter::runAt(const Cursor& cursor, pugi::xml_node formatting) {
    pugi::xml_node run = insertAt(cursor, "r");
    copyFormatting(formatting, run);
    return run;
}

// An insertion cannot stand inside another: when the cursor is inside one (or
// a moved text), what stands before the cursor in it goes into a copy of it,
// numbered anew, just before it, and the cursor moves between the two; their
// text goes on at the start of theirs. Only what precedes the cursor moves,
// once: the edits come in document order.
std::optional<TrackedEditWriter::Cursor> TrackedEditWriter::leaveInsertion(Cursor& cursor) {
    if (!m_names.is(cursor.parent, "ins") && !m_names.is(cursor.parent, "moveTo"))
        return std::nullopt;
    pugi::xml_node theirs = cursor.parent;
    if (pugi::xml_node splitAfter = cursor.after) {
        pugi::xml_node before = theirs.parent().insert_child_before(theirs.name(), theirs);
        for (pugi::xml_attribute attribute : theirs.attributes())
            before.append_attribute(attribute.name()) =
                isIdName(attribute.name()) ? m_revisions.nextId().c_str() : attribute.value();
        while (theirs.first_child() != splitAfter)
            before.append_move(theirs.first_child());
        before.append_move(splitAfter);
        m_splits.push_back({before, theirs});
    }
    cursor = {theirs.parent(), theirs.previous_sibling()};
    return Cursor{theirs, {}};
}

// A part left empty goes: the part before a split at the very start of the
// run, or theirs after a split at its very end, whose number the part before
// it takes back.
void TrackedEditWriter::mendSplits() {
    pugi::xml_node removed;
    for (auto split = m_splits.rbegin(); split != m_splits.rend(); ++split) {
        auto [before, theirs] = *split;
        if (!before.first_child()) {
            removeNode(before);
            continue;
        }
        if (theirs == removed || theirs.first_child())
            continue;
        for (pugi::xml_attribute attribute : theirs.attributes())
            if (isIdName(attribute.name()))
                before.attribute(attribute.name()).set_value(attribute.value());
        removeNode(theirs);
        removed = theirs;
    }
}

// The new run looks like the old one: its properties are copied, a change of
// formatting recorded in them numbered anew.
void TrackedEditWriter::copyFormatting(pugi::xml_node formatting, pugi::xml_node run) {
    if (!formatting)
        return;
    pugi::xml_node copy = run.append_copy(formatting);
    const std::string id = m_names.qualified("id");
    uint64_t nodes = 1;
    walkBelow(copy, [&](pugi::xml_node node) {
        ++nodes;
        if (pugi::xml_attribute attribute = node.attribute(id.c_str()))
            attribute.set_value(m_revisions.nextId().c_str());
        return node;
    });
    grow(nodes * kNodeCost);
}

int64_t highestIdIn(pugi::xml_node root) {
    int64_t highest = -1;
    walkBelow(root, [&](pugi::xml_node node) {
        for (pugi::xml_attribute attribute : node.attributes())
            if (isIdName(attribute.name()))
                highest = std::max(highest, decimal(attribute.value()));
        return node;
    });
    return highest;
}

int64_t highestIdIn(std::string_view xml) {
    int64_t highest = -1;
    for (size_t at = xml.find("id="); at != std::string_view::npos; at = xml.find("id=", at + 3)) {
        if (at == 0 || at + 4 >= xml.size() || (xml[at + 3] != '"' && xml[at + 3] != '\''))
            continue;
        const char before = xml[at - 1];
        if (before != ':' && before != ' ' && before != '\t' && before != '\n' && before != '\r')
            continue;
        const size_t end = xml.find(xml[at + 3], at + 4);
        if (end == std::string_view::npos)
            break;
        highest = std::max(highest, decimal(xml.substr(at + 4, end - at - 4)));
    }
    return highest;
}

} // namespace pellucor::word
