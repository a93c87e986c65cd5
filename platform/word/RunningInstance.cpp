#include "RunningInstance.h"

#include "base/Error.h"

#include <algorithm>
#include <cctype>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace pellucor::word {
namespace {

constexpr const char* kWordName = "Microsoft Word";

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string baseName(const std::string& path) {
    auto cut = path.find_last_of("/\\");
    return lowered(cut == std::string::npos ? path : path.substr(cut + 1));
}

// The program names a process runs as: its short name and its command line's
// words (a program run through a compatibility layer shows its .EXE there).
std::string nameOf(const std::string& processDir) {
    std::ifstream commandLine(processDir + "/cmdline", std::ios::binary);
    std::string arguments((std::istreambuf_iterator<char>(commandLine)), {});
    std::replace(arguments.begin(), arguments.end(), '\0', '\n');
    std::ifstream comm(processDir + "/comm");
    std::string shortName;
    std::getline(comm, shortName);

    std::istringstream words(arguments + "\n" + shortName);
    for (std::string word; std::getline(words, word);) {
        std::string base = baseName(word);
        if (base == "winword.exe")
            return kWordName;
        if (base == "soffice.bin")
            return "LibreOffice";
    }
    return {};
}

} // namespace

RunningInstance GetRunningInstance(const std::string& procRoot) {
    DIR* dir = ::opendir(procRoot.c_str());
    if (!dir)
        throw Error(ErrorNumber::NoRunningInstance,
                    "No running word processor can be found: the process list cannot be read.");
    const uid_t me = ::getuid();
    // The word processor the program warns about wins over any other one.
    RunningInstance found;
    while (dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name.empty() || !std::all_of(name.begin(), name.end(), ::isdigit))
            continue;
        std::string processDir = procRoot + "/" + name;
        struct stat st {};
        if (::stat(processDir.c_str(), &st) != 0 || st.st_uid != me)
            continue;
        std::string program = nameOf(processDir);
        if (program.empty() || (!found.name.empty() && program != kWordName))
            continue;
        found = RunningInstance{program, std::stoi(name)};
        if (program == kWordName)
            break;
    }
    ::closedir(dir);
    if (found.name.empty())
        throw Error(ErrorNumber::NoRunningInstance, "No word processor is running.");
    return found;
}

} // namespace pellucor::word
