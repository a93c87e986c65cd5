// pellucor-cli: the batch run from the command line.
//
//   pellucor-cli [--add|--remove] [--marks M] [--ext LIST] [-o DIR|--in-place[=SUFFIX]]
//                [-n|--check] [--report FILE] [-j N] [-q|-v] [--yes]
//                [--stories main|all] [--track-changes[=AUTHOR]]
//                [--files-from LIST [-0]] FILE|FOLDER...
//   pellucor-cli --words FILE
#include "Author.h"
#include "Backup.h"
#include "base/AtomicFile.h"
#include "base/DesktopFolder.h"
#include "base/Error.h"
#include "base/PathHelpers.h"
#include "base/ShownName.h"
#include "base/Waiting.h"
#include "base/XmlText.h"
#include "CliOptions.h"
#include "Console.h"
#include "converter/ConverterService.h"
#include "EngineAutomation.h"
#include "Inputs.h"
#include "Jobs.h"
#include "Report.h"
#include "RunChecks.h"
#include "word/MemoryBudget.h"
#include "Word1.h"
#include "WordsDump.h"

#include <csignal>
#include <cstdlib>
#include <ctime>
#include <thread>

namespace pellucor::cli {
namespace {

enum ExitStatus { AllChanged = 0, SomeFailed = 1, BadUsage = 2 };

// Who the tracked changes are by: the author given, else the user's name.
std::string authorFrom(const std::string& given) {
    if (!given.empty())
        return given;
    std::string author = currentAuthor();
    for (const char* variable : {"LOGNAME", "USER"})
        if (author.empty() && std::getenv(variable))
            author = text::usableName(std::getenv(variable));
    if (author.empty())
        throw UsageError{"the user has no name to sign the changes with; give "
                         "--track-changes=AUTHOR"};
    return author;
}

JobSettings settingsFrom(const CliOptions& options) {
    JobSettings settings;
    settings.mode = options.spacing == Spacing::Add ? Word1::Mode::Add : Word1::Mode::Remove;
    settings.marks = options.marks;
    settings.inPlace = options.inPlace;
    settings.backupSuffix = options.backupSuffix;
    // A dry run saves nothing, so it looks for no folder.
    if (!options.inPlace && !options.dryRun)
        settings.outFolder = options.outFolder ? *options.outFolder : DesktopFolderPath();
    settings.edit.allStories = options.allStories;
    // One date for the whole run: when it started.
    if (options.trackedBy)
        settings.edit.trackedBy =
            word::Revisor{authorFrom(*options.trackedBy), utcTimestamp(std::time(nullptr))};
    return settings;
}

// One job a core unless told otherwise, and never more than fit in memory.
unsigned jobCount(const CliOptions& options, const std::vector<ListedFile>& files) {
    const unsigned wanted =
        options.jobs > 0 ? options.jobs : std::max(1u, std::thread::hardware_concurrency());
    return jobsThatFit(files, wanted);
}

// Runs the documents that passed the checks; each is backed up, when asked,
// once it is locked against other runs.
void runDocuments(const CliOptions& options, const JobSettings& settings, const Inputs& inputs,
                  Progress& progress, Console& console, JobsOutcome& outcome) {
    if (inputs.files.empty())
        return;
    outcome = runJobs(settings, inputs.files, inputs.files.size(), jobCount(options, inputs.files),
                      progress);
    console.endProgress();
}

bool writeReport(const CliOptions& options, const JobsOutcome& outcome, const Inputs& inputs,
                 Console& console) {
    if (!options.reportFile)
        return true;
    try {
        writeFileAtomically(*options.reportFile, jsonReport(outcome, inputs.files, options.marks,
                                                            options.dryRun, options.allStories));
        return true;
    } catch (const std::exception& error) {
        console.error("pellucor-cli: " + shownName(*options.reportFile) + ": " + error.what());
        return false;
    }
}

int runBatch(CliOptions options, Console& console, converter::ConverterService& conversions) {
    if (options.filesFrom)
        for (std::string& name : namesFrom(*options.filesFrom, options.nullSeparated))
            options.files.push_back(std::move(name));
    if (options.files.empty())
        throw UsageError{"give the documents to change; --help tells how"};
    Inputs inputs = collectInputs(options);
    JobSettings settings = settingsFrom(options);
    settings.conversions = &conversions;
    platform::EngineAutomation automation(&conversions);
    if (auto refused = refusalOf(options, settings.outFolder, inputs, automation)) {
        console.error(refused->line);
        return refused->status;
    }
    Progress progress(console, inputs.files.size());
    JobsOutcome outcome;
    if (options.dryRun) {
        outcome =
            runDryJobs(settings, inputs.files, jobCount(options, inputs.files), progress, console);
        console.endProgress();
    } else {
        runDocuments(options, settings, inputs, progress, console, outcome);
    }
    if (!options.quiet) {
        for (const std::string& note : inputs.notes)
            console.error("pellucor-cli: " + note);
        for (const std::string& line : outrightLines(outcome, inputs.files))
            console.error(line);
    }
    for (const std::string& problem : inputs.problems)
        console.error("pellucor-cli: " + problem);
    for (const std::string& line : problemLines(outcome, inputs.files))
        console.error(line);
    const bool reported = writeReport(options, outcome, inputs, console);
    if (options.verbose)
        console.output(documentLines(outcome, inputs.files, options.dryRun));
    console.output(summaryLine(outcome));
    const bool wouldChange = options.check && changeCount(outcome) > 0;
    const bool well = allWell(outcome) && inputs.problems.empty() && reported;
    return well && !wouldChange ? AllChanged : SomeFailed;
}

int run(int argc, char** argv, Console& console, converter::ConverterService& conversions) {
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
        if (options.quiet)
            console.quieten();
        if (const std::string problem = word::memoryCeiling().problem; !problem.empty())
            throw UsageError{problem};
        if (options.wordsOf)
            return dumpWords(*options.wordsOf, console, conversions);
        return runBatch(options, console, conversions);
    } catch (const UsageError& error) {
        console.error("pellucor-cli: " + error.message);
        console.error("Try 'pellucor-cli --help'.");
        return BadUsage;
    }
}

// SIGINT and SIGTERM stop the run after the document in hand; the report,
// the summary and the clean-up follow as after any run, and the exit status
// is 128 + the signal. A second one ends the program at once.
void stopOnSignals() {
    struct sigaction action = {};
    action.sa_handler = [](int signal) { requestStop(signal); };
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM})
        ::sigaction(signal, &action, nullptr);
}

} // namespace
} // namespace pellucor::cli

int main(int argc, char** argv) {
    pellucor::cli::Console console;
    pellucor::cli::stopOnSignals();
    // The LibreOffices every job shares, started on first need and stopped
    // here, before the program ends, whatever the run did.
    pellucor::converter::ConverterService conversions;
    int status = 1;
    try {
        status = pellucor::cli::run(argc, argv, console, conversions);
        if (const int signal = pellucor::stopRequested())
            status = 128 + signal;
    } catch (const std::exception& error) {
        console.error(std::string("pellucor-cli: ") + error.what());
    }
    conversions.stop();
    return status;
}
