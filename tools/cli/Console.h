#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace pellucor::cli {

// A box's text as one line: every run of CR and LF characters becomes one
// space.
std::string oneLine(const std::string& text);

// Standard output and error shared by every job: each line is written whole,
// so lines of different threads never mix. The progress line is drawn only
// when standard error is a terminal, and is cleared before any other line. An
// error line stays one line whatever it quotes: what would break it or act on
// the terminal is shown escaped.
class Console {
public:
    Console();
    void error(const std::string& line);
    void output(const std::string& line);
    // The lines in one write.
    void output(const std::vector<std::string>& lines);
    void progress(const std::string& text);
    // Removes the progress line, if one is shown.
    void endProgress();
    // From now on only errors are written: no output, no progress.
    void quieten() { m_quiet = true; }

private:
    void clearProgressLocked();

    std::mutex m_mutex;
    bool m_terminal;
    bool m_progressShown = false;
    bool m_quiet = false;
};

} // namespace pellucor::cli
