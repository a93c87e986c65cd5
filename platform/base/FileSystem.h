#pragma once

#include <string>

namespace pellucor::platform {

// File attributes as the program tests them.
enum Attribute : int {
    AttrReadOnly = 1,
    AttrHidden = 2,
    AttrSystem = 4,
    AttrDirectory = 16,
    AttrArchive = 32,
    AttrReparsePoint = 1024,
};

// The attributes of a path: read-only when the user cannot write it, hidden
// when its name begins with ".", archive for every regular file, and a
// symbolic link to a folder reports exactly 1046. Raises Error 53 (file
// not found) or 76 (path not found) when the path cannot be examined.
int GetAttr(const std::string& path);

// The last change of a path, in seconds since the epoch; raises Error
// when the path cannot be examined.
long long FileDateTime(const std::string& path);

} // namespace pellucor::platform
