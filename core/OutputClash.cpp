#include "OutputClash.h"

#include "base/PathHelpers.h"
#include "base/ShownName.h"

#include <sys/stat.h>
#include <unordered_map>

namespace pellucor {
namespace {

constexpr size_t kFilesNamed = 10;

// Two spellings of one file: the same text once cleaned, or the same inode.
bool sameFile(const std::string& a, const std::string& b) {
    if (Main::NormalizePath(a) == Main::NormalizePath(b))
        return true;
    struct stat sa {
    }, sb{};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

void addDistinct(OutputClash& clash, const std::string& file) {
    for (const std::string& known : clash.files)
        if (sameFile(known, file))
            return;
    clash.files.push_back(file);
}

} // namespace

std::vector<OutputClash> outputClashes(const std::vector<std::string>& files,
                                       const std::string& folder,
                                       const std::function<std::string(size_t)>& resultName) {
    std::vector<OutputClash> groups;
    std::unordered_map<std::string, size_t> groupOf;
    groupOf.reserve(files.size());
    // The names are compared as they are given; only the folder is cleaned.
    const std::string prefix = Main::NormalizePath(folder + kSeparator);
    for (size_t k = 0; k < files.size(); ++k) {
        const std::string& file = files[k];
        std::string name = resultName ? resultName(k) : FileNameOf(file);
        std::string savedAs = prefix + name;
        auto [at, added] = groupOf.emplace(savedAs, groups.size());
        if (added)
            groups.push_back({savedAs, std::move(name), {file}});
        else
            addDistinct(groups[at->second], file);
    }
    std::vector<OutputClash> clashes;
    for (OutputClash& group : groups)
        if (group.files.size() > 1)
            clashes.push_back(std::move(group));
    return clashes;
}

std::string outputClashText(const std::vector<OutputClash>& clashes) {
    std::string text = "These files have the same name, and their results would be saved over each "
                       "other in the output folder:\r\n";
    size_t named = 0;
    size_t total = 0;
    for (const OutputClash& clash : clashes) {
        total += clash.files.size();
        for (const std::string& file : clash.files)
            if (named < kFilesNamed) {
                text += "\r\n" + shownName(file);
                ++named;
            }
    }
    if (total > named)
        text += "\r\n... and " + std::to_string(total - named) + " more";
    return text + "\r\n\r\nPlease rename one of each, or choose \"Save results in folder of "
                  "original file\".";
}

} // namespace pellucor
