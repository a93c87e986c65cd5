#include "Error.h"

#include "ShownName.h"

#include <cstring>

namespace pellucor {

std::string systemText(int errnoValue) {
    // strerror_r: several engines may fail at once in a parallel batch.
    char buffer[256] = {};
    return ::strerror_r(errnoValue, buffer, sizeof buffer);
}

std::string inQuotes(const std::string& path) {
    return "\"" + shownName(path) + "\"";
}

} // namespace pellucor
