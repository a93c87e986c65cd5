#include "Author.h"

#include "base/XmlText.h"

#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace pellucor::cli {

std::string authorOf(const std::string& comment, const std::string& login) {
    const std::string fullName = text::usableName(comment.substr(0, comment.find(',')));
    return fullName.empty() ? text::usableName(login) : fullName;
}

std::string currentAuthor() {
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return "";
    return authorOf(found->pw_gecos ? found->pw_gecos : "", found->pw_name ? found->pw_name : "");
}

std::string utcTimestamp(std::time_t time) {
    std::tm parts{};
    ::gmtime_r(&time, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

} // namespace pellucor::cli
