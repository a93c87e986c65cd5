#pragma once

#include <string>

namespace pellucor {

// The user's desktop folder, the default output folder of the window and of
// the command line, ending in the separator. It is the XDG_DESKTOP_DIR line of
// $XDG_CONFIG_HOME/user-dirs.dirs ($HOME/.config/user-dirs.dirs by default),
// the last one that names "$HOME/..." or an absolute folder, else
// $HOME/Desktop; cleaned of doubled separators, "." and ".." components. "" when
// HOME is not set.
std::string DesktopFolderPath();

// Where the user's settings live: $XDG_CONFIG_HOME, else $HOME/.config.
std::string UserConfigFolder();

} // namespace pellucor
