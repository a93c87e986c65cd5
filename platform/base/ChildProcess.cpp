#include "ChildProcess.h"

#include "Waiting.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace pellucor {
namespace {

using Clock = std::chrono::steady_clock;

} // namespace

std::vector<char*> pointersTo(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

namespace {

// Makes fd the descriptor target, kept open across exec.
bool placeAt(int fd, int target) {
    if (fd == target)
        return ::fcntl(fd, F_SETFD, 0) == 0;
    return ::dup2(fd, target) == target;
}

// Runs in the child between fork and exec, so it makes only calls that are
// safe there; what fails is reported through report as an errno.
[[noreturn]] void becomeChild(const ChildSetup& setup, char* const* argv, char* const* envp,
                              int report) {
    auto fail = [report] {
        const int error = errno;
        (void)!::write(report, &error, sizeof error);
        ::_exit(127);
    };
    sigset_t none;
    sigemptyset(&none);
    struct sigaction standard = {};
    standard.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal)
        if (signal != SIGKILL && signal != SIGSTOP)
            ::sigaction(signal, &standard, nullptr);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    if (::setpgid(0, setup.processGroup) != 0)
        fail();
    if (setup.privateFiles)
        ::umask(077);
    // Opened to close at exec: only the copies made below reach the program.
    const int errors =
        setup.logPath.empty()
            ? ::open("/dev/null", O_WRONLY | O_CLOEXEC)
            : ::open(setup.logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int input = setup.input >= 0 ? setup.input : ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    const int output = setup.output >= 0 ? setup.output : errors;
    if (errors < 0 || input < 0 || !placeAt(input, 0) || !placeAt(output, 1) || !placeAt(errors, 2))
        fail();
    ::execve(setup.program.c_str(), argv, envp);
    fail();
    ::_exit(127);
}

int processDescriptorOf(int pid) {
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    errno = ENOSYS;
    return -1;
#endif
}

// Sleeps until the child ends or the slice is over; a kernel without
// process descriptors gets short naps instead.
void sleepOn(int descriptor, int sliceMs) {
    if (descriptor < 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(sliceMs, 5)));
        return;
    }
    pollfd ended{descriptor, POLLIN, 0};
    ::poll(&ended, 1, sliceMs);
}

} // namespace

int startChild(const ChildSetup& setup) {
    std::vector<std::string> command = {setup.program};
    command.insert(command.end(), setup.args.begin(), setup.args.end());
    std::vector<char*> argv = pointersTo(command);
    std::vector<std::string> environment;
    if (setup.environment)
        environment = *setup.environment;
    else
        for (char** variable = environ; *variable; ++variable)
            environment.emplace_back(*variable);
    std::vector<char*> envp = pointersTo(environment);

    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        throw std::system_error(errno, std::generic_category(), "cannot start " + setup.program);
    const pid_t pid = ::fork();
    if (pid == 0)
        becomeChild(setup, argv.data(), envp.data(), report[1]);
    const int forkError = errno;
    ::close(report[1]);
    int childError = 0;
    ssize_t got = -1;
    if (pid > 0)
        do
            got = ::read(report[0], &childError, sizeof childError);
        while (got < 0 && errno == EINTR);
    ::close(report[0]);
    if (pid < 0)
        throw std::system_error(forkError, std::generic_category(),
                                "cannot start " + setup.program);
    if (got > 0) { // exec failed: the child has ended
        reapChild(pid);
        throw std::system_error(childError, std::generic_category(),
                                "cannot start " + setup.program);
    }
    return pid;
}

ChildWait awaitChild(int pid, Clock::time_point deadline, int& status) {
    const int descriptor = processDescriptorOf(pid);
    struct Closed {
        int fd;
        ~Closed() {
            if (fd >= 0)
                ::close(fd);
        }
    } closed{descriptor};
    while (true) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return ChildWait::Ended;
        if (done < 0 && errno != EINTR) {
            status = 0; // reaped elsewhere: taken for a plain exit
            return ChildWait::Ended;
        }
        if (!keepWaiting())
            return ChildWait::Interrupted;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return ChildWait::TimedOut;
        sleepOn(descriptor, static_cast<int>(std::min<long>(left, kWaitSliceMs)));
    }
}

int reapChild(int pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return 0;
    return status;
}

} // namespace pellucor
