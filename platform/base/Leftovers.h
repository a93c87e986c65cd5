#pragma once

#include <string>

// What the program leaves behind when it is killed before it can clean up:
// the process groups of the programs it started (LibreOffice) and its private
// folders. A small shell process, started on first need in a process group of
// its own, is told of each as it comes and goes. When the program ends,
// however it ends, the shell's input closes; it then kills the groups it
// still knows of and removes the paths. It ignores the terminal's signals and
// SIGTERM, so that it outlives the program it watches.
namespace pellucor::leftovers {

void addGroup(int group);
void dropGroup(int group);

// An absolute path without line breaks; removed with everything below it.
void addPath(const std::string& path);
void dropPath(const std::string& path);

// The watching shell's process id, 0 when none runs.
int watcher();

// A watcher of its own for one process group, run inside that group, so that
// the group dies with the program even when the shared watcher was killed
// first. Releasing it kills the group and waits for the guard to end: it is
// released once the group has been stopped.
class GroupGuard {
public:
    explicit GroupGuard(int group);
    ~GroupGuard();
    GroupGuard(const GroupGuard&) = delete;
    GroupGuard& operator=(const GroupGuard&) = delete;

    void release();
    int process() const { return m_pid; }

private:
    int m_pid = 0;
    int m_channel = -1;
};

} // namespace pellucor::leftovers
