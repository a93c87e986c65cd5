#include "AtomicFile.h"

#include "EditorLock.h"
#include "Error.h"
#include "PathHelpers.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellucor {
namespace {

ssize_t realWrite(int fd, const void* data, size_t size) {
    return ::write(fd, data, size);
}
int realFsync(int fd) {
    return ::fsync(fd);
}
int realRename(const char* from, const char* to) {
    return ::rename(from, to);
}

const FileOps kSystemOps{realWrite, realFsync, realRename};
const FileOps* g_ops = &kSystemOps;

// A symbolic link to an existing file is written through, as an editor does.
std::string resolveTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved))
            return resolved;
    }
    return path;
}

[[noreturn]] void failSave(const std::string& path, int err, const std::string& step) {
    auto number = err == EACCES || err == EPERM || err == EROFS ? ErrorNumber::PermissionDenied
                                                                : ErrorNumber::CannotSave;
    throw Error(number, "Could not save " + inQuotes(path) + ": " + step + " (" + systemText(err) +
                            "). The file was left as it was.");
}

bool isReadOnly(const struct stat& st, const std::string& path) {
    bool noWriteBits = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    return noWriteBits || ::access(path.c_str(), W_OK) != 0;
}

void writeAll(int fd, std::string_view data, const std::string& path) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = g_ops->write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            failSave(path, n < 0 ? errno : ENOSPC, "writing the new file failed");
        done += static_cast<size_t>(n);
    }
}

// The kernel reports the umask without changing it; setting it to read it
// back would, for a moment, change it for every thread of the process.
mode_t processUmask() {
    if (std::FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        unsigned mask = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, status))
            found = std::sscanf(line, "Umask: %o", &mask) == 1;
        std::fclose(status);
        if (found)
            return static_cast<mode_t>(mask);
    }
    mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

mode_t newFileMode() {
    static const mode_t mode = 0666 & ~processUmask();
    return mode;
}

FileIdentity identityFrom(const struct stat& st) {
    return FileIdentity{st.st_dev, st.st_ino, st.st_size, st.st_mtim};
}

} // namespace

const FileOps& systemFileOps() {
    return kSystemOps;
}

bool FileIdentity::operator==(const FileIdentity& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
}

std::optional<FileIdentity> identityOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return identityFrom(st);
}

void setFileOpsForTesting(const FileOps* ops) {
    g_ops = ops ? ops : &kSystemOps;
}

void checkSaveTarget(const std::string& path) {
    if (path.empty())
        throw Error(ErrorNumber::PathNotFound, "Could not save: no file name was given.");
    if (path.back() == '/')
        throw Error(ErrorNumber::CannotSave,
                    "Could not save " + inQuotes(path) + ": the name is a folder, not a file.");
    std::string target = resolveTarget(path);
    std::string folder = ContainingFolder(target);
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        throw Error(ErrorNumber::PathNotFound, "Could not save " + inQuotes(path) +
                                                   ": the folder " + inQuotes(folder) +
                                                   " does not exist.");
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            throw Error(ErrorNumber::CannotSave, "Could not save " + inQuotes(path) +
                                                     ": a folder of that name is in the way.");
        if (isReadOnly(st, target))
            throw Error(ErrorNumber::PermissionDenied,
                        "Could not save " + inQuotes(path) + ": the file is read-only.");
        checkNotOpenInEditor(target);
    }
}

FileIdentity writeFileAtomically(const std::string& path, std::string_view data) {
    checkSaveTarget(path);
    std::string target = resolveTarget(path);
    struct stat existing {};
    bool replacing = ::stat(target.c_str(), &existing) == 0;

    std::string temp = ContainingFolder(target) + "/.~" + FileNameOf(target) + ".XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0)
        failSave(path, errno, "could not create a file in its folder");
    try {
        writeAll(fd, data, path);
        if (::fchmod(fd, replacing ? (existing.st_mode & 07777) : newFileMode()) != 0)
            failSave(path, errno, "could not set the file's permissions");
        if (g_ops->fsync(fd) != 0)
            failSave(path, errno, "flushing the new file to disk failed");
        struct stat written {};
        if (::fstat(fd, &written) != 0)
            failSave(path, errno, "could not read back the new file's state");
        if (::close(fd) != 0) {
            fd = -1;
            failSave(path, errno, "closing the new file failed");
        }
        fd = -1;
        if (g_ops->rename(temp.c_str(), target.c_str()) != 0)
            failSave(path, errno, "could not replace the file");
        return identityFrom(written);
    } catch (...) {
        if (fd >= 0)
            ::close(fd);
        ::unlink(temp.c_str());
        throw;
    }
}

} // namespace pellucor
