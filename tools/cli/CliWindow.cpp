#include "CliWindow.h"

#include "Messages.h"

#include <utility>

namespace pellucor::cli {

CliWindow::CliWindow(const WindowSettings& settings, std::vector<ListedFile> files,
                     RunReport& report, Console& console, std::function<void()> onFirstFile)
    : m_settings(settings), m_files(std::move(files)), m_report(report), m_console(console),
      m_onFirstFile(std::move(onFirstFile)) {}

std::string CliWindow::FileAt(int row) {
    const ListedFile& file = m_files.at(static_cast<size_t>(row - 1));
    if (m_onFirstFile)
        std::exchange(m_onFirstFile, nullptr)();
    m_current = file.index;
    m_startedNumber = m_report.started(file.index);
    return file.path;
}

void CliWindow::SetProgressText(const std::string& text) {
    const std::string processing = messages::kProcessing;
    if (text.rfind(processing, 0) != 0)
        return;
    m_console.progress("[" + std::to_string(m_startedNumber) + "/" +
                       std::to_string(m_settings.documentCount) + "] " + text);
}

} // namespace pellucor::cli
