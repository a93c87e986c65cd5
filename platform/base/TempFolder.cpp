#include "TempFolder.h"

#include <cstdlib>
#include <vector>

namespace pellucor {

std::string makePrivateTempFolder(const std::string& purpose) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp && *tmp ? tmp : "/tmp") + "/pellucor-" + purpose + "-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    return ::mkdtemp(name.data()) ? std::string(name.data()) : std::string();
}

} // namespace pellucor
