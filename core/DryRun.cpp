#include "DryRun.h"

#include "base/ErrorTrap.h"
#include "word/Application.h"
#include "word/RunningInstance.h"
#include "Word1.h"

#include <algorithm>
#include <optional>
#include <tuple>
#include <utility>

namespace pellucor::Word1 {
namespace {

constexpr int32_t kWordsBefore = 2;
constexpr int32_t kWordsAfter = 1;

// The words around word i, joined, once with word i's old text and once with
// its new one; only word i changed, so the others are read once.
std::pair<std::string, std::string> contextOf(word::WordCollection& words, int32_t i, int32_t count,
                                              const std::string& old) {
    std::string before;
    std::string after;
    for (int32_t k = std::max(1, i - kWordsBefore); k <= std::min(count, i + kWordsAfter); ++k) {
        const std::string text = words(k).Text();
        before += k == i ? old : text;
        after += text;
    }
    return {before, after};
}

// The passes of an open document, each for one mark over every story; a
// place is told with its surroundings read before and after the change.
void walkMarks(word::Application& app, const std::vector<std::string>& marks, Mode mode,
               DryRunOutcome& outcome, std::vector<ErrorTrap>& traps, const PlaceFound& found) {
    for (size_t m = 0; m < marks.size(); ++m) {
        const std::string& mark = marks[m];
        // A word changes only when it was exactly the mark and its spaces.
        const std::string old = mark + (mode == Mode::Add ? " " : "  ");
        WalkListener listener;
        listener.changed = [&](const StoryToWalk& story, word::WordCollection& words, int32_t i) {
            Place place;
            place.mark = mark;
            place.word = i;
            std::tie(place.before, place.after) = contextOf(words, i, story.words, old);
            place.story = story.kind;
            place.storyNumber = story.numberOfKind;
            found(place);
        };
        walkStories(app, traps[m], mark, mode, outcome.marks[m], listener);
    }
}

// The removals as places, in the order they are made.
void reportRemovals(const Removals& removed, const PlaceFound& found) {
    if (removed.protection)
        found({"", 0, "", "", Place::Kind::Protection});
    for (int32_t k = 1; k <= removed.frames; ++k)
        found({"", k, "", "", Place::Kind::Frame});
    for (int32_t k = 1; k <= removed.tablePositions; ++k)
        found({"", k, "", "", Place::Kind::TablePosition});
}

} // namespace

DryRunOutcome DryRun(const std::string& path, const std::vector<std::string>& marks, Mode mode,
                     platform::WordAutomation& automation, platform::Prompts& prompts,
                     const PlaceFound& found, const word::EditOptions& edit) {
    DryRunOutcome outcome;
    std::vector<ErrorTrap> traps;
    for (const std::string& mark : marks) {
        outcome.marks.emplace_back().mark = mark;
        traps.emplace_back(prompts, "Word1", "DoIt");
    }
    if (marks.empty())
        return outcome;
    // What fails before the passes fails every one of them, as it would when
    // each pass opened the document anew.
    ErrorTrap opening(prompts, "Word1", "DoIt");
    std::optional<word::Application> app;
    std::optional<word::Document> document;
    opening(DoItSteps::createObject, [&] { app = automation.CreateObject(); });
    opening(DoItSteps::hideAlerts, [&] { app.value().SetDisplayAlerts(false); });
    opening(DoItSteps::open, [&] { document = app.value().Documents().Open(path, edit); });
    Removals& removed = outcome.marks.front().removed;
    const bool skipped = CheckProtection(document ? &*document : nullptr, prompts, removed);
    const bool protectedDocument = skipped && document.has_value();
    if (!skipped) {
        opening(DoItSteps::removeFrames, [&] { removed += RemoveFrames(document.value()); });
        reportRemovals(removed, found);
        walkMarks(*app, marks, mode, outcome, traps, found);
        // Named as a run names it: revisions were asked for, the format
        // holds none, and spaces would change.
        for (MarkOutcome& mark : outcome.marks)
            mark.changedOutright =
                edit.trackedBy && mark.wordsRewritten > 0 && !document.value().KeepsRevisions();
    }
    if (app)
        opening(DoItSteps::quit, [&] { app->Quit(); });
    document.reset();
    app.reset();
    for (size_t m = 0; m < marks.size(); ++m) {
        MarkOutcome& mark = outcome.marks[m];
        mark.skippedAsProtected = protectedDocument;
        addFailures(mark.failures, opening);
        addFailures(mark.failures, traps[m]);
    }
    return outcome;
}

} // namespace pellucor::Word1
