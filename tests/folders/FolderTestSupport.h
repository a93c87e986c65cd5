#pragma once

// Folder trees built on the fly in a scratch folder for the folder services.

#include "support/TempDir.h"

#include <filesystem>
#include <initializer_list>
#include <string>

namespace pellucor::test {

// Creates each folder (with its parents) under `root`; paths use "/".
inline void makeFolders(const TempDir& root, std::initializer_list<std::string> folders) {
    for (const auto& folder : folders)
        std::filesystem::create_directories(root.file(folder));
}

// A folder list entry for a folder under `root`: the path ending in "/".
inline std::string entryOf(const TempDir& root, const std::string& folder) {
    return root.file(folder) + "/";
}

} // namespace pellucor::test
