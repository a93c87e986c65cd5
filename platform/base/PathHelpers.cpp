#include "PathHelpers.h"

#include "base/ErrorTrap.h"
#include "base/FileSystem.h"

namespace pellucor {
namespace {

// Replaces every doubled separator by one, in one pass from the left: three
// in a row become two.
std::string collapseDoubled(const std::string& text, char separator) {
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        result += text[i];
        if (text[i] == separator && i + 1 < text.size() && text[i + 1] == separator)
            ++i;
    }
    return result;
}

} // namespace

std::string Main::NormalizePath(const std::string& path, char separator) {
    if (path.empty() || path[0] != separator)
        return collapseDoubled(path, separator);
    size_t firstOther = path.find_first_not_of(separator, 1);
    std::string rest = firstOther == std::string::npos ? std::string() : path.substr(firstOther);
    // A leading run is a network path's pair. A single "/" begins every
    // absolute path here and stays single.
    bool absolute = separator == '/' && (path.size() == 1 || path[1] != separator);
    return std::string(absolute ? 1 : 2, separator) + collapseDoubled(rest, separator);
}

std::string FileNameOf(const std::string& path, char separator) {
    auto last = path.find_last_of(separator);
    return last == std::string::npos ? path : path.substr(last + 1);
}

std::string FolderOf(const std::string& path, char separator) {
    auto last = path.find_last_of(separator);
    return last == std::string::npos ? std::string() : path.substr(0, last);
}

std::string ContainingFolder(const std::string& path) {
    if (path.find(kSeparator) == std::string::npos)
        return ".";
    std::string folder = FolderOf(path);
    return folder.empty() ? std::string(1, kSeparator) : folder;
}

bool IsFolder(const std::string& path) {
    bool folder = false;
    ignoringErrors([&] { folder = (platform::GetAttr(path) & platform::AttrDirectory) != 0; });
    return folder;
}

bool FileExists(const std::string& path) {
    return ignoringErrors([&] { platform::FileDateTime(path); });
}

} // namespace pellucor
