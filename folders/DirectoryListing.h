#pragma once

// The platform's directory listing: the entries of one folder in the order
// the file system presents them to the program, names compared upper-cased.

#include <string>
#include <vector>

namespace pellucor::AddFolder::listing {

// What an entry is. Links are not followed: a symbolic link is a Link,
// whatever it names or whether it names anything.
enum class EntryKind { Folder, File, Link, Other };

struct Entry {
    std::string name;
    EntryKind kind = EntryKind::Other;
};

// The entries of `folder` other than "." and "..", ordered by their
// upper-cased names (ties by their bytes). Raises Error 70 when the
// folder may not be listed, 76 when it is missing or not a folder, and 75
// (path/file access error) for any other failure of the listing.
std::vector<Entry> ListFolder(const std::string& folder);

} // namespace pellucor::AddFolder::listing
