#include "CliWindow.h"

#include "base/PathHelpers.h"
#include "Messages.h"

#include <algorithm>
#include <filesystem>
#include <utility>

namespace pellucor::cli {

CliWindow::CliWindow(const WindowSettings& settings, std::vector<ListedFile> files,
                     Progress& progress, std::function<void()> onFirstFile)
    : m_settings(settings), m_files(std::move(files)), m_progress(progress),
      m_onFirstFile(std::move(onFirstFile)) {}

// Before the first document only the run's checks ask; from then on it is
// the engine about to save.
bool CliWindow::Option3() {
    return !m_settings.inPlace && m_current != nullptr;
}

// Asked before the documents for the folder itself, and by the engine just
// before it saves a document; a folder that cannot be made shows as the save's
// own failure.
std::string CliWindow::Text2() {
    if (!m_current || m_current->subfolder.empty())
        return m_settings.outFolder;
    std::string folder =
        Main::NormalizePath(m_settings.outFolder + kSeparator + m_current->subfolder);
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return folder;
}

// The run shows the hourglass only once its checks have passed and the first
// file is about to be read.
void CliWindow::SetMousePointer(int pointer) {
    m_pointer = pointer;
    if (pointer == platform::PointerHourglass && m_onFirstFile)
        std::exchange(m_onFirstFile, nullptr)();
}

// Every text but the one at rest names the file the run has just begun, the
// next of the list, so the one before it is done.
void CliWindow::SetProgressText(const std::string& text) {
    if (std::exchange(m_inDocument, false))
        m_progress.end();
    if (text == messages::kProgressAtRest)
        return;
    m_current = &m_files.at(std::min(m_begun++, m_files.size() - 1));
    m_inDocument = true;
    m_progress.begin(text);
}

} // namespace pellucor::cli
