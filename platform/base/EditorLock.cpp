#include "EditorLock.h"

#include "Error.h"
#include "PathHelpers.h"

#include <sys/stat.h>

namespace pellucor {
namespace {

bool isFile(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

} // namespace

std::optional<std::string> editorLockOf(const std::string& path) {
    const std::string folder = ContainingFolder(path) + "/";
    const std::string name = FileNameOf(path);
    if (name.empty())
        return std::nullopt;
    std::string candidates[] = {".~lock." + name + "#", "~$" + name, "~$" + name.substr(1),
                                name.size() > 2 ? "~$" + name.substr(2) : std::string()};
    for (const std::string& lock : candidates)
        if (!lock.empty() && lock != "~$" && isFile(folder + lock))
            return folder + lock;
    return std::nullopt;
}

void checkNotOpenInEditor(const std::string& path) {
    std::optional<std::string> lock = editorLockOf(path);
    if (!lock)
        return;
    throw Error(ErrorNumber::PermissionDenied,
                "Could not save " + inQuotes(path) +
                    ": it is open in another program, which would later write its own copy over "
                    "this one (its lock file is " +
                    inQuotes(*lock) +
                    "). Close the document there and try again; if no program has it open, "
                    "delete the lock file. The file was left as it was.");
}

} // namespace pellucor
