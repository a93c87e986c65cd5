#pragma once

#include <ctime>
#include <mutex>
#include <set>
#include <string>

namespace pellucor::cli {

// Copies the document to its path followed by the suffix, atomically: the
// copy is whole or absent, an older copy stays until the new one is in place,
// and a new copy is no more open than the document. Throws an Error naming
// the copy when it cannot be made.
void keepBackup(const std::string& path, const std::string& suffix);

// The backup copies of one run, each kept while its document is locked,
// before the document's first mark. A document listed twice is copied once,
// so that its copy stays the original; a copy that another run made after
// this one began means that run has the document, which is then left to it.
class RunBackups {
public:
    explicit RunBackups(std::string suffix);
    // Throws Error when no copy can be made or another run made it.
    void keep(const std::string& path);

private:
    std::string m_suffix;
    timespec m_started{};
    std::mutex m_mutex;
    std::set<std::string> m_made;
};

} // namespace pellucor::cli
