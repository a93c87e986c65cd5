#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace pellucor::word {

// How a helper program ended.
struct ProcessOutcome {
    bool timedOut = false;
    int exitCode = -1; // -1 when a signal ended it
};

// The full path of an executable found on $PATH as it is now, or "" when none.
std::string findOnPath(const std::string& program);

// Runs program (a full path) with args in a process group of its own, its
// output going to logPath and its input from /dev/null, and waits at most
// limit. When the limit passes, the whole group is killed. Any process of
// the group still alive afterwards is killed too, so nothing it started
// outlives the call. Throws std::system_error when it cannot be started.
ProcessOutcome runProcess(const std::string& program, const std::vector<std::string>& args,
                          const std::string& logPath, std::chrono::milliseconds limit);

} // namespace pellucor::word
