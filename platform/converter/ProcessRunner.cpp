#include "ProcessRunner.h"

#include "base/ChildProcess.h"
#include "base/Leftovers.h"
#include "base/Waiting.h"
#include "converter/LibreOfficePipes.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace pellucor::converter {
namespace {

using Clock = std::chrono::steady_clock;

// The guards of the groups started here, until the group is killed. Never
// destroyed: a guard still held at exit does its work as the program ends.
std::mutex g_guardsMutex;
auto& g_guards = *new std::map<int, std::unique_ptr<leftovers::GroupGuard>>;

void guardGroup(int group) {
    auto guard = std::make_unique<leftovers::GroupGuard>(group);
    std::lock_guard lock(g_guardsMutex);
    g_guards[group] = std::move(guard);
}

void releaseGuard(int group) {
    std::unique_ptr<leftovers::GroupGuard> guard;
    {
        std::lock_guard lock(g_guardsMutex);
        auto found = g_guards.find(group);
        if (found == g_guards.end())
            return;
        guard = std::move(found->second);
        g_guards.erase(found);
    }
    guard->release();
}

// Whether a process of the group still runs. Killed processes whose parent
// went first wait as zombies until init reaps them, which some inits do late;
// they hold nothing any more and do not count.
bool groupHasLiveMember(int group) {
    if (::kill(-group, 0) != 0)
        return false;
    std::error_code failed;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", failed)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream in(entry.path() / "stat");
        std::string stat((std::istreambuf_iterator<char>(in)), {});
        size_t end = stat.rfind(')');
        if (end == std::string::npos)
            continue;
        std::istringstream fields(stat.substr(end + 1));
        std::string state;
        int parent = 0, processGroup = 0;
        if (fields >> state >> parent >> processGroup && processGroup == group && state != "Z" &&
            state != "X")
            return true;
    }
    return failed.value() != 0; // without /proc, any member counts
}

// The caller's environment with the given NAME=value entries put in.
std::vector<std::string> environmentWith(const std::vector<std::string>& entries) {
    std::vector<std::string> result;
    for (char** variable = environ; *variable; ++variable) {
        std::string entry = *variable;
        std::string name = entry.substr(0, entry.find('=') + 1);
        bool replaced = std::any_of(entries.begin(), entries.end(), [&](const std::string& e) {
            return e.compare(0, name.size(), name) == 0;
        });
        if (!replaced)
            result.push_back(entry);
    }
    result.insert(result.end(), entries.begin(), entries.end());
    return result;
}

// Waits for the process to end, killing its group at the deadline or when
// the run is asked to stop; its wait status.
int awaitEnd(pid_t pid, Clock::time_point deadline, ProcessOutcome& outcome) {
    int status = -1;
    const ChildWait wait = awaitChild(pid, deadline, status);
    if (wait == ChildWait::Ended)
        return status;
    outcome.timedOut = wait == ChildWait::TimedOut;
    outcome.interrupted = wait == ChildWait::Interrupted;
    ::kill(-pid, SIGKILL);
    return reapChild(pid);
}

} // namespace

void killProcessGroup(int group) {
    if (group <= 0)
        return;
    if (::kill(-group, SIGKILL) == 0) {
        auto until = Clock::now() + std::chrono::seconds(2);
        while (groupHasLiveMember(group) && Clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    releaseGuard(group);
    leftovers::dropGroup(group);
}

int startProcess(const std::string& program, const std::vector<std::string>& args,
                 const SpawnOptions& options) {
    ChildSetup setup;
    setup.program = program;
    setup.args = args;
    setup.environment = environmentWith(options.environment);
    setup.input = options.channelFd;
    setup.output = options.channelFd;
    setup.logPath = options.logPath;
    setup.processGroup = options.processGroup;
    setup.privateFiles = true;
    const int pid = startChild(setup);
    if (options.processGroup == 0) {
        leftovers::addGroup(pid);
        guardGroup(pid);
    }
    return pid;
}

std::string findOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        if (folder.empty())
            continue;
        std::string candidate = folder + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

ProcessOutcome runProcess(const std::string& program, const std::vector<std::string>& args,
                          const std::string& logPath, std::chrono::milliseconds limit) {
    ProcessOutcome outcome;
    if (stopRequested()) {
        outcome.interrupted = true;
        return outcome;
    }
    const std::string singleInstancePipe = singleInstancePipeOf(profileUrlIn(args));
    leftovers::addPath(singleInstancePipe);
    const pid_t pid = startProcess(program, args, SpawnOptions{logPath, -1, 0, {}});
    auto cleanUp = [&] {
        killProcessGroup(pid);
        removeLeftPipe(singleInstancePipe);
        leftovers::dropPath(singleInstancePipe);
    };
    int status = -1;
    try {
        status = awaitEnd(pid, Clock::now() + limit, outcome);
    } catch (...) {
        ::kill(-pid, SIGKILL);
        reapChild(pid);
        cleanUp();
        throw;
    }
    cleanUp();
    if (!outcome.timedOut && !outcome.interrupted && WIFEXITED(status))
        outcome.exitCode = WEXITSTATUS(status);
    return outcome;
}

} // namespace pellucor::converter
