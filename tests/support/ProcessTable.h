#pragma once

// What /proc shows of the processes a test started, read without trusting
// that they still run.
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace pellucor::test {

// The command line of a process, its arguments separated by NUL bytes; ""
// when it has gone.
std::string commandLineOf(int pid);

// The live processes (zombies count as gone) whose command line holds every
// one of the texts.
std::vector<int> processesWhoseCommandHas(const std::vector<std::string>& texts);

// The names of the Unix sockets the process holds that are bound to a path.
std::vector<std::string> socketsOf(int pid);

// Waits up to limit for check to hold; true when it did.
template <typename Check> bool eventually(Check check, std::chrono::seconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!check() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return check();
}

} // namespace pellucor::test
