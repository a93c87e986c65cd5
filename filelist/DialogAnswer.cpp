#include "DialogAnswer.h"

#include "base/Error.h"
#include "base/ErrorTrap.h"
#include "base/Utf8.h"

namespace pellucor::filelist {
namespace {

bool isBelow(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
           path[folder.size()] == '/';
}

// The deepest folder that holds every chosen file; "" for the root.
std::string commonFolder(const std::vector<std::string>& chosen) {
    std::string common = FolderOf(chosen.front());
    for (const std::string& path : chosen)
        while (!common.empty() && !isBelow(path, common))
            common = FolderOf(common);
    return common;
}

// Root folders end in their separator already.
std::string joined(const std::string& folder, const std::string& name, char separator) {
    if (!folder.empty() && folder.back() == separator)
        return folder + name;
    return folder + separator + name;
}

} // namespace

std::string dialogBufferOf(const std::vector<std::string>& chosen) {
    std::string buffer;
    size_t terminators = 1;
    if (chosen.size() == 1) {
        buffer = chosen.front();
    } else if (chosen.size() > 1) {
        std::string folder = commonFolder(chosen);
        buffer = folder.empty() ? "/" : folder;
        for (const std::string& path : chosen)
            buffer += '\0' + path.substr(folder.size() + 1);
        terminators = 2;
    }
    if (text::characterCount(buffer) + terminators > kFileNameBufferSize)
        throw Error(static_cast<ErrorNumber>(platform::kFileDialogBufferTooSmall),
                    "The chosen file names do not fit the file dialog's buffer of " +
                        std::to_string(kFileNameBufferSize) + " characters.");
    return buffer;
}

std::vector<std::string> pathsFromDialogBuffer(const std::string& buffer, char separator) {
    if (buffer.empty())
        return {};
    std::vector<std::string> pieces;
    for (size_t start = 0; start <= buffer.size();) {
        size_t end = buffer.find('\0', start);
        if (end == std::string::npos)
            end = buffer.size();
        pieces.push_back(buffer.substr(start, end - start));
        start = end + 1;
    }
    if (pieces.size() == 1)
        return pieces;
    std::vector<std::string> paths;
    for (size_t i = 1; i < pieces.size(); ++i)
        if (!pieces[i].empty()) // the buffer's own terminators
            paths.push_back(
                Main::NormalizePath(joined(pieces[0], pieces[i], separator), separator));
    return paths;
}

void addWordFiles(FileRows& rows, platform::Prompts& prompts) {
    ErrorTrap trap(prompts, "Form1", "PushButton3_Click");
    std::string buffer;
    bool tooMany = false;
    trap(1, [&] {
        try {
            buffer = prompts.ShowOpen(kAddFilesTitle, kAddFilesFilter);
        } catch (const Error& error) {
            if (error.number() != platform::kFileDialogBufferTooSmall)
                throw;
            tooMany = true;
        }
    });
    if (tooMany) {
        prompts.MsgBox(kTooManyFiles, platform::Buttons::OK);
        return;
    }
    std::vector<std::string> paths;
    trap(3, [&] { paths = pathsFromDialogBuffer(buffer); });
    for (const std::string& path : paths)
        trap(5, [&] { rows.Add(path); });
}

} // namespace pellucor::filelist
