#pragma once

#include "base/Error.h"
#include "BatchRequest.h"
#include "Outcome.h"
#include "Services.h"
#include "SpacingMode.h"
#include "word/Application.h"
#include "word/BatchDocument.h"
#include "word/Document.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pellucor::Word1 {

// What one pass reaches outside the document: the boxes, the engine, who
// is told of its progress, where its result goes (asked at the open and at
// the save; in place when inPlace is not given), how the document is
// walked and changed, and, in a batch, the document the pass is a mark of.
struct PassContext {
    platform::Prompts& prompts;
    platform::WordAutomation& automation;
    BatchObserver& observer;
    std::function<bool()> inPlace;
    std::function<std::string()> outputFolder;
    word::EditOptions edit;
    word::BatchDocument* document = nullptr;
};

// Processes one document for one mark: opens it in a new engine instance,
// unprotects it or skips it, removes its frames, adds (mode 1) or removes
// (mode 2) one space after every word that is the mark followed by one (two)
// spaces and does not follow a word of its story beginning with A to Z, in
// every story it was opened to walk, saves it into the output folder or over
// itself, and quits the instance. Any other mode changes no word. When results go to the output
// folder, path becomes the saved file's path once it is saved there. Every failure is reported in
// the error report box and the routine goes on, but a document that could not be opened, cleared of
// frames, walked or saved leaves path as it was. In a batch the pass opens what the batch document
// names (its source, or what an earlier mark of this run saved), never another file. Returns what
// the pass did, for callers that report it other than in boxes.
MarkOutcome DoIt(std::string& path, std::string mark, Mode mode, const PassContext& pass);

// The statements of DoIt: the line numbers its error report boxes show, and
// what each does.
struct DoItSteps {
    static constexpr TrapStep createObject{1, "start the engine"};
    static constexpr TrapStep hideAlerts{2, "start the engine"};
    static constexpr TrapStep open{3, "open"};
    static constexpr TrapStep removeFrames{5, "remove frames"};
    static constexpr TrapStep countWords{6, "count words"};
    static constexpr TrapStep countWordsToWalk{7, "count words"};
    static constexpr TrapStep letEventsIn{71, "show progress"};
    static constexpr TrapStep showProgress{72, "show progress"};
    static constexpr TrapStep addSpace{74, "change spacing"};
    static constexpr TrapStep removeSpace{75, "change spacing"};
    static constexpr TrapStep placeResult{8, "save"};
    static constexpr TrapStep save{9, "save"};
    static constexpr TrapStep quit{10, "quit"};
};

// A story of an open document to walk: its place among the document's
// stories, its kind and number among those of its kind, and its words.
struct StoryToWalk {
    int32_t number = 1;
    word::StoryKind kind = word::StoryKind::Main;
    int32_t numberOfKind = 1;
    int32_t words = 0;
};

// The stories the document was opened to walk, main story first; returns
// the words of all of them. Raises what counting raises.
int32_t wordsToWalk(const word::Document& document, std::vector<StoryToWalk>& stories);

// What a walk tells as it goes, besides counting its changes. progress, when
// given, hears of every word (how many are walked so far, and of how many in
// all); changed hears of each word rewritten, with its story's words to read
// around it. Both run inside the walk's trap.
struct WalkListener {
    std::function<void(int32_t walked, int32_t total)> progress;
    std::function<void(const StoryToWalk& story, word::WordCollection& words, int32_t word)>
        changed;
};

// One pass over every story the active document was opened to walk, each on
// its own: a story's first word is never changed and the capital rule looks
// at the word before in the same story. Changes are counted in outcome; the
// steps' errors go to trap, and a story that cannot be counted is not walked.
void walkStories(word::Application& app, ErrorTrap& trap, const std::string& mark, Mode mode,
                 MarkOutcome& outcome, const WalkListener& listener);

// Whether the first character of text is one of "A" to "Z". Raises an error
// for an empty text.
bool IsCapitalLetter(std::string text);

// The removal step failed to make the frame go: raised so the loop ends.
Error frameSurvived(int32_t count);

// Removes every frame: a floating table stops floating, a framed paragraph
// loses its frame. A frame that survives its step is deleted outright; if it
// still survives the loop stops with an error rather than run for ever.
// Returns how many of each went.
template <typename DocumentLike> Removals RemoveFrames(DocumentLike& document) {
    constexpr int wdWithInTable = 12;
    Removals removed;
    for (int32_t count = document.Frames().Count(); count != 0;) {
        auto frame = document.Frames()(1);
        const bool inTable = frame.Range().Information(wdWithInTable);
        if (inTable)
            frame.Range().Tables(1).Rows().SetWrapAroundText(false);
        else
            frame.Delete();
        int32_t left = document.Frames().Count();
        if (left >= count) {
            document.Frames()(1).Delete();
            left = document.Frames().Count();
            if (left >= count)
                throw frameSurvived(left);
        }
        ++(inTable ? removed.tablePositions : removed.frames);
        count = left;
    }
    return removed;
}

// One step of the walk, for word i (2 or more) of the words collection: the
// change is made only when both texts it depends on could be read; true when
// it was made. Errors go to the caller's trap.
template <typename WordsLike>
bool ChangeSpacing(WordsLike& words, int32_t i, const std::string& mark, Mode mode);

// Removes the document's protection when it can, noting it in removed; true
// when the document is still protected afterwards or cannot be examined at
// all (document null when it could not be opened), after telling the user
// when it can name it.
bool CheckProtection(word::Document* document, platform::Prompts& prompts, Removals& removed);

// Whether a word processor that may hold documents open is running.
bool IsWordRunning(platform::WordAutomation& automation);

// Asks whether to go on when one runs; true when the batch must stop.
bool WarnIfWordOpen(platform::WordAutomation& automation, platform::Prompts& prompts);

std::string trimmedOfSpaces(const std::string& text);

// Whether word i's text is head followed by tail, raising what reading it
// raises. The engine's collection compares in place instead of copying every
// word.
template <typename WordsLike>
bool WordTextIs(WordsLike& words, int32_t i, std::string_view head, std::string_view tail) {
    if constexpr (requires { words.textIs(i, head, tail); }) {
        return words.textIs(i, head, tail);
    } else {
        const std::string text = words(i).Text();
        return text.size() == head.size() + tail.size() && text.starts_with(head) &&
               text.ends_with(tail);
    }
}

template <typename WordsLike>
bool ChangeSpacing(WordsLike& words, int32_t i, const std::string& mark, Mode mode) {
    if (mode != Mode::Add && mode != Mode::Remove)
        return false;
    const auto spaces = mode == Mode::Add ? std::string_view(" ") : std::string_view("  ");
    if (!WordTextIs(words, i, mark, spaces))
        return false;
    if (IsCapitalLetter(words(i - 1).Text()))
        return false;
    words(i).SetText(trimmedOfSpaces(mark + std::string(spaces)) +
                     (mode == Mode::Add ? "  " : " "));
    return true;
}

} // namespace pellucor::Word1

namespace pellucor::IsInstalled {

// Proves at start that an engine instance can be created; when it cannot,
// explains and ends the program.
void CheckWordCanStart(Services& services);

} // namespace pellucor::IsInstalled
