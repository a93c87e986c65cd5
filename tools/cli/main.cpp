// pellucor-cli: the batch run from the command line.
//
//   pellucor-cli [--add|--remove] [--marks M] [--out DIR|--in-place] [--jobs N] [--yes] FILE...
//   pellucor-cli --words FILE
#include "base/DesktopFolder.h"
#include "base/PathHelpers.h"
#include "CliOptions.h"
#include "Console.h"
#include "Jobs.h"
#include "Report.h"
#include "WordsDump.h"

#include <filesystem>
#include <map>
#include <thread>

namespace pellucor::cli {
namespace {

enum ExitStatus { AllChanged = 0, SomeFailed = 1, BadUsage = 2, WordProcessorOpen = 3 };

std::string canonicalOf(const std::string& path) {
    std::error_code failure;
    auto canonical = std::filesystem::weakly_canonical(path, failure);
    return failure ? path : canonical.string();
}

// Folders are not taken yet; a document listed twice, or two documents that
// would be saved under the same name in the output folder, would overwrite
// each other's results (and race when jobs run side by side).
void checkFiles(const CliOptions& options) {
    std::map<std::string, std::string> seenPaths;
    std::map<std::string, std::string> seenNames;
    for (const std::string& file : options.files) {
        if (IsFolder(file))
            throw UsageError{file + " is a folder; folders are not supported yet, "
                                    "list the documents instead"};
        auto [path, newPath] = seenPaths.emplace(canonicalOf(file), file);
        if (!newPath)
            throw UsageError{file + " is listed twice (also as " + path->second + ")"};
        if (options.inPlace)
            continue;
        auto [name, newName] = seenNames.emplace(FileNameOf(file), file);
        if (!newName)
            throw UsageError{name->second + " and " + file + " would both be saved as " +
                             FileNameOf(file) + " in the output folder"};
    }
}

WindowSettings settingsFrom(const CliOptions& options) {
    WindowSettings settings;
    settings.spacing = options.spacing;
    settings.marks = options.marks;
    settings.inPlace = options.inPlace;
    settings.outFolder = options.outFolder ? *options.outFolder : DesktopFolderPath();
    settings.documentCount = options.files.size();
    return settings;
}

unsigned jobCount(const CliOptions& options) {
    if (options.jobs > 0)
        return options.jobs;
    return std::max(1u, std::thread::hardware_concurrency());
}

int runBatch(const CliOptions& options, Console& console) {
    checkFiles(options);
    WindowSettings settings = settingsFrom(options);
    std::vector<ListedFile> files;
    for (size_t k = 0; k < options.files.size(); ++k)
        files.push_back({k, options.files[k]});
    JobsOutcome outcome =
        runJobs(settings, files, jobCount(options), options.proceedIfWordOpen, console);
    console.endProgress();

    switch (outcome.stop) {
    case BatchOutcome::Stop::NoFiles:
        console.error("pellucor-cli: give the documents to change; --help tells how");
        return BadUsage;
    case BatchOutcome::Stop::MissingFolder:
        console.error("pellucor-cli: the output folder \"" + settings.outFolder +
                      "\" does not exist" +
                      (options.outFolder ? "" : " (the desktop folder; --out chooses another)"));
        return BadUsage;
    case BatchOutcome::Stop::OutputClash:
        // Refused above with the names of both documents.
        return BadUsage;
    case BatchOutcome::Stop::WordProcessorOpen:
        console.error("pellucor-cli: a word processor is running and may hold the documents "
                      "open; close it, or give --yes to proceed anyway");
        return WordProcessorOpen;
    case BatchOutcome::Stop::AlreadyRunning:
    case BatchOutcome::Stop::None:
        break;
    }
    for (const std::string& line : problemLines(outcome, files))
        console.error(line);
    console.output(summaryLine(outcome));
    return allWell(outcome) ? AllChanged : SomeFailed;
}

int run(int argc, char** argv, Console& console) {
    try {
        CliOptions options = parseOptions(argc, argv);
        if (options.help) {
            console.output(usageText());
            return AllChanged;
        }
        if (options.version) {
            console.output(std::string("pellucor-cli ") + PELLUCOR_VERSION);
            return AllChanged;
        }
        if (options.wordsOf)
            return dumpWords(*options.wordsOf, console);
        return runBatch(options, console);
    } catch (const UsageError& error) {
        console.error("pellucor-cli: " + error.message);
        console.error("Try 'pellucor-cli --help'.");
        return BadUsage;
    }
}

} // namespace
} // namespace pellucor::cli

int main(int argc, char** argv) {
    pellucor::cli::Console console;
    try {
        return pellucor::cli::run(argc, argv, console);
    } catch (const std::exception& error) {
        console.error(std::string("pellucor-cli: ") + error.what());
        return 1;
    }
}
