#pragma once

#include "Outcome.h"
#include "OutputClash.h"
#include "services/WordAutomation.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pellucor {

// What a run is about to do, as far as the checks before it look.
struct RunPlan {
    std::vector<std::string> documents;
    // The folder the results are saved into, when it must exist.
    std::optional<std::string> folderToExist;
    // The folder where results could land on each other, when they are
    // saved into one; each result is saved there as resultName(k) (the
    // document's file name when not given).
    std::optional<std::string> sharedFolder;
    std::function<std::string(size_t document)> resultName;
    // Whether a running word processor, which may hold the documents open,
    // stops the run (a caller may ask the user and go on).
    bool wordProcessorMatters = true;
};

// Why a run must not start, found before anything is touched: the first of
// no documents, a missing output folder, results that would land on each
// other, a memory limit that cannot be read and a running word processor, in
// that order. `stop` is Stop::None when the run may start.
struct PreRunCheck {
    BatchOutcome::Stop stop = BatchOutcome::Stop::None;
    std::string folder;               // MissingFolder: the folder as given
    std::vector<OutputClash> clashes; // OutputClash
    std::string problem;              // MemoryLimit: what is wrong, in plain words
};

PreRunCheck checkBeforeRun(const RunPlan& plan, platform::WordAutomation& automation);

} // namespace pellucor
