#include "PreRunChecks.h"

#include "base/PathHelpers.h"
#include "word/MemoryBudget.h"
#include "Word1.h"

namespace pellucor {

PreRunCheck checkBeforeRun(const RunPlan& plan, platform::WordAutomation& automation) {
    using Stop = BatchOutcome::Stop;
    PreRunCheck found;
    if (plan.documents.empty()) {
        found.stop = Stop::NoFiles;
    } else if (plan.folderToExist && !IsFolder(*plan.folderToExist)) {
        found.stop = Stop::MissingFolder;
        found.folder = *plan.folderToExist;
    } else if (plan.sharedFolder &&
               !(found.clashes = outputClashes(plan.documents, *plan.sharedFolder, plan.resultName))
                    .empty()) {
        found.stop = Stop::OutputClash;
    } else if (!(found.problem = word::memoryCeiling().problem).empty()) {
        found.stop = Stop::MemoryLimit;
    } else if (plan.wordProcessorMatters && Word1::IsWordRunning(automation)) {
        found.stop = Stop::WordProcessorOpen;
    }
    return found;
}

} // namespace pellucor
