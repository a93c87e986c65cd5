#include "PrivatePathCheck.h"

#include "zip/Package.h"

#include <algorithm>
#include <filesystem>

namespace pellucor::converter {
namespace {

std::string utf16(const std::string& ascii) {
    std::string wide;
    for (char c : ascii)
        wide += {c, '\0'};
    return wide;
}

std::string nameIn(const std::string& bytes, const std::vector<std::string>& names) {
    for (const std::string& name : names)
        if (bytes.find(name) != std::string::npos || bytes.find(utf16(name)) != std::string::npos)
            return name;
    return {};
}

std::string withoutLineBreaks(std::string text) {
    text.erase(
        std::remove_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }),
        text.end());
    return text;
}

} // namespace

std::string firstNameHeld(const std::string& bytes, const std::vector<std::string>& names,
                          const std::string& displayName) {
    if (std::string found = nameIn(bytes, names); !found.empty())
        return found;
    if (bytes.starts_with("{\\rtf"))
        return nameIn(withoutLineBreaks(bytes), names);
    if (!bytes.starts_with("PK\x03\x04"))
        return {};
    const std::unique_ptr<zip::Package> package = zip::Package::fromBytes(bytes, displayName);
    for (const std::string& part : package->partNames())
        if (std::string found = nameIn(package->read(part), names); !found.empty())
            return found;
    return {};
}

std::vector<std::string> privateFolderNames(const std::string& privateFolder) {
    std::vector<std::string> names = {privateFolder, "/proc/self/root"};
    // "pellucor-<pid>-lo" of "pellucor-<pid>-lo-XXXXXX"
    const std::string name = std::filesystem::path(privateFolder).filename().string();
    if (const size_t last = name.rfind('-'); last != std::string::npos && last > 0)
        names.push_back(name.substr(0, last));
    return names;
}

} // namespace pellucor::converter
