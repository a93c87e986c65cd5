#pragma once

#include <string>
#include <sys/stat.h>
#include <sys/types.h>

namespace pellucor {

// A path taken apart into its folder, held open, and the name in it. The
// steps of a save work on the pair rather than on the whole path, so that a
// path longer than the system takes in one call is saved as any other.
class FolderHandle {
public:
    // Opens the folder that holds path; never throws. When it cannot be
    // opened, isOpen() is false and error() tells why.
    explicit FolderHandle(const std::string& path);
    ~FolderHandle();
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int error() const { return m_error; }
    int fd() const { return m_fd; }
    const char* name() const { return m_name.c_str(); }
    const std::string& folder() const { return m_folder; }

private:
    std::string m_folder;
    std::string m_name;
    int m_fd = -1;
    int m_error = 0;
};

// open(2) for a path of any length: a path beyond what one call takes is
// opened through its folder. Returns -1 with errno set on failure.
int openAnyLength(const std::string& path, int flags, mode_t mode = 0);

// stat(2), links followed, for a path of any length.
int statAnyLength(const std::string& path, struct stat& st);

} // namespace pellucor
