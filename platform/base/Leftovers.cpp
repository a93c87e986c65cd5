#include "Leftovers.h"

#include "base/SocketSend.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace pellucor::leftovers {
namespace {

// Reads "group G", "ungroup G", "path P" and "unpath P" lines until the
// program's end of the connection closes.
constexpr const char* kWatcherScript = R"sh(trap '' INT QUIT HUP TERM
set -f
nl='
'
groups=' '
paths=
while IFS= read -r line; do
    case $line in
    'group '*) groups="$groups${line#group } " ;;
    'ungroup '*)
        kept=' '
        for g in $groups; do [ "$g" = "${line#ungroup }" ] || kept="$kept$g "; done
        groups=$kept ;;
    'path '*) paths="$paths${line#path }$nl" ;;
    'unpath '*)
        kept=
        IFS=$nl
        for p in $paths; do [ "$p" = "${line#unpath }" ] || kept="$kept$p$nl"; done
        unset IFS
        paths=$kept ;;
    esac
done
for g in $groups; do kill -KILL "-$g" 2>/dev/null; done
tries=0
while [ $tries -lt 20 ]; do
    alive=
    for g in $groups; do kill -0 "-$g" 2>/dev/null && alive=1; done
    [ -z "$alive" ] && break
    sleep 0.1
    tries=$((tries + 1))
done
IFS=$nl
for p in $paths; do rm -rf -- "$p"; done
)sh";

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
        int ends[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
            return false;
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_adddup2(&actions, ends[1], 0);
        ::posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        ::posix_spawn_file_actions_adddup2(&actions, 1, 2);
        posix_spawnattr_t attr;
        ::posix_spawnattr_init(&attr);
        ::posix_spawnattr_setpgroup(&attr, 0);
        sigset_t none, all;
        sigemptyset(&none);
        sigfillset(&all);
        ::posix_spawnattr_setsigmask(&attr, &none);
        ::posix_spawnattr_setsigdefault(&attr, &all);
        ::posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK |
                                              POSIX_SPAWN_SETSIGDEF);
        char* argv[] = {const_cast<char*>("sh"), const_cast<char*>("-c"),
                        const_cast<char*>(kWatcherScript), nullptr};
        char* envp[] = {const_cast<char*>("PATH=/usr/bin:/bin"), nullptr}; // whatever $PATH holds
        pid_t pid = 0;
        int failed = ::posix_spawn(&pid, "/bin/sh", &actions, &attr, argv, envp);
        ::posix_spawn_file_actions_destroy(&actions);
        ::posix_spawnattr_destroy(&attr);
        ::close(ends[1]);
        if (failed != 0) {
            ::close(ends[0]);
            return false;
        }
        m_channel = ends[0];
        m_pid = pid;
        return true;
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

} // namespace pellucor::leftovers
