#include "Jobs.h"

#include "BatchRun.h"
#include "CliPrompts.h"
#include "services/WordAutomation.h"

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <functional>
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

void runOneJob(const WindowSettings& settings, std::vector<ListedFile> files,
               bool proceedIfWordOpen, RunReport& report, Console& console,
               std::function<void()> onFirstFile) {
    CliWindow window(settings, std::move(files), report, console, std::move(onFirstFile));
    CliPrompts prompts(window, report, console, proceedIfWordOpen);
    platform::EngineAutomation automation;
    CliProgram program;
    Services services{window, prompts, automation, program};
    try {
        RunBatch(services);
    } catch (const platform::ProgramEnded&) {
        report.failedOutside();
    } catch (const std::exception& error) {
        console.error(std::string("pellucor-cli: the batch run stopped: ") + error.what());
        report.failedOutside();
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

void runJobs(const WindowSettings& settings, const std::vector<ListedFile>& files, unsigned jobs,
             bool proceedIfWordOpen, RunReport& report, Console& console) {
    auto shares = shareOut(files, jobs);
    Gate checked;
    std::vector<std::thread> threads;
    threads.emplace_back([&] {
        runOneJob(settings, shares[0], proceedIfWordOpen, report, console, [&] { checked.open(); });
        checked.open();
    });
    checked.wait();
    if (report.stop() == Stop::None)
        for (size_t k = 1; k < shares.size(); ++k)
            threads.emplace_back([&, k] {
                runOneJob(settings, shares[k], proceedIfWordOpen, report, console, nullptr);
            });
    for (std::thread& thread : threads)
        thread.join();
}

} // namespace pellucor::cli
