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
        return found;
    }
    if (plan.folderToExist && !IsFolder(*plan.folderToExist)) {
        found.stop = Stop::MissingFolder;
        found.folder = *plan.folderToExist;
        return found;
    }
    if (plan.sharedFolder)
        found.clashes = outputClashes(plan.documents, *plan.sharedFolder, plan.resultName);
    if (!found.clashes.empty()) {
        found.stop = Stop::OutputClash;
        return found;
    }
    found.problem = word::memoryCeiling().problem;
    if (!found.problem.empty())
        found.stop = Stop::MemoryLimit;
    else if (plan.wordProcessorMatters && Word1::IsWordRunning(automation))
        found.stop = Stop::WordProcessorOpen;
    return found;
}

} // namespace pellucor
