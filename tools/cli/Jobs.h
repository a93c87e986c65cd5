#pragma once

#include "BatchRun.h"
#include "CliWindow.h"
#include "Console.h"
#include "DryRun.h"
#include "Progress.h"

#include <optional>
#include <vector>

namespace pellucor::cli {

// What all jobs did: each listed document's outcome by its place among all
// given (none for a document no job reached), why a run stopped early, and
// the errors outside any document.
struct JobsOutcome {
    BatchOutcome::Stop stop = BatchOutcome::Stop::None;
    std::vector<std::optional<DocumentOutcome>> documents;
    std::vector<std::string> errorsOutside;
};

// How many documents may be worked on side by side: `wanted`, fewer when the
// memory budgets of the largest documents would not fit together in the
// memory available; at least one.
unsigned jobsThatFit(const std::vector<ListedFile>& files, unsigned wanted);

// Shares the documents among at most `jobs` lists of about the same total
// size, each list in the order given; never an empty list, except one when
// there are no documents.
std::vector<std::vector<ListedFile>> shareOut(const std::vector<ListedFile>& files, unsigned jobs);

// Runs one batch run per share, each in its own thread with its own window,
// prompts and engine. The first run goes alone until it reaches its first
// document, so that a run that stops at its checks (no output folder, a word
// processor the user will not work beside) stops before anything is touched.
// `documentCount` is the number of documents given, of which `files` are to
// be processed.
JobsOutcome runJobs(const WindowSettings& settings, const std::vector<ListedFile>& files,
                    size_t documentCount, unsigned jobs, bool proceedIfWordOpen,
                    Progress& progress);

// The dry run of every document, in at most `jobs` threads that take the next
// document as they become free; the places that would change are printed on
// standard output as they are found, in the order of the documents.
JobsOutcome runDryJobs(const WindowSettings& settings, const std::vector<ListedFile>& files,
                       unsigned jobs, Progress& progress, Console& console);

} // namespace pellucor::cli
