#include "CliWindow.h"

#include "Messages.h"

#include <utility>

namespace pellucor::cli {

CliWindow::CliWindow(const WindowSettings& settings, std::vector<ListedFile> files,
                     std::atomic<int>& started, Console& console, std::function<void()> onFirstFile)
    : m_settings(settings), m_files(std::move(files)), m_started(started), m_console(console),
      m_onFirstFile(std::move(onFirstFile)) {}

// The run shows the hourglass only once its checks have passed and the first
// file is about to be read.
void CliWindow::SetMousePointer(int pointer) {
    m_pointer = pointer;
    if (pointer == platform::PointerHourglass && m_onFirstFile)
        std::exchange(m_onFirstFile, nullptr)();
}

// Every text but the one at rest names the file the run has just begun.
void CliWindow::SetProgressText(const std::string& text) {
    if (text == messages::kProgressAtRest)
        return;
    m_console.progress("[" + std::to_string(++m_started) + "/" +
                       std::to_string(m_settings.documentCount) + "] " + text);
}

} // namespace pellucor::cli
