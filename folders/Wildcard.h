#pragma once

#include <string>

namespace pellucor::AddFolder::text {

// Whether a file name matches a listing pattern: "*" stands for any run of
// characters, "?" for any one character, letters match in either case. A
// final ".*" also matches the end of a name without a dot, so "*.*" matches
// every name. As on the platform the list's patterns come from, "*." and a
// three-character extension also matches longer extensions that begin with
// it: "*.doc" matches "a.docx" and "a.DOCM".
bool MatchesPattern(const std::string& name, const std::string& pattern);

} // namespace pellucor::AddFolder::text
