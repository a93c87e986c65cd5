#include "RunLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace pellucor {
namespace {

bool sameFile(int fd, const std::string& path) {
    struct stat held {
    }, named{};
    return ::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

} // namespace

RunLock::~RunLock() {
    release();
}

RunLock::RunLock(RunLock&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_next(std::exchange(other.m_next, -1)) {}

RunLock& RunLock::operator=(RunLock&& other) noexcept {
    if (this != &other) {
        release();
        m_fd = std::exchange(other.m_fd, -1);
        m_next = std::exchange(other.m_next, -1);
    }
    return *this;
}

void RunLock::release() noexcept {
    for (int* fd : {&m_fd, &m_next})
        if (*fd >= 0)
            ::close(std::exchange(*fd, -1)); // the lock goes with the last descriptor
}

void RunLock::lockNext(int fd) {
    const int own = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (own < 0)
        return;
    if (::flock(own, LOCK_EX | LOCK_NB) != 0) {
        ::close(own);
        return;
    }
    if (m_next >= 0)
        ::close(m_next);
    m_next = own;
}

RunLock::Taken RunLock::take(const std::string& path) {
    // A file replaced between the open and the lock is locked afresh: what
    // is held is always the file the path names.
    for (int attempt = 0; attempt < 8; ++attempt) {
        // Non-blocking and without following into a device: only regular
        // files are documents, and opening for reading is enough to lock.
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        if (fd < 0)
            return Taken::Missing;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const bool busy = errno == EWOULDBLOCK;
            ::close(fd);
            if (busy)
                return Taken::InUse;
            return Taken::Missing; // a file system without locks: nothing to hold
        }
        if (sameFile(fd, path)) {
            release();
            m_fd = fd;
            return Taken::Locked;
        }
        ::close(fd);
    }
    return Taken::InUse;
}

bool RunLock::follow(const std::string& path) {
    if (m_fd >= 0 && sameFile(m_fd, path))
        return true;
    if (m_next >= 0 && sameFile(m_next, path)) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = std::exchange(m_next, -1);
        return true;
    }
    RunLock next;
    const Taken taken = next.take(path);
    if (taken == Taken::InUse)
        return false;
    if (taken == Taken::Locked)
        *this = std::move(next);
    return true;
}

} // namespace pellucor
