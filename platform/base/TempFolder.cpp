#include "TempFolder.h"

#include "Leftovers.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pellucor {
namespace {

namespace fs = std::filesystem;

std::string tempRoot() {
    const char* tmp = std::getenv("TMPDIR");
    return tmp && *tmp ? tmp : "/tmp";
}

// The folders this process made and holds, each with the descriptor that
// keeps its lock.
class HeldFolders {
public:
    // Sweeps parent of leftovers first, once a process for each parent.
    std::string make(const std::string& parent, const std::string& prefix,
                     const std::string& purpose) {
        std::lock_guard lock(m_mutex);
        forgetAParentsFolders();
        if (m_swept.insert(parent + "/" + prefix).second)
            removeLeftoverFolders(parent, prefix);
        std::string pattern = parent + "/" + prefix + "pellucor-" + std::to_string(::getpid()) +
                              "-" + purpose + "-XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        if (!::mkdtemp(name.data()))
            return {};
        std::string path(name.data());
        int held = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (held < 0 || ::flock(held, LOCK_EX) != 0) {
            int failure = errno;
            if (held >= 0)
                ::close(held);
            ::rmdir(path.c_str());
            errno = failure;
            return {};
        }
        m_held.push_back({path, held});
        leftovers::addPath(path);
        return path;
    }

    void remove(const std::string& path) {
        std::error_code ignored;
        fs::remove_all(path, ignored);
        std::lock_guard lock(m_mutex);
        forgetAParentsFolders();
        for (auto held = m_held.begin(); held != m_held.end(); ++held)
            if (held->path == path) {
                ::close(held->descriptor);
                m_held.erase(held);
                leftovers::dropPath(path);
                return;
            }
    }

private:
    struct Held {
        std::string path;
        int descriptor;
    };

    // A process forked without exec inherits the parent's list; the folders
    // are the parent's.
    void forgetAParentsFolders() {
        if (m_owner == ::getpid())
            return;
        for (const Held& held : m_held)
            ::close(held.descriptor);
        m_held.clear();
        m_swept.clear();
        m_owner = ::getpid();
    }

    std::mutex m_mutex;
    pid_t m_owner = 0;
    std::vector<Held> m_held;
    std::set<std::string> m_swept;
};

HeldFolders& heldFolders() {
    static HeldFolders* folders = new HeldFolders; // never destroyed: used until exit
    return *folders;
}

// The process id in "<prefix>pellucor-<pid>-...", or 0.
pid_t ownerInName(const std::string& name, const std::string& prefix) {
    const std::string start = prefix + "pellucor-";
    if (name.compare(0, start.size(), start) != 0)
        return 0;
    size_t end = name.find('-', start.size());
    if (end == std::string::npos || end == start.size() || end - start.size() > 9)
        return 0;
    const std::string digits = name.substr(start.size(), end - start.size());
    if (digits.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    return static_cast<pid_t>(std::stol(digits));
}

bool isLeftOver(const std::string& path, pid_t owner) {
    struct stat status;
    if (owner <= 0 || owner == ::getpid() || ::lstat(path.c_str(), &status) != 0 ||
        !S_ISDIR(status.st_mode) || status.st_uid != ::geteuid())
        return false;
    if (::kill(owner, 0) == 0 || errno != ESRCH)
        return false;
    int held = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (held < 0)
        return false;
    bool free = ::flock(held, LOCK_EX | LOCK_NB) == 0;
    ::close(held);
    return free;
}

} // namespace

std::string makePrivateTempFolder(const std::string& purpose) {
    return heldFolders().make(tempRoot(), "", purpose);
}

std::string makePrivateFolderIn(const std::string& parent, const std::string& namePrefix,
                                const std::string& purpose) {
    return heldFolders().make(parent, namePrefix, purpose);
}

void removePrivateTempFolder(const std::string& path) {
    if (!path.empty())
        heldFolders().remove(path);
}

void removeLeftoverFolders(const std::string& parent, const std::string& namePrefix) {
    std::vector<fs::path> leftOver;
    std::error_code failed;
    for (const auto& entry : fs::directory_iterator(parent, failed)) {
        const std::string name = entry.path().filename().string();
        if (isLeftOver(entry.path().string(), ownerInName(name, namePrefix)))
            leftOver.push_back(entry.path());
    }
    for (const fs::path& path : leftOver) {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
}

} // namespace pellucor
