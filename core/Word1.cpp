#include "Word1.h"

#include "base/AtomicFile.h"
#include "base/ErrorTrap.h"
#include "base/PathHelpers.h"
#include "base/ShownName.h"
#include "Messages.h"
#include "word/Application.h"
#include "word/RunningInstance.h"

#include <algorithm>
#include <optional>

namespace pellucor::Word1 {
namespace {

word::Application& require(std::optional<word::Application>& app) {
    if (!app)
        throw Error(ErrorNumber::ObjectNotSet,
                    "Object variable not set: the document engine could not be started.");
    return *app;
}

word::Document& require(std::optional<word::Document>& document) {
    if (!document)
        throw Error(ErrorNumber::ObjectNotSet, "Object variable not set: no document is open.");
    return *document;
}

// Whether a step of the document itself failed: starting the engine,
// opening, removing frames, counting or changing words; not the window's.
bool documentFailed(const ErrorTrap& trap) {
    return std::any_of(trap.trapped().begin(), trap.trapped().end(), [](const TrappedError& error) {
        return error.line != DoItSteps::letEventsIn.line &&
               error.line != DoItSteps::showProgress.line;
    });
}

// The words of one story of the active document; the main story's are
// reached directly, as most documents have no other.
word::WordCollection storyWords(word::Application& app, int32_t story) {
    word::Document document = app.ActiveDocument();
    return story == 1 ? document.Words() : document.Stories()(story).Words();
}

// The run's walk: its progress runs over all the words walked.
void walkStories(word::Application& app, ErrorTrap& trap, BatchObserver& observer,
                 const std::string& mark, Mode mode, MarkOutcome& outcome) {
    WalkListener listener;
    listener.progress = [&](int32_t walked, int32_t total) {
        trap(DoItSteps::letEventsIn, [&] { observer.letEventsIn(); });
        trap(DoItSteps::showProgress,
             [&] { observer.progress((walked + 1.0) / (total + 1.0) * 100.0); });
    };
    walkStories(app, trap, mark, mode, outcome, listener);
}

} // namespace

void walkStories(word::Application& app, ErrorTrap& trap, const std::string& mark, Mode mode,
                 MarkOutcome& outcome, const WalkListener& listener) {
    int32_t total = 0;
    std::vector<StoryToWalk> stories;
    if (listener.progress)
        trap(DoItSteps::countWords, [&] { total = wordsToWalk(app.ActiveDocument(), stories); });
    // Without a count there is nothing to walk.
    if (!trap(DoItSteps::countWordsToWalk, [&] { wordsToWalk(app.ActiveDocument(), stories); }))
        stories.clear();
    const TrapStep& change = mode == Mode::Remove ? DoItSteps::removeSpace : DoItSteps::addSpace;
    int32_t walked = 0;
    for (const StoryToWalk& story : stories) {
        for (int32_t i = 1; i <= story.words; ++i) {
            ++walked;
            if (listener.progress)
                listener.progress(walked, total);
            if (i == 1)
                continue;
            trap(change, [&] {
                auto words = storyWords(app, story.number);
                if (!ChangeSpacing(words, i, mark, mode))
                    return;
                ++outcome.wordsRewritten;
                ++outcome.storyChanges[story.kind];
                if (listener.changed)
                    listener.changed(story, words, i);
            });
        }
    }
}

int32_t wordsToWalk(const word::Document& document, std::vector<StoryToWalk>& stories) {
    stories.clear();
    const word::StoryCollection all = document.Stories();
    int32_t total = 0;
    for (int32_t s = 1, count = all.Count(); s <= count; ++s) {
        const word::Story story = all(s);
        const int32_t words = story.Words().Count();
        stories.push_back({s, story.Kind(), story.Number(), words});
        total += words;
    }
    return total;
}

Error frameSurvived(int32_t count) {
    return Error(ErrorNumber::CommandFailed, "A frame could not be removed; " +
                                                 std::to_string(count) +
                                                 " frame(s) were left in the document.");
}

bool IsCapitalLetter(std::string text) {
    if (text.empty())
        throw Error(ErrorNumber::InvalidProcedureCall, "Invalid procedure call or argument");
    return text[0] >= 'A' && text[0] <= 'Z';
}

std::string trimmedOfSpaces(const std::string& text) {
    size_t begin = text.find_first_not_of(' ');
    if (begin == std::string::npos)
        return {};
    return text.substr(begin, text.find_last_not_of(' ') - begin + 1);
}

MarkOutcome DoIt(std::string& path, std::string mark, Mode mode, const PassContext& pass) {
    ErrorTrap trap(pass.prompts, "Word1", "DoIt");
    std::optional<word::Application> app;
    std::optional<word::Document> document;
    MarkOutcome outcome;
    outcome.mark = mark;
    auto inPlace = [&] { return !pass.inPlace || pass.inPlace(); };

    trap(DoItSteps::createObject, [&] { app = pass.automation.CreateObject(); });
    trap(DoItSteps::hideAlerts, [&] { require(app).SetDisplayAlerts(false); });
    trap(DoItSteps::open, [&] {
        if (pass.document)
            path = pass.document->current();
        // Saved in place, a document named through a link replaces the file
        // the link names, and every later mark works on that file.
        if (inPlace())
            path = fileBehindLink(path);
        document = require(app).Documents().Open(path, pass.edit, pass.document);
    });
    const bool skipped =
        CheckProtection(document ? &*document : nullptr, pass.prompts, outcome.removed);
    outcome.skippedAsProtected = skipped && document.has_value();
    if (!skipped) {
        trap(DoItSteps::removeFrames, [&] { outcome.removed += RemoveFrames(require(document)); });
        walkStories(require(app), trap, pass.observer, mark, mode, outcome);
        outcome.changedOutright = pass.edit.trackedBy && outcome.wordsRewritten > 0 &&
                                  !require(document).KeepsRevisions();
        // What a failure left of the document is no result: it is not saved,
        // and the next mark opens the same file again. Without its place in
        // the output folder the result is not saved at all, rather than over
        // the source; path changes only once the result is saved there.
        if (!documentFailed(trap)) {
            std::string target = path;
            const bool placed = trap(DoItSteps::placeResult, [&] {
                if (!inPlace())
                    target =
                        Main::NormalizePath(pass.outputFolder() + kSeparator + FileNameOf(path));
                if (pass.document)
                    pass.document->lock(target);
            });
            if (placed &&
                trap(DoItSteps::save, [&] { require(app).ActiveDocument().SaveAs(target); })) {
                path = target;
                outcome.savedTo = target;
                if (pass.document)
                    pass.document->saved(target);
            }
        }
    }
    trap(DoItSteps::quit, [&] { require(app).Quit(); });
    document.reset();
    app.reset();
    addFailures(outcome.failures, trap);
    return outcome;
}

bool CheckProtection(word::Document* document, platform::Prompts& prompts, Removals& removed) {
    // Errors are ignored statement by statement; a condition that cannot be
    // evaluated counts as still protected, so nothing unexamined is changed.
    auto stillProtected = [&] {
        bool result = true;
        ignoringErrors([&] {
            if (!document)
                throw Error(ErrorNumber::ObjectNotSet, "no document");
            result = document->ProtectionType() != -1;
        });
        return result;
    };
    const bool wasProtected = stillProtected();
    if (wasProtected)
        ignoringErrors([&] {
            if (document)
                document->Unprotect();
        });
    if (!stillProtected()) {
        removed.protection = wasProtected;
        return false;
    }
    ignoringErrors([&] {
        if (!document)
            return;
        prompts.MsgBox(shownName(document->name()) + messages::kIsProtected +
                       messages::kRemoveProtection);
    });
    return true;
}

bool IsWordRunning(platform::WordAutomation& automation) {
    bool running = false;
    ignoringErrors([&] { running = automation.GetObject().Name() == messages::kRunningWordName; });
    return running;
}

bool WarnIfWordOpen(platform::WordAutomation& automation, platform::Prompts& prompts) {
    if (!IsWordRunning(automation))
        return false;
    return prompts.MsgBox(messages::kWordMayBeOpen, platform::Buttons::YesNo) !=
           platform::Answer::Yes;
}

} // namespace pellucor::Word1

namespace pellucor::IsInstalled {

void CheckWordCanStart(Services& services) {
    std::optional<word::Application> app;
    ignoringErrors([&] { app = services.automation.CreateObject(); });
    if (!app) {
        services.prompts.MsgBox(messages::kWordCannotStart);
        services.program.End();
    }
    ignoringErrors([&] { app->Quit(); });
}

} // namespace pellucor::IsInstalled
