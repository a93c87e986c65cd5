#pragma once

#include <string>

namespace pellucor {

// The platform's path separator; the helpers take it as a parameter so that
// the rules can also be checked with the backslash.
inline constexpr char kSeparator = '/';

namespace Main {
// Collapses doubled separators left by joining parts; a leading run of
// separators (a network path) becomes exactly two, except that with "/" one
// leading separator (an absolute path) stays one.
std::string NormalizePath(const std::string& path, char separator = kSeparator);
} // namespace Main

// The last component of a path: everything after the last separator.
std::string FileNameOf(const std::string& path, char separator = kSeparator);

// Everything before the last separator: "" when there is none, and "" for an
// entry of the root.
std::string FolderOf(const std::string& path, char separator = kSeparator);

// The folder that holds a path, as the system names it: "." for a bare name,
// "/" for an entry of the root.
std::string ContainingFolder(const std::string& path);

// Whether the path names a folder; false for anything that cannot be examined.
bool IsFolder(const std::string& path);

// Whether the path names an existing entry; false when it cannot be examined.
bool FileExists(const std::string& path);

} // namespace pellucor
