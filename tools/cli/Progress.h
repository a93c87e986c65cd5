#pragma once

#include "Console.h"

#include <chrono>
#include <mutex>
#include <string>

namespace pellucor::cli {

// The progress line over all jobs: documents done of all, the document a job
// has just begun, and the time left, judged from the pace so far.
class Progress {
public:
    using Clock = std::chrono::steady_clock;

    Progress(Console& console, size_t total);
    void begin(const std::string& what);
    void end();

private:
    void showLocked(const std::string& what);

    Console& m_console;
    size_t m_total;
    size_t m_done = 0;
    Clock::time_point m_start;
    std::mutex m_mutex;
};

// "about 2m 05s left", from the time taken so far and the share done; empty
// before anything is done.
std::string timeLeft(Progress::Clock::duration elapsed, size_t done, size_t total);

} // namespace pellucor::cli
