#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace pellucor {

// The system calls an atomic write goes through. Tests swap them to make the
// n-th write, sync or rename fail as a full disk or a lost device would.
struct FileOps {
    ssize_t (*write)(int fd, const void* data, size_t size);
    int (*fsync)(int fd);
    int (*rename)(const char* from, const char* to);
};

const FileOps& systemFileOps();
void setFileOpsForTesting(const FileOps* ops); // nullptr restores the real calls

// Which file a path names and in what state: equal identities mean that
// nobody has written to the file in between.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    bool operator==(const FileIdentity& other) const;
};
std::optional<FileIdentity> identityOf(const std::string& path);

// Writes data to path through a temporary file in the same folder, flushed and
// then renamed over the target. A replaced file keeps its permissions; a
// symbolic link is written through. On any failure the target is left exactly
// as it was, no temporary file remains, and an Error naming the file is thrown.
// Returns the identity of the file written.
FileIdentity writeFileAtomically(const std::string& path, std::string_view data);

// Throws the Error that saving to path would meet before anything is written:
// a missing folder, a folder in the way, a read-only target.
void checkSaveTarget(const std::string& path);

} // namespace pellucor
