#include "Leftovers.h"

#include "base/ChildProcess.h"
#include "base/SocketSend.h"
#include "WatcherScript.h"

#include <mutex>
#include <set>
#include <sys/socket.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>

namespace pellucor::leftovers {
namespace {

// Starts a watcher in the process group given (0: one of its own) and
// returns its id, with the program's end of its input in channel; 0 when it
// cannot be started.
int startWatcher(int group, int& channel) {
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return 0;
    ChildSetup setup;
    setup.program = "/bin/sh";
    setup.args = {"-c", watcherScript(), "pellucor-watcher"};
    setup.environment = {{"PATH=/usr/bin:/bin"}}; // whatever $PATH holds
    setup.input = ends[1];
    setup.processGroup = group;
    int pid = 0;
    try {
        pid = startChild(setup);
    } catch (const std::system_error&) {
    }
    ::close(ends[1]);
    if (pid <= 0) {
        ::close(ends[0]);
        return 0;
    }
    channel = ends[0];
    return pid;
}

class Watcher {
public:
    void add(const std::string& kind, const std::string& item) {
        std::lock_guard lock(m_mutex);
        forgetAParentsWatcher();
        (kind == "group" ? m_groups : m_paths).insert(item);
        tell(kind + " " + item + "\n");
    }
    void drop(const std::string& kind, const std::string& item) {
        std::lock_guard lock(m_mutex);
        forgetAParentsWatcher();
        if ((kind == "group" ? m_groups : m_paths).erase(item) > 0)
            tell("un" + kind + " " + item + "\n");
    }
    int process() {
        std::lock_guard lock(m_mutex);
        return m_owner == ::getpid() ? m_pid : 0;
    }

private:
    // A process forked without exec inherits the state of its parent; what
    // the parent started is not its own to clean up.
    void forgetAParentsWatcher() {
        if (m_owner == ::getpid())
            return;
        if (m_channel >= 0)
            ::close(m_channel);
        m_channel = -1;
        m_pid = 0;
        m_groups.clear();
        m_paths.clear();
        m_owner = ::getpid();
    }

    void tell(const std::string& line) {
        if (m_channel >= 0 && sendAll(line))
            return;
        restart(); // it sends everything known, the new line included
    }

    void restart() {
        if (m_channel >= 0)
            ::close(m_channel);
        m_channel = -1;
        if (m_pid > 0)
            ::waitpid(m_pid, nullptr, WNOHANG);
        m_pid = 0;
        if (!start())
            return;
        std::string all;
        for (const std::string& group : m_groups)
            all += "group " + group + "\n";
        for (const std::string& path : m_paths)
            all += "path " + path + "\n";
        sendAll(all);
    }

    bool start() {
        m_pid = startWatcher(0, m_channel);
        return m_pid > 0;
    }

    bool sendAll(const std::string& text) { return sendWhole(m_channel, text); }

    std::mutex m_mutex;
    pid_t m_owner = 0;
    pid_t m_pid = 0;
    int m_channel = -1;
    std::set<std::string> m_groups;
    std::set<std::string> m_paths;
};

// Never destroyed: whatever is still registered at exit is the watcher's.
Watcher& theWatcher() {
    static Watcher* watcher = new Watcher;
    return *watcher;
}

bool usablePath(const std::string& path) {
    return !path.empty() && path[0] == '/' && path.find_first_of("\r\n") == std::string::npos;
}

} // namespace

void addGroup(int group) {
    if (group > 0)
        theWatcher().add("group", std::to_string(group));
}

void dropGroup(int group) {
    if (group > 0)
        theWatcher().drop("group", std::to_string(group));
}

void addPath(const std::string& path) {
    if (usablePath(path))
        theWatcher().add("path", path);
}

void dropPath(const std::string& path) {
    if (usablePath(path))
        theWatcher().drop("path", path);
}

int watcher() {
    return theWatcher().process();
}

GroupGuard::GroupGuard(int group) {
    if (group <= 0)
        return;
    m_pid = startWatcher(group, m_channel);
    if (m_pid > 0 && !sendWhole(m_channel, "group " + std::to_string(group) + "\n"))
        release();
}

GroupGuard::~GroupGuard() {
    release();
}

void GroupGuard::release() {
    if (m_channel >= 0)
        ::close(m_channel);
    m_channel = -1;
    if (m_pid > 0)
        reapChild(m_pid);
    m_pid = 0;
}

} // namespace pellucor::leftovers
