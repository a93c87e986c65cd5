#include "Jobs.h"

#include "CliPrompts.h"
#include "services/WordAutomation.h"

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <functional>
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

void runOneJob(const WindowSettings& settings, std::vector<ListedFile> files,
               bool proceedIfWordOpen, std::atomic<int>& started, Console& console,
               Collector& collector, std::function<void()> onFirstFile) {
    CliWindow window(settings, std::move(files), started, console, std::move(onFirstFile));
    CliPrompts prompts(proceedIfWordOpen);
    platform::EngineAutomation automation;
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

} // namespace

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
                    unsigned jobs, bool proceedIfWordOpen, Console& console) {
    auto shares = shareOut(files, jobs);
    Collector collector(files.size());
    std::atomic<int> started = 0;
    Gate checked;
    std::vector<std::thread> threads;
    threads.emplace_back([&] {
        runOneJob(settings, shares[0], proceedIfWordOpen, started, console, collector,
                  [&] { checked.open(); });
        checked.open();
    });
    checked.wait();
    if (collector.stop() == BatchOutcome::Stop::None)
        for (size_t k = 1; k < shares.size(); ++k)
            threads.emplace_back([&, k] {
                runOneJob(settings, shares[k], proceedIfWordOpen, started, console, collector,
                          nullptr);
            });
    for (std::thread& thread : threads)
        thread.join();
    return collector.take();
}

} // namespace pellucor::cli
