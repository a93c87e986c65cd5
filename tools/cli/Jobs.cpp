#include "Jobs.h"

#include "base/Error.h"
#include "base/PathHelpers.h"
#include "base/ShownName.h"
#include "base/Waiting.h"
#include "CliPrompts.h"
#include "EngineAutomation.h"
#include "OrderedLines.h"
#include "Report.h"
#include "word/MemoryBudget.h"
#include "Word1.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <mutex>
#include <thread>

namespace pellucor::cli {
namespace {

// Opened once; whoever waits goes on from then on.
class Gate {
public:
    void open() {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_opened.notify_all();
    }
    void wait() {
        std::unique_lock lock(m_mutex);
        m_opened.wait(lock, [&] { return m_open; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_opened;
    bool m_open = false;
};

uintmax_t sizeOf(const std::string& path) {
    std::error_code failure;
    uintmax_t size = std::filesystem::file_size(path, failure);
    return failure ? 0 : size;
}

// Collects the jobs' outcomes as they end, under its own lock.
class Collector {
public:
    explicit Collector(size_t documents) { m_outcome.documents.resize(documents); }

    void add(const CliWindow& window, BatchOutcome batch) {
        std::lock_guard lock(m_mutex);
        if (m_outcome.stop == BatchOutcome::Stop::None)
            m_outcome.stop = batch.stop;
        for (DocumentOutcome& document : batch.documents) {
            const ListedFile& file = window.files().at(static_cast<size_t>(document.row - 1));
            m_outcome.documents.at(file.index) = std::move(document);
        }
        for (const Failure& failure : batch.runFailures)
            m_outcome.errorsOutside.push_back(failure.description);
    }
    void addOutside(const std::string& error) {
        std::lock_guard lock(m_mutex);
        m_outcome.errorsOutside.push_back(error);
    }
    BatchOutcome::Stop stop() {
        std::lock_guard lock(m_mutex);
        return m_outcome.stop;
    }
    JobsOutcome take() { return std::move(m_outcome); }

private:
    std::mutex m_mutex;
    JobsOutcome m_outcome;
};

// With --yes the run goes on whether a word processor runs or not, so the
// process table is not read at all.
class CliAutomation : public platform::EngineAutomation {
public:
    explicit CliAutomation(bool proceedIfWordOpen) : m_lookForRunning(!proceedIfWordOpen) {}
    word::RunningInstance GetObject() override {
        if (!m_lookForRunning)
            throw Error(ErrorNumber::NoRunningInstance, "Not looked for: the run goes on anyway.");
        return EngineAutomation::GetObject();
    }

private:
    bool m_lookForRunning;
};

void runOneJob(const WindowSettings& settings, std::vector<ListedFile> files,
               bool proceedIfWordOpen, Progress& progress, Collector& collector,
               std::function<void()> onFirstFile) {
    CliWindow window(settings, std::move(files), progress, std::move(onFirstFile));
    CliPrompts prompts(proceedIfWordOpen);
    CliAutomation automation(proceedIfWordOpen);
    CliProgram program;
    Services services{window, prompts, automation, program};
    try {
        collector.add(window, RunBatch(services));
    } catch (const platform::ProgramEnded&) {
        collector.addOutside("the batch run ended the program");
    } catch (const std::exception& error) {
        collector.addOutside(std::string("the batch run stopped: ") + error.what());
    }
}

// A dry run whose error escapes its steps fails that document alone.
Word1::DryRunOutcome dryRun(const ListedFile& file, const WindowSettings& settings, int16_t mode,
                            platform::WordAutomation& automation, CliPrompts& prompts,
                            const Word1::PlaceFound& found) {
    try {
        return Word1::DryRun(file.path, settings.marks, mode, automation, prompts, found);
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

std::vector<std::vector<ListedFile>> shareOut(const std::vector<ListedFile>& files, unsigned jobs) {
    size_t count = std::max<size_t>(1, std::min<size_t>(jobs, files.size()));
    std::vector<std::vector<ListedFile>> shares(count);
    std::vector<uintmax_t> load(count, 0);
    for (const ListedFile& file : files) {
        size_t lightest =
            static_cast<size_t>(std::min_element(load.begin(), load.end()) - load.begin());
        shares[lightest].push_back(file);
        load[lightest] += sizeOf(file.path) + 1;
    }
    return shares;
}

JobsOutcome runJobs(const WindowSettings& settings, const std::vector<ListedFile>& files,
                    size_t documentCount, unsigned jobs, bool proceedIfWordOpen,
                    Progress& progress) {
    auto shares = shareOut(files, jobs);
    Collector collector(documentCount);
    // One job runs on this thread: starting another would cost more than a
    // small document.
    if (shares.size() == 1) {
        runOneJob(settings, std::move(shares[0]), proceedIfWordOpen, progress, collector, nullptr);
        return collector.take();
    }
    Gate checked;
    std::vector<std::thread> threads;
    threads.emplace_back([&] {
        runOneJob(settings, shares[0], proceedIfWordOpen, progress, collector,
                  [&] { checked.open(); });
        checked.open();
    });
    checked.wait();
    if (collector.stop() == BatchOutcome::Stop::None)
        for (size_t k = 1; k < shares.size(); ++k)
            threads.emplace_back([&, k] {
                runOneJob(settings, shares[k], proceedIfWordOpen, progress, collector, nullptr);
            });
    for (std::thread& thread : threads)
        thread.join();
    return collector.take();
}

JobsOutcome runDryJobs(const WindowSettings& settings, const std::vector<ListedFile>& files,
                       unsigned jobs, Progress& progress, Console& console) {
    JobsOutcome outcome;
    outcome.documents.resize(files.size());
    OrderedLines lines(console, files.size());
    const int16_t mode = settings.spacing == Spacing::Add ? Word1::ModeAdd : Word1::ModeRemove;
    std::atomic<size_t> next = 0;
    auto work = [&] {
        CliPrompts prompts(true);
        platform::EngineAutomation automation;
        for (size_t k = next++; k < files.size() && !stopRequested(); k = next++) {
            const ListedFile& file = files[k];
            progress.begin("Checking: " + shownName(FileNameOf(file.path)));
            Word1::DryRunOutcome dry =
                dryRun(file, settings, mode, automation, prompts, [&](const Word1::Place& place) {
                    lines.add(k, placeLine(file.path, place));
                });
            lines.finish(k);
            DocumentOutcome& document = outcome.documents[k].emplace();
            document.row = static_cast<int>(k + 1);
            document.path = file.path;
            document.marks = std::move(dry.marks);
            progress.end();
        }
    };
    const size_t count = std::max<size_t>(1, std::min<size_t>(jobs, files.size()));
    if (count == 1) {
        work();
        return outcome;
    }
    std::vector<std::thread> threads;
    for (size_t t = 0; t < count; ++t)
        threads.emplace_back(work);
    for (std::thread& thread : threads)
        thread.join();
    return outcome;
}

} // namespace pellucor::cli
