#include "ProcessRunner.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace pellucor::word {
namespace {

using Clock = std::chrono::steady_clock;

class SpawnSetup {
public:
    SpawnSetup(const std::string& logPath) {
        ::posix_spawnattr_init(&m_attr);
        ::posix_spawnattr_setpgroup(&m_attr, 0);
        sigset_t none;
        sigemptyset(&none);
        ::posix_spawnattr_setsigmask(&m_attr, &none);
        sigset_t all;
        sigfillset(&all);
        ::posix_spawnattr_setsigdefault(&m_attr, &all);
        ::posix_spawnattr_setflags(&m_attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK |
                                                POSIX_SPAWN_SETSIGDEF);
        ::posix_spawn_file_actions_init(&m_actions);
        ::posix_spawn_file_actions_addopen(&m_actions, 0, "/dev/null", O_RDONLY, 0);
        ::posix_spawn_file_actions_addopen(&m_actions, 1, logPath.c_str(),
                                           O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::posix_spawn_file_actions_adddup2(&m_actions, 1, 2);
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

// Ends every process left in the group and gives them a moment to go.
void killGroup(pid_t group) {
    if (::kill(-group, SIGKILL) != 0)
        return;
    auto until = Clock::now() + std::chrono::seconds(2);
    while (::kill(-group, 0) == 0 && Clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

} // namespace

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
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    SpawnSetup setup(logPath);
    pid_t pid = 0;
    int err =
        ::posix_spawn(&pid, program.c_str(), setup.actions(), setup.attr(), argv.data(), environ);
    if (err != 0)
        throw std::system_error(err, std::generic_category(), "cannot start " + program);

    ProcessOutcome outcome;
    const auto deadline = Clock::now() + limit;
    auto pause = std::chrono::milliseconds(1);
    int status = -1;
    while ((status = waitFor(pid, WNOHANG)) == -1) {
        if (Clock::now() >= deadline) {
            outcome.timedOut = true;
            ::kill(-pid, SIGKILL);
            status = waitFor(pid, 0);
            break;
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(20));
    }
    killGroup(pid);
    if (!outcome.timedOut && WIFEXITED(status))
        outcome.exitCode = WEXITSTATUS(status);
    return outcome;
}

} // namespace pellucor::word
