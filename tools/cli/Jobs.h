#pragma once

#include "BatchRun.h"
#include "CliWindow.h"
#include "Console.h"

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

// Shares the documents among at most `jobs` lists of about the same total
// size, each list in the order given; never an empty list, except one when
// there are no documents.
std::vector<std::vector<ListedFile>> shareOut(const std::vector<ListedFile>& files, unsigned jobs);

// Runs one batch run per share, each in its own thread with its own window,
// prompts and engine. The first run goes alone until it reaches its first
// document, so that a run that stops at its checks (no output folder, a word
// processor the user will not work beside) stops before anything is touched.
JobsOutcome runJobs(const WindowSettings& settings, const std::vector<ListedFile>& files,
                    unsigned jobs, bool proceedIfWordOpen, Console& console);

} // namespace pellucor::cli
