#include "CliWindow.h"

#include "base/Error.h"
#include "base/PathHelpers.h"
#include "BatchRun.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace pellucor::cli {
namespace {

[[noreturn]] void refuseLinkedFolder(const std::string& folder) {
    throw Error(ErrorNumber::CannotSave,
                "the folder " + inQuotes(Main::NormalizePath(folder)) +
                    " is a symbolic link; results go only into real folders below the output "
                    "folder, never through a link. Nothing was written.");
}

} // namespace

// Each folder is made, or found, and opened by its name in the one above it
// without following a link, so that no link met on the way can lead elsewhere.
void makeFolderBelow(const std::string& root, const std::string& subfolder) {
    constexpr int kFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    std::string reached = root;
    size_t at = 0;
    while (fd >= 0 && at < subfolder.size()) {
        size_t end = std::min(subfolder.find(kSeparator, at), subfolder.size());
        const std::string name = subfolder.substr(at, end - at);
        at = end + 1;
        if (name.empty())
            continue;
        reached += kSeparator + name;
        ::mkdirat(fd, name.c_str(), 0777);
        struct stat st {};
        const bool link =
            ::fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
        int next = link ? -1 : ::openat(fd, name.c_str(), kFlags);
        const bool linkedMeanwhile = next < 0 && errno == ELOOP;
        ::close(fd);
        if (link || linkedMeanwhile)
            refuseLinkedFolder(reached);
        fd = next;
    }
    if (fd >= 0)
        ::close(fd);
}

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
// own failure, a link in the way as a failure of its own.
std::string CliWindow::Text2() {
    if (!m_current || m_current->subfolder.empty())
        return m_settings.outFolder;
    makeFolderBelow(m_settings.outFolder, m_current->subfolder);
    return Main::NormalizePath(m_settings.outFolder + kSeparator + m_current->subfolder);
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
    if (text == kProgressAtRest)
        return;
    m_current = &m_files.at(std::min(m_begun++, m_files.size() - 1));
    m_inDocument = true;
    m_progress.begin(text);
}

} // namespace pellucor::cli
