#pragma once

#include <ctime>
#include <functional>
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
    int (*rename)(int folder, const char* from, const char* to); // both names in folder
};

const FileOps& systemFileOps();
void setFileOpsForTesting(const FileOps* ops); // nullptr restores the real calls

// Which file a save wrote and in what state.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    bool operator==(const FileIdentity& other) const;
};

// Whether path still names the file a save wrote and holds exactly bytes. Its
// times cannot tell: a program may rewrite a file in place and set them back,
// and some file systems keep them only to the second.
bool fileHolds(const std::string& path, const FileIdentity& identity, std::string_view bytes);

// Writes data to path through a temporary file in the same folder, flushed and
// then renamed over the target; a path of any length and a name of any length
// the file system allows are saved. A replaced file keeps its permissions. A
// new file is no more open than the file it was made from, whose bits
// sourceMode gives: group and others get at most what they had there, the
// owner reads and writes it, and the umask applies; it has these bits from its
// creation on. A symbolic link is never written through: a target that is a
// link is refused. On any failure the target is left exactly as it was, no
// temporary file remains, and an Error naming the file is thrown. Returns the
// identity of the file written. beforeReplace, when given, is handed the new
// file, written and flushed, just before it takes the target's place (to lock
// it, so that no other process finds it unlocked there).
FileIdentity writeFileAtomically(const std::string& path, std::string_view data,
                                 std::optional<mode_t> sourceMode = std::nullopt,
                                 const std::function<void(int fd)>& beforeReplace = {});

// Throws the Error that saving to path would meet before anything is written:
// a missing folder, a folder or a symbolic link in the way, a read-only target.
void checkSaveTarget(const std::string& path);

// The permission bits of the file path names (links followed); nullopt when
// it cannot be examined.
std::optional<mode_t> permissionsOf(const std::string& path);

// The file a save over path in place replaces: the one a symbolic link of
// that name points to, resolved now, or path itself. Saving there keeps the
// link and puts the new file beside its target.
std::string fileBehindLink(const std::string& path);

} // namespace pellucor
