#include "RunningInstance.h"

#include "base/Error.h"

#include <charconv>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace pellucor::word {
namespace {

constexpr const char* kWordName = "Microsoft Word";
constexpr const char* kOfficeName = "LibreOffice";

// Reads the words of a process's names a byte at a time and keeps only the
// last path part of the current word, lower-cased, as far as it could still
// be one of the program names: the process table is read without allocating.
// A command line's words end at NUL or a line end; a short name is one line.
class ProgramMatcher {
public:
    enum class Source { CommandLine, ShortName };

    // False once nothing more need be read.
    bool feed(std::string_view bytes, Source source) {
        for (char c : bytes) {
            if (c == '\n' && source == Source::ShortName)
                return false;
            if (c == '\n' || (c == '\0' && source == Source::CommandLine))
                endWord();
            else if (c == '/' || c == '\\')
                m_length = 0;
            else if (m_length < sizeof m_tail)
                m_tail[m_length++] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
            else
                m_length = sizeof m_tail + 1; // too long for any name sought
            if (m_found)
                return false;
        }
        return true;
    }

    void endWord() {
        const std::string_view base(m_tail, m_length <= sizeof m_tail ? m_length : 0);
        if (!m_found && base == "winword.exe")
            m_found = kWordName;
        else if (!m_found && base == "soffice.bin")
            m_found = kOfficeName;
        m_length = 0;
    }

    const char* found() const { return m_found; }

private:
    char m_tail[12] = {};
    size_t m_length = 0;
    const char* m_found = nullptr;
};

// Feeds a file below the process table to the matcher; a missing or
// unreadable file gives nothing.
void feedFile(int procFd, const char* path, ProgramMatcher::Source source,
              ProgramMatcher& matcher) {
    const int fd = ::openat(procFd, path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    constexpr ssize_t kChunk = 4096;
    char buffer[kChunk];
    // A short read is the end: the process table gives a whole file at once.
    for (ssize_t got = kChunk; got == kChunk;) {
        got = ::read(fd, buffer, kChunk);
        if (got <= 0 || !matcher.feed(std::string_view(buffer, static_cast<size_t>(got)), source))
            break;
    }
    ::close(fd);
    matcher.endWord();
}

// The program a process runs as, from its command line's words (a program
// run through a compatibility layer shows its .EXE there), then its short
// name; null when it is neither word processor.
const char* programOf(int procFd, const char* pid) {
    char path[320];
    ProgramMatcher matcher;
    std::snprintf(path, sizeof path, "%s/cmdline", pid);
    feedFile(procFd, path, ProgramMatcher::Source::CommandLine, matcher);
    if (!matcher.found()) {
        std::snprintf(path, sizeof path, "%s/comm", pid);
        feedFile(procFd, path, ProgramMatcher::Source::ShortName, matcher);
    }
    return matcher.found();
}

bool isProcessId(std::string_view name, int& pid) {
    if (name.empty())
        return false;
    for (char c : name)
        if (c < '0' || c > '9')
            return false;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    return error == std::errc() && end == name.data() + name.size();
}

} // namespace

RunningInstance GetRunningInstance(const std::string& procRoot) {
    DIR* dir = ::opendir(procRoot.c_str());
    if (!dir)
        throw Error(ErrorNumber::NoRunningInstance,
                    "No running word processor can be found: the process list cannot be read.");
    const int procFd = ::dirfd(dir);
    const uid_t me = ::getuid();
    // The word processor the program warns about wins over any other one.
    const char* foundProgram = nullptr;
    int foundId = 0;
    while (dirent* entry = ::readdir(dir)) {
        int pid = 0;
        if (!isProcessId(entry->d_name, pid))
            continue;
        struct stat st {};
        if (::fstatat(procFd, entry->d_name, &st, 0) != 0 || st.st_uid != me)
            continue;
        const char* program = programOf(procFd, entry->d_name);
        if (!program || (foundProgram && program != kWordName))
            continue;
        foundProgram = program;
        foundId = pid;
        if (program == kWordName)
            break;
    }
    ::closedir(dir);
    if (!foundProgram)
        throw Error(ErrorNumber::NoRunningInstance, "No word processor is running.");
    return RunningInstance{foundProgram, foundId};
}

} // namespace pellucor::word
