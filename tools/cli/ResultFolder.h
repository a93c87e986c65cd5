#pragma once

#include <string>

namespace pellucor::cli {

// Makes the folders of subfolder (a relative path) below root that are
// missing. Throws an Error naming the first that is a symbolic link; any other
// failure is left to the save into it to report.
void makeFolderBelow(const std::string& root, const std::string& subfolder);

// The folder below root where a result found in subfolder goes, made when it
// is missing: root itself for a document given itself.
std::string resultFolder(const std::string& root, const std::string& subfolder);

} // namespace pellucor::cli
