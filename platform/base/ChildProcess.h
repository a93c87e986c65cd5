#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace pellucor {

// How a child process is started: every program the program runs goes
// through startChild, so that each is wired up, and waited for, the same way.
struct ChildSetup {
    std::string program;           // a full path
    std::vector<std::string> args; // after the program's own name
    // NAME=value entries; the caller's environment when not set.
    std::optional<std::vector<std::string>> environment;
    int input = -1;            // its standard input; /dev/null when -1
    int output = -1;           // its standard output; its error output's when -1
    std::string logPath;       // its error output, truncated; /dev/null when empty
    int processGroup = 0;      // 0: a new group of its own, led by the child
    bool privateFiles = false; // the umask 077: what it makes is this user's alone
};

// The argument or environment list exec takes: pointers into texts, which
// must outlive it, ended by a null pointer.
std::vector<char*> pointersTo(std::vector<std::string>& texts);

// Starts the child, with every signal at its default and none blocked, and
// returns its id once it runs the program. Throws std::system_error naming
// the program when it cannot be started (not found, not executable, no
// process to spare).
int startChild(const ChildSetup& setup);

// How a wait for a child ended.
enum class ChildWait { Ended, TimedOut, Interrupted };

// Waits for the child pid to end, at most until deadline, and reaps it; its
// wait status goes to status. It sleeps on the child's process descriptor,
// waking at least every kWaitSliceMs for the thread's wait hook
// (base/Waiting.h); a run asked to stop ends the wait as Interrupted, with
// the child still running. What the hook throws goes through.
ChildWait awaitChild(int pid, std::chrono::steady_clock::time_point deadline, int& status);

// Reaps the child pid, waiting for it as long as it takes; its wait status,
// 0 when it was reaped before.
int reapChild(int pid);

} // namespace pellucor
