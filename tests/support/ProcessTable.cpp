#include "support/ProcessTable.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <unistd.h>

namespace pellucor::test {
namespace {

namespace fs = std::filesystem;

// The whole of a /proc file; "" when the process went while it was read.
std::string procFile(const std::string& path) {
    std::string text;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return text;
    char buffer[4096];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<size_t>(got));
    ::close(fd);
    return text;
}

bool isLive(const std::string& pid) {
    const std::string stat = procFile("/proc/" + pid + "/stat");
    size_t close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z' &&
           stat[close + 2] != 'X';
}

// Socket inode to the path it is bound to, for every named Unix socket.
std::map<std::string, std::string> namedSockets() {
    std::map<std::string, std::string> paths;
    std::istringstream table(procFile("/proc/net/unix"));
    std::string line;
    std::getline(table, line); // the heading
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, references, protocol, flags, type, state, inode, path;
        if (fields >> slot >> references >> protocol >> flags >> type >> state >> inode >> path &&
            path[0] == '/')
            paths[inode] = path;
    }
    return paths;
}

} // namespace

std::string commandLineOf(int pid) {
    return procFile("/proc/" + std::to_string(pid) + "/cmdline");
}

std::vector<int> processesWhoseCommandHas(const std::vector<std::string>& texts) {
    std::vector<int> found;
    std::error_code failed;
    for (const auto& entry : fs::directory_iterator("/proc", failed)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const std::string command = procFile("/proc/" + name + "/cmdline");
        if (std::all_of(
                texts.begin(), texts.end(),
                [&](const std::string& text) { return command.find(text) != std::string::npos; }) &&
            isLive(name))
            found.push_back(std::stoi(name));
    }
    return found;
}

std::vector<std::string> socketsOf(int pid) {
    const std::map<std::string, std::string> named = namedSockets();
    std::vector<std::string> sockets;
    std::error_code failed;
    const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
    for (const auto& entry : fs::directory_iterator(fds, failed)) {
        std::error_code gone;
        const std::string target = fs::read_symlink(entry.path(), gone).string();
        if (target.rfind("socket:[", 0) != 0)
            continue;
        auto path = named.find(target.substr(8, target.size() - 9));
        if (path != named.end())
            sockets.push_back(path->second);
    }
    return sockets;
}

} // namespace pellucor::test
