#include "Jobs.h"

#include "Backup.h"
#include "base/PathHelpers.h"
#include "base/ShownName.h"
#include "base/Waiting.h"
#include "CliPrompts.h"
#include "EngineAutomation.h"
#include "OrderedLines.h"
#include "Report.h"
#include "ResultFolder.h"
#include "word/MemoryBudget.h"
#include "Word1.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <mutex>
#include <thread>

namespace pellucor::cli {
namespace {

uintmax_t sizeOf(const std::string& path) {
    std::error_code failure;
    uintmax_t size = std::filesystem::file_size(path, failure);
    return failure ? 0 : size;
}

// The progress line of one job: a document begins when the run names it,
// and ends when its run returns.
class JobObserver : public BatchObserver {
public:
    explicit JobObserver(Progress& progress) : m_progress(progress) {}
    ~JobObserver() override {
        if (m_begun)
            m_progress.end();
    }
    void documentStarted(size_t, const std::string& path) override {
        m_progress.begin("Processing: " + shownName(FileNameOf(path)));
        m_begun = true;
    }

private:
    Progress& m_progress;
    bool m_begun = false;
};

// Runs `work` for each document in turn, in at most `jobs` threads that take
// the next document as they become free; each thread makes its own state
// once, for all its documents.
template <typename MakeState, typename Work>
void shareAmongJobs(size_t documents, unsigned jobs, MakeState makeState, Work work) {
    std::atomic<size_t> next = 0;
    auto job = [&] {
        auto state = makeState();
        for (size_t k = next++; k < documents && !stopRequested(); k = next++)
            work(*state, k);
    };
    const size_t count = std::max<size_t>(1, std::min<size_t>(jobs, documents));
    // One job runs on this thread: starting another would cost more than a
    // small document.
    if (count == 1)
        return job();
    std::vector<std::thread> threads;
    for (size_t t = 0; t < count; ++t)
        threads.emplace_back(job);
    for (std::thread& thread : threads)
        thread.join();
}

// What a job keeps for all its documents.
struct Engine {
    explicit Engine(converter::ConverterService* conversions) : automation(conversions) {}
    CliPrompts prompts{false};
    platform::EngineAutomation automation;
};

auto engineMaker(const JobSettings& settings) {
    return [conversions = settings.conversions] { return std::make_unique<Engine>(conversions); };
}

BatchRequest requestFor(const JobSettings& settings, const ListedFile& file, RunBackups* backups) {
    BatchRequest request;
    request.documents = {file.path};
    request.marks = settings.marks;
    request.mode = settings.mode;
    const bool inPlace = settings.inPlace;
    request.inPlace = [inPlace](size_t) { return inPlace; };
    // Made when the engine is about to save there; a folder that cannot be
    // made shows as the save's own failure, a link in the way as one of its own.
    request.outputFolder = [&settings, &file](size_t) {
        return resultFolder(settings.outFolder, file.subfolder);
    };
    request.edit = settings.edit;
    if (backups)
        request.beforeChanging = [backups, &file](size_t) { backups->keep(file.path); };
    request.trapModule = "pellucor-cli";
    request.trapProcedure = "runJobs";
    return request;
}

// A dry run whose error escapes its steps fails that document alone.
Word1::DryRunOutcome dryRun(const ListedFile& file, const JobSettings& settings, Engine& engine,
                            const Word1::PlaceFound& found) {
    try {
        return Word1::DryRun(file.path, settings.marks, settings.mode, engine.automation,
                             engine.prompts, found, settings.edit);
    } catch (const std::exception& error) {
        Word1::DryRunOutcome failed;
        for (const std::string& mark : settings.marks) {
            MarkOutcome& pass = failed.marks.emplace_back();
            pass.mark = mark;
            pass.failures.push_back(escapedFailure(error));
        }
        return failed;
    }
}

// What the system can still give without swapping; unbounded when unknown.
uint64_t availableMemory() {
    std::ifstream info("/proc/meminfo");
    std::string key;
    uint64_t kib = 0;
    std::string unit;
    while (info >> key >> kib >> unit)
        if (key == "MemAvailable:")
            return kib * 1024;
    return std::numeric_limits<uint64_t>::max();
}

} // namespace

unsigned jobsThatFit(const std::vector<ListedFile>& files, unsigned wanted) {
    if (wanted <= 1 || files.size() <= 1)
        return 1;
    // The largest files are the ones likely to run side by side at the worst.
    std::vector<std::pair<uintmax_t, const ListedFile*>> bySize;
    for (const ListedFile& file : files)
        bySize.emplace_back(sizeOf(file.path), &file);
    const size_t largest = std::min<size_t>(wanted, bySize.size());
    std::partial_sort(bySize.begin(), bySize.begin() + static_cast<ptrdiff_t>(largest),
                      bySize.end(), std::greater<>());
    std::vector<uint64_t> limits;
    for (size_t k = 0; k < largest; ++k)
        limits.push_back(word::estimatedMemoryLimitOf(bySize[k].second->path));
    std::sort(limits.begin(), limits.end(), std::greater<>());
    const uint64_t available = availableMemory();
    uint64_t taken = 0;
    unsigned jobs = 0;
    for (uint64_t limit : limits) {
        if (jobs > 0 && limit > available - std::min(available, taken))
            break;
        taken += limit;
        ++jobs;
    }
    return std::max(1u, jobs);
}

JobsOutcome runJobs(const JobSettings& settings, const std::vector<ListedFile>& files,
                    size_t documentCount, unsigned jobs, Progress& progress) {
    JobsOutcome outcome;
    outcome.documents.resize(documentCount);
    std::optional<RunBackups> backups;
    if (settings.inPlace && !settings.backupSuffix.empty())
        backups.emplace(settings.backupSuffix);
    std::mutex outside;
    shareAmongJobs(files.size(), jobs, engineMaker(settings), [&](Engine& engine, size_t k) {
        const ListedFile& file = files[k];
        BatchOutcome batch;
        std::vector<std::string> errors;
        try {
            JobObserver observer(progress);
            batch = RunBatch(requestFor(settings, file, backups ? &*backups : nullptr), observer,
                             engine.prompts, engine.automation);
        } catch (const std::exception& error) {
            errors.push_back(std::string("the batch run stopped: ") + error.what());
        }
        if (!batch.documents.empty())
            outcome.documents.at(file.index) = std::move(batch.documents.front());
        for (const Failure& failure : batch.runFailures)
            errors.push_back(failure.description);
        std::lock_guard lock(outside);
        outcome.errorsOutside.insert(outcome.errorsOutside.end(), errors.begin(), errors.end());
    });
    return outcome;
}

JobsOutcome runDryJobs(const JobSettings& settings, const std::vector<ListedFile>& files,
                       unsigned jobs, Progress& progress, Console& console) {
    JobsOutcome outcome;
    outcome.documents.resize(files.size());
    OrderedLines lines(console, files.size());
    shareAmongJobs(files.size(), jobs, engineMaker(settings), [&](Engine& engine, size_t k) {
        const ListedFile& file = files[k];
        progress.begin("Checking: " + shownName(FileNameOf(file.path)));
        Word1::DryRunOutcome dry = dryRun(file, settings, engine, [&](const Word1::Place& place) {
            lines.add(k, placeLine(file.path, place));
        });
        lines.finish(k);
        DocumentOutcome& document = outcome.documents[k].emplace();
        document.row = static_cast<int>(k + 1);
        document.path = file.path;
        document.marks = std::move(dry.marks);
        progress.end();
    });
    return outcome;
}

} // namespace pellucor::cli
