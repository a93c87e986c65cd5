#include "Console.h"

#include "base/ShownName.h"

#include <cstdio>
#include <unistd.h>

namespace pellucor::cli {
namespace {

void writeWhole(std::FILE* stream, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

constexpr const char* kClearLine = "\r\033[K";

} // namespace

std::string oneLine(const std::string& text) {
    std::string line;
    line.reserve(text.size());
    for (size_t k = 0; k < text.size(); ++k) {
        const bool lineBreak = text[k] == '\r' || text[k] == '\n';
        if (!lineBreak)
            line += text[k];
        else if (k == 0 || (text[k - 1] != '\r' && text[k - 1] != '\n'))
            line += ' ';
    }
    return line;
}

Console::Console() : m_terminal(::isatty(STDERR_FILENO) == 1) {}

void Console::clearProgressLocked() {
    if (!m_progressShown)
        return;
    writeWhole(stderr, kClearLine);
    m_progressShown = false;
}

void Console::error(const std::string& line) {
    std::lock_guard lock(m_mutex);
    clearProgressLocked();
    writeWhole(stderr, shownLine(line) + "\n");
}

void Console::output(const std::string& line) {
    if (m_quiet)
        return;
    std::lock_guard lock(m_mutex);
    clearProgressLocked();
    writeWhole(stdout, line + "\n");
}

void Console::output(const std::vector<std::string>& lines) {
    if (lines.empty() || m_quiet)
        return;
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += '\n';
    }
    std::lock_guard lock(m_mutex);
    clearProgressLocked();
    writeWhole(stdout, text);
}

void Console::progress(const std::string& text) {
    if (!m_terminal || m_quiet)
        return;
    std::lock_guard lock(m_mutex);
    writeWhole(stderr, kClearLine + text);
    m_progressShown = true;
}

void Console::endProgress() {
    std::lock_guard lock(m_mutex);
    clearProgressLocked();
}

} // namespace pellucor::cli
