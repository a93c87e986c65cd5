#include "ResultFolder.h"

#include "base/Error.h"
#include "base/PathHelpers.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellucor::cli {
namespace {

[[noreturn]] void refuseLinkedFolder(const std::string& folder) {
    throw Error(ErrorNumber::CannotSave,
                "the folder " + inQuotes(Main::NormalizePath(folder)) +
                    " is a symbolic link; results go only into real folders below the output "
                    "folder, never through a link. Nothing was written.");
}

} // namespace

// Each folder is made, or found, and opened by its name in the one above it
// without following a link, so that no link met on the way can lead elsewhere.
void makeFolderBelow(const std::string& root, const std::string& subfolder) {
    constexpr int kFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    std::string reached = root;
    size_t at = 0;
    while (fd >= 0 && at < subfolder.size()) {
        size_t end = std::min(subfolder.find(kSeparator, at), subfolder.size());
        const std::string name = subfolder.substr(at, end - at);
        at = end + 1;
        if (name.empty())
            continue;
        reached += kSeparator + name;
        ::mkdirat(fd, name.c_str(), 0777);
        struct stat st {};
        const bool link =
            ::fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
        int next = link ? -1 : ::openat(fd, name.c_str(), kFlags);
        const bool linkedMeanwhile = next < 0 && errno == ELOOP;
        ::close(fd);
        if (link || linkedMeanwhile)
            refuseLinkedFolder(reached);
        fd = next;
    }
    if (fd >= 0)
        ::close(fd);
}

std::string resultFolder(const std::string& root, const std::string& subfolder) {
    if (subfolder.empty())
        return root;
    makeFolderBelow(root, subfolder);
    return Main::NormalizePath(root + kSeparator + subfolder);
}

} // namespace pellucor::cli
