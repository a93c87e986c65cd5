#pragma once

#include "CliOptions.h"
#include "Inputs.h"
#include "services/WordAutomation.h"

#include <optional>
#include <string>

namespace pellucor::cli {

// What stops a run before any document is touched, as the command line tells
// it: one line for standard error and the exit status.
struct RunRefusal {
    std::string line;
    int status = 0;
};

// The checks before a run, on the documents the arguments stand for, their
// results saved into outFolder unless in place; nullopt when the run may go
// on. A dry run saves nothing, so it looks for no folder and no word
// processor. Results that would be saved over each other are refused as bad
// usage (UsageError).
std::optional<RunRefusal> refusalOf(const CliOptions& options, const std::string& outFolder,
                                    const Inputs& inputs, platform::WordAutomation& automation);

} // namespace pellucor::cli
