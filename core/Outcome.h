#pragma once

#include "base/ErrorTrap.h"
#include "word/EditOptions.h"

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace pellucor {

// An error a routine's trap caught: where (the step and its line), and the
// error's number and description.
struct Failure {
    std::string step;
    int line = 0;
    int number = 0;
    std::string description;
};

// The failure of a pass whose error escaped its own steps (memory running out,
// a box that cannot be shown): it fails that pass alone.
Failure escapedFailure(const std::exception& error);

// Appends the errors a trap caught to failures, each named by its step.
void addFailures(std::vector<Failure>& failures, const ErrorTrap& trap);

// What a pass removed besides spaces: framed paragraphs' frames, the
// positions of floating tables (they stop floating), and protection that had
// no password. Each of them changes the saved file.
struct Removals {
    int frames = 0;
    int tablePositions = 0;
    bool protection = false;

    bool any() const { return frames > 0 || tablePositions > 0 || protection; }
    Removals& operator+=(const Removals& other);
};

// What one pass of the spacing engine did with one document and one mark.
struct MarkOutcome {
    enum class Result { Changed, Unchanged, Protected, Failed, NotProcessed };

    std::string mark;
    int wordsRewritten = 0;
    std::map<word::StoryKind, int> storyChanges; // the words rewritten, by kind of story
    Removals removed;
    bool skippedAsProtected = false;
    bool changedOutright = false;  // revisions were asked for but the format holds none
    std::string savedTo;           // empty when nothing was saved
    std::vector<Failure> failures; // in the order they were reported

    Result result() const;
};

// One row of the file list and its passes, in list order of the ticked marks.
struct DocumentOutcome {
    int row = 0;      // 1-based row of the file list
    std::string path; // as listed
    std::vector<MarkOutcome> marks;
    // The file that holds this run's result for it, whatever its marks
    // reported; empty when the run left nothing of it on disk.
    std::string output;
    bool begun = true; // false for a document the run stopped before

    // Not processed when the run stopped before it; failed when any pass
    // failed; else protected when any was skipped; else changed when any
    // rewrote a word or removed anything; else unchanged.
    MarkOutcome::Result result() const;
    int wordsRewritten() const;
    std::map<word::StoryKind, int> storyChanges() const;
    Removals removed() const;
};

// What "Start Changing" did: why it stopped before the documents, if it did,
// every document it processed, and the errors of its own steps.
struct BatchOutcome {
    enum class Stop {
        None,
        AlreadyRunning,
        NoFiles,
        MissingFolder,
        OutputClash,
        MemoryLimit,
        WordProcessorOpen
    };

    Stop stop = Stop::None;
    std::vector<DocumentOutcome> documents;
    std::vector<Failure> runFailures;

    size_t count(MarkOutcome::Result result) const;
};

const char* resultName(MarkOutcome::Result result);

} // namespace pellucor
