#include "Backup.h"

#include "base/AtomicFile.h"
#include "base/Error.h"
#include "base/ShownName.h"

#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace pellucor::cli {
namespace {

bool notBefore(const timespec& time, const timespec& start) {
    return time.tv_sec > start.tv_sec ||
           (time.tv_sec == start.tv_sec && time.tv_nsec >= start.tv_nsec);
}

} // namespace

void keepBackup(const std::string& path, const std::string& suffix) {
    std::ifstream source(path, std::ios::binary);
    std::ostringstream bytes;
    if (!source || !(bytes << source.rdbuf()) || source.bad())
        throw Error(ErrorNumber::CannotSave, "cannot be read, so no copy could be kept as " +
                                                 shownName(path + suffix) + "; left as it was");
    writeFileAtomically(path + suffix, bytes.str(), permissionsOf(path));
}

RunBackups::RunBackups(std::string suffix) : m_suffix(std::move(suffix)) {
    // File times come from the kernel's coarse clock, read here too: a copy
    // made in the tick this run began counts as another run's, and one an
    // earlier run made (which took longer than a tick to end) does not.
    ::clock_gettime(CLOCK_REALTIME_COARSE, &m_started);
}

void RunBackups::keep(const std::string& path) {
    {
        std::lock_guard lock(m_mutex);
        if (!m_made.insert(path).second)
            return;
    }
    struct stat copy {};
    if (::stat((path + m_suffix).c_str(), &copy) == 0 && notBefore(copy.st_mtim, m_started))
        throw Error(ErrorNumber::PermissionDenied,
                    "The document " + inQuotes(path) +
                        " is in use by another run, which kept its copy " +
                        shownName(path + m_suffix) +
                        " after this run began; it was left as it "
                        "was.");
    keepBackup(path, m_suffix);
}

} // namespace pellucor::cli
