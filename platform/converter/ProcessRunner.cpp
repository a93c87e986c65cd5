#include "ProcessRunner.h"

#include "base/Leftovers.h"
#include "base/Waiting.h"
#include "converter/LibreOfficePipes.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace pellucor::converter {
namespace {

using Clock = std::chrono::steady_clock;

class SpawnSetup {
public:
    explicit SpawnSetup(const SpawnOptions& options) {
        ::posix_spawnattr_init(&m_attr);
        ::posix_spawnattr_setpgroup(&m_attr, options.processGroup);
        sigset_t none;
        sigemptyset(&none);
        ::posix_spawnattr_setsigmask(&m_attr, &none);
        sigset_t all;
        sigfillset(&all);
        ::posix_spawnattr_setsigdefault(&m_attr, &all);
        ::posix_spawnattr_setflags(&m_attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK |
                                                POSIX_SPAWN_SETSIGDEF);
        ::posix_spawn_file_actions_init(&m_actions);
        ::posix_spawn_file_actions_addopen(&m_actions, 2, options.logPath.c_str(),
                                           O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (options.channelFd >= 0) {
            ::posix_spawn_file_actions_adddup2(&m_actions, options.channelFd, 0);
            ::posix_spawn_file_actions_adddup2(&m_actions, options.channelFd, 1);
        } else {
            ::posix_spawn_file_actions_addopen(&m_actions, 0, "/dev/null", O_RDONLY, 0);
            ::posix_spawn_file_actions_adddup2(&m_actions, 2, 1);
        }
    }
    ~SpawnSetup() {
        ::posix_spawn_file_actions_destroy(&m_actions);
        ::posix_spawnattr_destroy(&m_attr);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    const posix_spawnattr_t* attr() const { return &m_attr; }
    const posix_spawn_file_actions_t* actions() const { return &m_actions; }

private:
    posix_spawnattr_t m_attr;
    posix_spawn_file_actions_t m_actions;
};

int waitFor(pid_t pid, int options) {
    int status = 0;
    while (true) {
        pid_t done = ::waitpid(pid, &status, options);
        if (done == pid)
            return status;
        if (done == 0)
            return -1;
        if (errno != EINTR)
            return 0; // already reaped elsewhere: treat as a plain exit
    }
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
    auto pause = std::chrono::milliseconds(1);
    int status = -1;
    while ((status = waitFor(pid, WNOHANG)) == -1) {
        outcome.timedOut = Clock::now() >= deadline;
        outcome.interrupted = !keepWaiting();
        if (outcome.timedOut || outcome.interrupted) {
            ::kill(-pid, SIGKILL);
            return waitFor(pid, 0);
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(20));
    }
    return status;
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
    leftovers::dropGroup(group);
}

int startProcess(const std::string& program, const std::vector<std::string>& args,
                 const SpawnOptions& options) {
    // posix_spawn cannot set the umask, and setting it here would change it
    // for every thread: a shell sets it and becomes the program.
    std::vector<std::string> command = {"sh", "-c", "umask 077 && exec \"$0\" \"$@\"", program};
    command.insert(command.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : command)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    std::vector<std::string> environment = environmentWith(options.environment);
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    SpawnSetup setup(options);
    pid_t pid = 0;
    if (::access(program.c_str(), X_OK) != 0)
        throw std::system_error(errno, std::generic_category(), "cannot start " + program);
    int err =
        ::posix_spawn(&pid, "/bin/sh", setup.actions(), setup.attr(), argv.data(), envp.data());
    if (err != 0)
        throw std::system_error(err, std::generic_category(), "cannot start " + program);
    if (options.processGroup == 0)
        leftovers::addGroup(pid);
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
        waitFor(pid, 0);
        cleanUp();
        throw;
    }
    cleanUp();
    if (!outcome.timedOut && !outcome.interrupted && WIFEXITED(status))
        outcome.exitCode = WEXITSTATUS(status);
    return outcome;
}

} // namespace pellucor::converter
