#include "Utf8.h"

namespace pellucor::text {

size_t characterCount(std::string_view text) {
    size_t count = 0;
    for (size_t at = 0; at < text.size(); at += decodeUtf8(text, at).length)
        ++count;
    return count;
}

} // namespace pellucor::text
