#include "RunChecks.h"

#include "base/Error.h"
#include "base/PathHelpers.h"
#include "base/ShownName.h"
#include "PreRunChecks.h"

#include <filesystem>

namespace pellucor::cli {
namespace {

enum Status { BadUsage = 2, WordProcessorOpen = 3 };

RunPlan planOf(const CliOptions& options, const std::string& outFolder, const Inputs& inputs) {
    RunPlan plan;
    for (const ListedFile& file : inputs.files)
        plan.documents.push_back(file.path);
    if (!options.inPlace) {
        if (!options.dryRun)
            plan.folderToExist = outFolder;
        plan.sharedFolder = outFolder;
        plan.resultName = [&inputs](size_t k) {
            const ListedFile& file = inputs.files[k];
            const std::string name = FileNameOf(file.path);
            return file.subfolder.empty() ? name : file.subfolder + kSeparator + name;
        };
    }
    plan.wordProcessorMatters = !options.dryRun && !options.proceedIfWordOpen;
    return plan;
}

std::string missingFolderLine(const CliOptions& options, const std::string& folder) {
    return "pellucor-cli: the output folder " + inQuotes(folder) +
           (std::filesystem::exists(folder) ? " is a file, not a folder" : " does not exist") +
           (options.outFolder ? "" : " (the desktop folder; --out chooses another)");
}

std::string clashMessage(const OutputClash& clash) {
    return shownName(clash.files[0]) + " and " + shownName(clash.files[1]) +
           " would both be saved as " + shownName(clash.name) + " in the output folder";
}

} // namespace

std::optional<RunRefusal> refusalOf(const CliOptions& options, const std::string& outFolder,
                                    const Inputs& inputs, platform::WordAutomation& automation) {
    using Stop = BatchOutcome::Stop;
    const PreRunCheck found = checkBeforeRun(planOf(options, outFolder, inputs), automation);
    switch (found.stop) {
    case Stop::MissingFolder:
        return RunRefusal{missingFolderLine(options, found.folder), BadUsage};
    case Stop::OutputClash:
        throw UsageError{clashMessage(found.clashes.front())};
    case Stop::MemoryLimit:
        throw UsageError{found.problem};
    case Stop::WordProcessorOpen:
        return RunRefusal{"pellucor-cli: a word processor is running and may hold the documents "
                          "open; close it, or give --yes to proceed anyway",
                          WordProcessorOpen};
    case Stop::None:
    case Stop::NoFiles: // each argument that gave none is told as a problem of its own
    case Stop::AlreadyRunning:
        break;
    }
    return std::nullopt;
}

} // namespace pellucor::cli
