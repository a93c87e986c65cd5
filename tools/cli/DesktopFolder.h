#pragma once

#include <string>

namespace pellucor::cli {

// The user's desktop folder, the window's default output folder.
std::string desktopFolder();

} // namespace pellucor::cli
