#include "Progress.h"

#include <cstdio>

namespace pellucor::cli {

std::string timeLeft(Progress::Clock::duration elapsed, size_t done, size_t total) {
    if (done == 0 || done >= total)
        return "";
    const double perDocument = std::chrono::duration<double>(elapsed).count() / done;
    const long long seconds = static_cast<long long>(perDocument * (total - done) + 0.5);
    char text[48];
    if (seconds >= 60)
        std::snprintf(text, sizeof text, "about %lldm %02llds left", seconds / 60, seconds % 60);
    else
        std::snprintf(text, sizeof text, "about %llds left", seconds);
    return text;
}

Progress::Progress(Console& console, size_t total)
    : m_console(console), m_total(total), m_start(Clock::now()) {}

void Progress::begin(const std::string& what) {
    std::lock_guard lock(m_mutex);
    showLocked(what);
}

void Progress::end() {
    std::lock_guard lock(m_mutex);
    ++m_done;
}

void Progress::showLocked(const std::string& what) {
    std::string line = "[" + std::to_string(m_done) + "/" + std::to_string(m_total) + "] " + what;
    const std::string left = timeLeft(Clock::now() - m_start, m_done, m_total);
    if (!left.empty())
        line += ", " + left;
    m_console.progress(line);
}

} // namespace pellucor::cli
