#include "FileSystem.h"

#include "Error.h"
#include "PathHelpers.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace pellucor::platform {
namespace {

std::string nameOf(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    return FileNameOf(trimmed);
}

[[noreturn]] void raiseFor(const std::string& path, int err) {
    if (err == EACCES || err == EPERM)
        throw Error(ErrorNumber::PermissionDenied, "Permission denied: " + inQuotes(path));
    struct stat st {};
    bool folderExists = !path.empty() && ::stat(ContainingFolder(path).c_str(), &st) == 0;
    if (folderExists)
        throw Error(ErrorNumber::BasicFileNotFound, "File not found: " + inQuotes(path));
    throw Error(ErrorNumber::PathNotFound, "Path not found: " + inQuotes(path));
}

bool writable(const std::string& path, const struct stat& st) {
    bool noWriteBits = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    return !noWriteBits && ::access(path.c_str(), W_OK) == 0;
}

// A final separator would make the system follow a link; the entry itself is
// meant.
std::string withoutFinalSeparators(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    return trimmed;
}

} // namespace

int GetAttr(const std::string& given) {
    const std::string path = withoutFinalSeparators(given);
    struct stat st {};
    if (path.empty() || ::lstat(path.c_str(), &st) != 0)
        raiseFor(path, path.empty() ? ENOENT : errno);
    if (S_ISLNK(st.st_mode)) {
        struct stat target {};
        bool toFolder = ::stat(path.c_str(), &target) == 0 && S_ISDIR(target.st_mode);
        if (toFolder)
            return AttrReparsePoint | AttrDirectory | AttrSystem | AttrHidden;
        return AttrReparsePoint | (::stat(path.c_str(), &target) == 0 ? AttrArchive : 0);
    }
    int attributes = 0;
    if (!writable(path, st))
        attributes |= AttrReadOnly;
    std::string name = nameOf(path);
    if (!name.empty() && name[0] == '.' && name != "." && name != "..")
        attributes |= AttrHidden;
    if (S_ISDIR(st.st_mode))
        attributes |= AttrDirectory;
    else if (S_ISREG(st.st_mode))
        attributes |= AttrArchive;
    return attributes;
}

long long FileDateTime(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0)
        raiseFor(path, path.empty() ? ENOENT : errno);
    return static_cast<long long>(st.st_mtime);
}

} // namespace pellucor::platform
