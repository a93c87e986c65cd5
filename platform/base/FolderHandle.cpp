#include "FolderHandle.h"

#include "PathHelpers.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <unistd.h>

namespace pellucor {
namespace {

constexpr int kFolderFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;

int closeKeepingErrno(int fd) {
    int err = errno;
    ::close(fd);
    errno = err;
    return -1;
}

// Opens a folder whose path is too long for one call a stretch of whole
// names at a time, each stretch relative to the folder opened before it.
int openLongFolder(const std::string& folder) {
    int fd = ::open(folder[0] == kSeparator ? "/" : ".", kFolderFlags);
    size_t at = folder.find_first_not_of(kSeparator);
    while (fd >= 0 && at != std::string::npos) {
        size_t end = folder.size();
        if (end - at >= PATH_MAX) {
            end = folder.rfind(kSeparator, at + PATH_MAX - 1);
            if (end == std::string::npos || end <= at) {
                errno = ENAMETOOLONG;
                return closeKeepingErrno(fd);
            }
        }
        int next = ::openat(fd, folder.substr(at, end - at).c_str(), kFolderFlags);
        if (next < 0)
            return closeKeepingErrno(fd);
        ::close(fd);
        fd = next;
        at = folder.find_first_not_of(kSeparator, end);
    }
    return fd;
}

int openFolder(const std::string& folder) {
    if (folder.size() < PATH_MAX)
        return ::open(folder.c_str(), kFolderFlags);
    return openLongFolder(folder);
}

} // namespace

FolderHandle::FolderHandle(const std::string& path)
    : m_folder(ContainingFolder(path)), m_name(FileNameOf(path)) {
    m_fd = openFolder(m_folder);
    if (m_fd < 0)
        m_error = errno;
}

FolderHandle::~FolderHandle() {
    if (m_fd >= 0)
        ::close(m_fd);
}

int openAnyLength(const std::string& path, int flags, mode_t mode) {
    if (path.size() < PATH_MAX)
        return ::open(path.c_str(), flags, mode);
    FolderHandle folder(path);
    if (!folder.isOpen()) {
        errno = folder.error();
        return -1;
    }
    return ::openat(folder.fd(), folder.name(), flags, mode);
}

int statAnyLength(const std::string& path, struct stat& st) {
    if (path.size() < PATH_MAX)
        return ::stat(path.c_str(), &st);
    FolderHandle folder(path);
    if (!folder.isOpen()) {
        errno = folder.error();
        return -1;
    }
    return ::fstatat(folder.fd(), folder.name(), &st, 0);
}

} // namespace pellucor
