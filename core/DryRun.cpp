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

// One pass over one story; a place is recorded with its surroundings read
// before and after the change.
void walkStory(word::Application& app, const StoryToWalk& story, const std::string& mark,
               int16_t mode, MarkOutcome& outcome, ErrorTrap& trap, const PlaceFound& found) {
    for (int32_t i = 2; i <= story.words; ++i) {
        trap(mode == ModeRemove ? DoItSteps::removeSpace : DoItSteps::addSpace, [&] {
            word::Document document = app.ActiveDocument();
            auto words =
                story.number == 1 ? document.Words() : document.Stories()(story.number).Words();
            if (!ChangeSpacing(words, i, mark, mode))
                return;
            ++outcome.wordsRewritten;
            ++outcome.storyChanges[story.kind];
            // A word changes only when it was exactly the mark and its spaces.
            const std::string old = mark + (mode == ModeAdd ? " " : "  ");
            Place place;
            place.mark = mark;
            place.word = i;
            std::tie(place.before, place.after) = contextOf(words, i, story.words, old);
            place.story = story.kind;
            place.storyNumber = story.numberOfKind;
            found(place);
        });
    }
}

// The passes of an open document, each for one mark over every story.
void walkMarks(word::Application& app, const std::vector<std::string>& marks, int16_t mode,
               DryRunOutcome& outcome, std::vector<ErrorTrap>& traps, const PlaceFound& found) {
    for (size_t m = 0; m < marks.size(); ++m) {
        ErrorTrap& trap = traps[m];
        std::vector<StoryToWalk> stories;
        if (!trap(DoItSteps::countWordsToWalk, [&] { wordsToWalk(app.ActiveDocument(), stories); }))
            stories.clear();
        for (const StoryToWalk& story : stories)
            walkStory(app, story, marks[m], mode, outcome.marks[m], trap, found);
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

DryRunOutcome DryRun(const std::string& path, const std::vector<std::string>& marks, int16_t mode,
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
