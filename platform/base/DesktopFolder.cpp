#include "DesktopFolder.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string_view>
#include <vector>

namespace pellucor {
namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string desktopLine(const std::string& userDirs, const std::string& home) {
    constexpr std::string_view key = "XDG_DESKTOP_DIR=";
    std::ifstream in(userDirs);
    std::string line;
    std::string found;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.starts_with(key))
            continue;
        std::string_view value = std::string_view(line).substr(key.size());
        if (value.size() > 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        // A relative folder would change with the folder the program starts in.
        if (value.starts_with("$HOME"))
            found = home + std::string(value.substr(5));
        else if (value.starts_with('/'))
            found = value;
    }
    return found;
}

// Drops empty and "." components and takes ".." back over the one before it, as
// the window has always shown the folder.
std::string cleaned(const std::string& path) {
    const bool absolute = path.starts_with('/');
    std::vector<std::string_view> components;
    std::string_view rest = path;
    while (!rest.empty()) {
        const size_t end = std::min(rest.find('/'), rest.size());
        const std::string_view component = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        if (component.empty() || component == ".")
            continue;
        if (component == ".." && !components.empty() && components.back() != "..")
            components.pop_back();
        else if (component != ".." || !absolute)
            components.push_back(component);
    }
    std::string result = absolute ? "/" : "";
    for (std::string_view component : components) {
        result += component;
        result += '/';
    }
    return result;
}

} // namespace

std::string UserConfigFolder() {
    std::string config = environment("XDG_CONFIG_HOME");
    return config.empty() ? environment("HOME") + "/.config" : config;
}

std::string DesktopFolderPath() {
    const std::string home = environment("HOME");
    if (home.empty())
        return {};
    std::string desktop = desktopLine(UserConfigFolder() + "/user-dirs.dirs", home);
    if (desktop.empty())
        desktop = home + "/Desktop";
    return cleaned(desktop);
}

} // namespace pellucor
