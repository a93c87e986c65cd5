#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace pellucor::word {

// The kinds of story a document of the .docx family tells its text in. The
// main story is the body; every other kind is walked only when asked for.
enum class StoryKind : uint8_t { Main, Header, Footer, Footnote, Endnote, Comment, TextBox };

// "main", "header", "footer", "footnote", "endnote", "comment", "text box".
const char* storyKindName(StoryKind kind);

// Who made the changes and when, for changes saved as tracked revisions.
struct Revisor {
    std::string author;
    std::string date; // W3C date and time in UTC, e.g. 2026-12-08T09:30:00Z
};

// How an opened document is walked and changed.
struct EditOptions {
    // Every story (headers, footers, notes, comments, text boxes) or the main
    // story alone.
    bool allStories = false;
    // Changes are saved as insertions and deletions by this revisor instead
    // of being made outright.
    std::optional<Revisor> trackedBy;
};

} // namespace pellucor::word
