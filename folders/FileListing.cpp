#include "AddFolder.h"
#include "DirectoryListing.h"
#include "Wildcard.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellucor::AddFolder {

std::vector<std::string> ListFiles(std::string folder, const std::string& pattern,
                                   std::vector<std::string>* links) {
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    std::vector<std::string> names{""};
    for (const listing::Entry& entry : listing::ListFolder(folder)) {
        if (entry.kind == listing::EntryKind::Link && links &&
            text::MatchesPattern(entry.name, pattern))
            links->push_back(entry.name);
        if (entry.kind != listing::EntryKind::File)
            continue;
        if (text::MatchesPattern(entry.name, pattern) && FileIsOpenable(folder + entry.name))
            names.push_back(entry.name);
    }
    return names;
}

bool FileIsOpenable(const std::string& path) {
    if (path.empty() || path.find('\0') != std::string::npos)
        return false;
    int fd = ::open(path.c_str(), O_PATH | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    bool openable = ::fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
    ::close(fd);
    return openable;
}

} // namespace pellucor::AddFolder
