#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace pellucor::converter {

// How a helper program ended.
struct ProcessOutcome {
    bool timedOut = false;
    bool interrupted = false; // the run was asked to stop; the program was killed
    int exitCode = -1;        // -1 when a signal ended it
};

// The full path of an executable found on $PATH as it is now, or "" when none.
std::string findOnPath(const std::string& program);

// Runs program (a full path) with args in a process group of its own, its
// output going to logPath and its input from /dev/null, and waits at most
// limit, letting the thread's wait hook run meanwhile (base/Waiting.h). When
// the limit passes, or the run is asked to stop, the whole group is killed.
// Any process of the group still alive afterwards is killed too, so nothing
// it started outlives the call, and the single-instance pipe of a LibreOffice
// given a profile is removed. Throws std::system_error when it cannot be
// started, and lets through what the wait hook throws, after the same
// clean-up.
ProcessOutcome runProcess(const std::string& program, const std::vector<std::string>& args,
                          const std::string& logPath, std::chrono::milliseconds limit);

// How a process started in the background is wired up.
struct SpawnOptions {
    std::string logPath;  // where its error output (and output, without a channel) goes
    int channelFd = -1;   // when set, the process reads and writes this socket
    int processGroup = 0; // 0: a new group of its own
    std::vector<std::string> environment; // NAME=value entries replacing the caller's
};

// Starts program (a full path) with args and returns its id without waiting.
// It runs with the umask 077, so that the files and pipes it makes are this
// user's alone. A new process group is told to the watcher of leftovers and
// gets a guard of its own inside it, so that it is killed with the program
// whichever of them is killed first. Throws std::system_error when it cannot
// be started.
int startProcess(const std::string& program, const std::vector<std::string>& args,
                 const SpawnOptions& options);

// Kills every process of the group and waits up to two seconds for them to go;
// the watcher of leftovers forgets the group, and its guard is reaped. Processes of the group that
// are children of the caller must be reaped first.
void killProcessGroup(int group);

} // namespace pellucor::converter
