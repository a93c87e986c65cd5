#include "AtomicFile.h"

#include "EditorLock.h"
#include "Error.h"
#include "FolderHandle.h"
#include "PathHelpers.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <random>
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
int realRename(int folder, const char* from, const char* to) {
    return ::renameat(folder, from, folder, to);
}

const FileOps kSystemOps{realWrite, realFsync, realRename};
const FileOps* g_ops = &kSystemOps;

[[noreturn]] void failSave(const std::string& path, int err, const std::string& step) {
    auto number = err == EACCES || err == EPERM || err == EROFS ? ErrorNumber::PermissionDenied
                                                                : ErrorNumber::CannotSave;
    throw Error(number, "Could not save " + inQuotes(path) + ": " + step + " (" + systemText(err) +
                            "). The file was left as it was.");
}

[[noreturn]] void refuse(ErrorNumber number, const std::string& path, const std::string& why) {
    throw Error(number, "Could not save " + inQuotes(path) + ": " + why);
}

void checkName(const std::string& path) {
    if (path.empty())
        throw Error(ErrorNumber::PathNotFound, "Could not save: no file name was given.");
    if (path.back() == '/')
        refuse(ErrorNumber::CannotSave, path, "the name is a folder, not a file.");
}

bool isReadOnly(const struct stat& st, const FolderHandle& folder) {
    bool noWriteBits = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    return noWriteBits || ::faccessat(folder.fd(), folder.name(), W_OK, 0) != 0;
}

// What the target is now, refused when a save may not replace it; nullopt
// when there is nothing of that name.
std::optional<struct stat> checkedTarget(const std::string& path, const FolderHandle& folder) {
    if (!folder.isOpen()) {
        if (folder.error() != ENOENT && folder.error() != ENOTDIR)
            failSave(path, folder.error(), "its folder could not be opened");
        refuse(ErrorNumber::PathNotFound, path,
               "the folder " + inQuotes(folder.folder()) + " does not exist.");
    }
    struct stat st {};
    if (::fstatat(folder.fd(), folder.name(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    if (S_ISLNK(st.st_mode))
        refuse(ErrorNumber::CannotSave, path,
               "it is a symbolic link, and a save never writes through a link, so that the file "
               "it names cannot be changed unseen. Name the file itself. Nothing was written.");
    if (S_ISDIR(st.st_mode))
        refuse(ErrorNumber::CannotSave, path, "a folder of that name is in the way.");
    if (isReadOnly(st, folder))
        refuse(ErrorNumber::PermissionDenied, path, "the file is read-only.");
    checkNotOpenInEditor(path);
    return st;
}

// Group and others get no more than the source gave them; the owner reads and
// writes what it makes, so that the next mark can replace it. The kernel
// applies the umask at creation.
mode_t newFileMode(std::optional<mode_t> sourceMode) {
    if (!sourceMode)
        return 0666;
    return (*sourceMode | S_IRUSR | S_IWUSR) & 0666;
}

// A new file of a short random name in the folder, created with mode: the
// target's name with a suffix would not fit when the name is long already.
int createTemporary(const FolderHandle& folder, mode_t mode, std::string& name) {
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::minstd_rand random{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = ".pellucor-";
        for (int k = 0; k < 6; ++k)
            name += kLetters[random() % (sizeof kLetters - 1)];
        int fd = ::openat(folder.fd(), name.c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
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

FileIdentity identityFrom(const struct stat& st) {
    return FileIdentity{st.st_dev, st.st_ino, st.st_size, st.st_mtim};
}

bool readsAs(int fd, std::string_view bytes) {
    char buffer[65536];
    size_t done = 0;
    while (true) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n == 0 && done == bytes.size();
        size_t got = static_cast<size_t>(n);
        if (got > bytes.size() - done || std::memcmp(buffer, bytes.data() + done, got) != 0)
            return false;
        done += got;
    }
}

} // namespace

const FileOps& systemFileOps() {
    return kSystemOps;
}

void setFileOpsForTesting(const FileOps* ops) {
    g_ops = ops ? ops : &kSystemOps;
}

bool FileIdentity::operator==(const FileIdentity& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
}

bool fileHolds(const std::string& path, const FileIdentity& identity, std::string_view bytes) {
    int fd = openAnyLength(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0)
        return false;
    struct stat st {};
    bool holds = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && identityFrom(st) == identity &&
                 static_cast<size_t>(st.st_size) == bytes.size() && readsAs(fd, bytes);
    ::close(fd);
    return holds;
}

void checkSaveTarget(const std::string& path) {
    checkName(path);
    FolderHandle folder(path);
    checkedTarget(path, folder);
}

FileIdentity writeFileAtomically(const std::string& path, std::string_view data,
                                 std::optional<mode_t> sourceMode,
                                 const std::function<void(int fd)>& beforeReplace) {
    checkName(path);
    FolderHandle folder(path);
    const std::optional<struct stat> existing = checkedTarget(path, folder);

    std::string temp;
    int fd = createTemporary(folder, existing ? existing->st_mode & 0777 : newFileMode(sourceMode),
                             temp);
    if (fd < 0)
        failSave(path, errno, "could not create a file in its folder");
    try {
        writeAll(fd, data, path);
        // Created within the umask; a replaced file's own bits come back.
        if (existing && ::fchmod(fd, existing->st_mode & 07777) != 0)
            failSave(path, errno, "could not set the file's permissions");
        if (g_ops->fsync(fd) != 0)
            failSave(path, errno, "flushing the new file to disk failed");
        struct stat written {};
        if (::fstat(fd, &written) != 0)
            failSave(path, errno, "could not read back the new file's state");
        if (beforeReplace)
            beforeReplace(fd);
        if (::close(fd) != 0) {
            fd = -1;
            failSave(path, errno, "closing the new file failed");
        }
        fd = -1;
        if (g_ops->rename(folder.fd(), temp.c_str(), folder.name()) != 0)
            failSave(path, errno, "could not replace the file");
        return identityFrom(written);
    } catch (...) {
        if (fd >= 0)
            ::close(fd);
        ::unlinkat(folder.fd(), temp.c_str(), 0);
        throw;
    }
}

std::optional<mode_t> permissionsOf(const std::string& path) {
    struct stat st {};
    if (statAnyLength(path, st) != 0)
        return std::nullopt;
    return st.st_mode & 07777;
}

std::string fileBehindLink(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved)
        return path; // a dangling link: opening it says what is missing
    std::string target(resolved);
    std::free(resolved);
    return target;
}

} // namespace pellucor
