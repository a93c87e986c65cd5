#include "Error.h"

#include <cstring>

namespace pellucor::word {

std::string systemText(int errnoValue) {
    return std::strerror(errnoValue);
}

std::string inQuotes(const std::string& path) {
    return "\"" + path + "\"";
}

} // namespace pellucor::word
