#include "Backup.h"

#include "base/AtomicFile.h"
#include "base/Error.h"
#include "base/ShownName.h"

#include <fstream>
#include <sstream>

namespace pellucor::cli {

void keepBackup(const std::string& path, const std::string& suffix) {
    std::ifstream source(path, std::ios::binary);
    std::ostringstream bytes;
    if (!source || !(bytes << source.rdbuf()) || source.bad())
        throw Error(ErrorNumber::CannotSave, "cannot be read, so no copy could be kept as " +
                                                 shownName(path + suffix) + "; left as it was");
    writeFileAtomically(path + suffix, bytes.str(), permissionsOf(path));
}

} // namespace pellucor::cli
