#pragma once

#include "base/Prompts.h"
#include "Outcome.h"
#include "services/WordAutomation.h"
#include "SpacingMode.h"
#include "word/EditOptions.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pellucor::Word1 {

// A place that a run would change. A word to rewrite: its number in its
// story, the mark it was found for, the words around it before and after
// the change, and its story (kind, and number among the stories of that
// kind). Or something removed before the words are walked: the protection,
// or the nth frame or floating table's position, in document order.
struct Place {
    enum class Kind { Word, Protection, Frame, TablePosition };

    std::string mark;
    int32_t word = 0; // the word's number, or the frame's or table's
    std::string before;
    std::string after;
    Kind kind = Kind::Word;
    word::StoryKind story = word::StoryKind::Main;
    int32_t storyNumber = 1;
};

struct DryRunOutcome {
    std::vector<MarkOutcome> marks; // one per mark, in order
};

// Told of each place as it is met; a document may have millions, so none is
// kept here.
using PlaceFound = std::function<void(const Place&)>;

// What DoIt would do to one document for each mark in turn, each pass on the
// previous pass's result, without saving anything: the document is opened
// once, unprotected or skipped, its frames removed and every pass made in
// memory, over the stories edit asks for; the instance is then quit with
// nothing written. What goes before the passes is found as places and
// counted in the first mark's outcome, where a run's first pass removes it.
// Failures are trapped as DoIt traps them (the error report box goes to
// prompts).
DryRunOutcome DryRun(const std::string& path, const std::vector<std::string>& marks, Mode mode,
                     platform::WordAutomation& automation, platform::Prompts& prompts,
                     const PlaceFound& found, const word::EditOptions& edit = {});

} // namespace pellucor::Word1
