#pragma once

#include <string>

namespace pellucor::AddFolder::text {

// Whether a file name matches a listing pattern: "*" stands for any run of
// characters, "?" for any one character, letters match in either case. A
// final ".*" also matches the end of a name without a dot, so "*.*" matches
// every name.
bool MatchesPattern(const std::string& name, const std::string& pattern);

} // namespace pellucor::AddFolder::text
