#include "DirectoryListing.h"

#include "base/Error.h"
#include "NameText.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace pellucor::AddFolder::listing {
namespace {

constexpr auto kPathFileAccessError = static_cast<ErrorNumber>(75);

[[noreturn]] void raiseListingError(const std::string& path, int err) {
    const std::string folder = inQuotes(path);
    std::string reason = " (" + systemText(err) + ")";
    if (err == EACCES || err == EPERM)
        throw Error(ErrorNumber::PermissionDenied,
                    "Permission denied: cannot list the folder " + folder + reason);
    if (err == ENOENT || err == ENOTDIR || err == ELOOP || err == ENAMETOOLONG)
        throw Error(ErrorNumber::PathNotFound, "Path not found: " + folder + reason);
    throw Error(kPathFileAccessError,
                "Path/File access error: cannot list the folder " + folder + reason);
}

// Closes the listing on every way out, including a raised error.
struct DirCloser {
    DIR* dir;
    ~DirCloser() { ::closedir(dir); }
};

EntryKind kindOf(int folderFd, const char* name) {
    struct stat st {};
    if (::fstatat(folderFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return EntryKind::Other;
    if (S_ISLNK(st.st_mode))
        return EntryKind::Link;
    if (S_ISDIR(st.st_mode))
        return EntryKind::Folder;
    return S_ISREG(st.st_mode) ? EntryKind::File : EntryKind::Other;
}

Entry entryOf(int folderFd, const dirent& found) {
    Entry entry{found.d_name};
    if (found.d_type == DT_DIR) {
        entry.kind = EntryKind::Folder;
    } else if (found.d_type == DT_REG) {
        entry.kind = EntryKind::File;
    } else if (found.d_type == DT_LNK) {
        entry.kind = EntryKind::Link;
    } else if (found.d_type == DT_UNKNOWN) {
        entry.kind = kindOf(folderFd, found.d_name);
    }
    return entry;
}

bool isDotEntry(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

void sortInListingOrder(std::vector<Entry>& entries) {
    std::vector<std::pair<std::u16string, Entry>> keyed;
    keyed.reserve(entries.size());
    for (auto& entry : entries)
        keyed.emplace_back(text::OrderKey(entry.name), std::move(entry));
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        if (a.first != b.first)
            return a.first < b.first;
        return a.second.name < b.second.name;
    });
    for (size_t i = 0; i < entries.size(); ++i)
        entries[i] = std::move(keyed[i].second);
}

} // namespace

std::vector<Entry> ListFolder(const std::string& folder) {
    // A name cut short at a zero byte would list some other folder.
    if (folder.find('\0') != std::string::npos)
        raiseListingError(folder, ENOENT);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        raiseListingError(folder, errno);
    DirCloser closer{dir};
    std::vector<Entry> entries;
    while (true) {
        errno = 0;
        const dirent* found = ::readdir(dir);
        if (!found) {
            if (errno != 0)
                raiseListingError(folder, errno);
            break;
        }
        if (!isDotEntry(found->d_name))
            entries.push_back(entryOf(::dirfd(dir), *found));
    }
    sortInListingOrder(entries);
    return entries;
}

} // namespace pellucor::AddFolder::listing
