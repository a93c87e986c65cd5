#pragma once

#include <string>
#include <sys/types.h>

namespace pellucor {

// An exclusive lock (flock) on the file a path names, held for the object's
// life, so that two runs never work on one document at once. A save replaces
// the file with a new one, so the holder takes the new file's lock after each
// save of its own (follow).
class RunLock {
public:
    RunLock() = default;
    ~RunLock();
    RunLock(RunLock&& other) noexcept;
    RunLock& operator=(RunLock&& other) noexcept;
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

    enum class Taken { Locked, Missing, InUse };
    // Locks the file path names, without waiting: Missing when there is none
    // yet (nothing to lock), InUse when another holds it. Throws nothing.
    Taken take(const std::string& path);
    // Locks a new file that is about to replace the locked one, so that it is
    // never found unlocked in its place; follow then takes it up.
    void lockNext(int fd);
    // After a save over path: holds the file now there instead (the one
    // locked before stays locked until then). False when another took it.
    bool follow(const std::string& path);
    bool held() const { return m_fd >= 0; }

private:
    void release() noexcept;
    int m_fd = -1;
    int m_next = -1; // the new file locked before it replaced the old
};

} // namespace pellucor
