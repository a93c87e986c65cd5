#include "LibreOfficePipes.h"

#include "converter/Md5.h"

#include <sys/stat.h>
#include <unistd.h>

namespace pellucor::converter {

std::string libreOfficePipeFolder() {
    for (const char* folder : {"/tmp", "/var/tmp"})
        if (::access(folder, W_OK) == 0)
            return folder;
    return {};
}

std::string pipeNamePrefix() {
    return "OSL_PIPE_" + std::to_string(::getuid()) + "_";
}

std::string singleInstancePipeOf(const std::string& profileUrl) {
    const std::string folder = libreOfficePipeFolder();
    if (folder.empty() || profileUrl.empty())
        return {};
    std::string utf16;
    for (char c : profileUrl) // the URL is ASCII: non-ASCII is percent-encoded
        utf16 += {c, '\0'};
    std::string hex;
    static const char* digits = "0123456789abcdef";
    for (uint8_t byte : md5Of(utf16)) { // each byte without its leading zero
        if (byte >= 16)
            hex += digits[byte >> 4];
        hex += digits[byte & 15];
    }
    return folder + "/" + pipeNamePrefix() + "SingleOfficeIPC_" + hex;
}

std::string profileUrlIn(const std::vector<std::string>& args) {
    const std::string option = "-env:UserInstallation=";
    for (const std::string& arg : args)
        if (arg.compare(0, option.size(), option) == 0)
            return arg.substr(option.size());
    return {};
}

void removeLeftPipe(const std::string& path) {
    struct stat status;
    if (!path.empty() && ::lstat(path.c_str(), &status) == 0 && S_ISSOCK(status.st_mode) &&
        status.st_uid == ::geteuid())
        ::unlink(path.c_str());
}

} // namespace pellucor::converter
