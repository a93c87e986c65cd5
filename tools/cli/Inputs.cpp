#include "Inputs.h"

#include "base/PathHelpers.h"
#include "base/ShownName.h"
#include "CliPrompts.h"
#include "FolderTree.h"
#include "Wildcard.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>

namespace pellucor::cli {
namespace {

// The file list the folder walk fills.
class CollectedRows : public filelist::FileRows {
public:
    std::vector<std::string> paths;

    int Count() const override { return static_cast<int>(paths.size()); }
    std::string Text(int row) const override { return paths.at(static_cast<size_t>(row - 1)); }
    void SetText(int row, const std::string& text) override {
        paths.at(static_cast<size_t>(row - 1)) = text;
    }
    void Add(const std::string& text) override { paths.push_back(text); }
    void Remove(int row) override { paths.erase(paths.begin() + row - 1); }
    void Clear() override { paths.clear(); }
    int Selected() const override { return 0; }
    void Select(int) override {}
    void EnsureVisible(int) override {}
};

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The walk skips files whose attributes are exactly hidden and archive; a
// hidden file that is also read-only would pass, so names are tested too.
bool wanted(const std::string& name, const CliOptions& options) {
    if (name.empty() || name[0] == '.')
        return false;
    if (!options.backupSuffix.empty() && endsWith(name, options.backupSuffix))
        return false;
    for (const std::string& pattern : options.patterns)
        if (AddFolder::text::MatchesPattern(name, pattern))
            return true;
    return false;
}

std::string patternList(const std::vector<std::string>& patterns) {
    std::string list;
    for (const std::string& pattern : patterns)
        list += (list.empty() ? "" : ", ") + pattern;
    return list;
}

void addFolder(const std::string& folder, const CliOptions& options, Inputs& inputs) {
    CollectedRows rows;
    CliPrompts prompts(false);
    // One pattern goes to the listing itself; several are tested here.
    const std::string pattern = options.patterns.size() == 1 ? options.patterns[0] : "*.*";
    std::vector<std::string> links;
    filelist::addFolderTree(
        folder, pattern, rows, prompts, [] {}, nullptr, AddFolder::Names::Bytes, &links);
    for (const std::string& link : links)
        if (wanted(FileNameOf(link), options))
            inputs.notes.push_back(link + ": a symbolic link, left out (links inside a folder "
                                          "are not followed)");

    const std::string root = Main::NormalizePath(folder + kSeparator);
    size_t found = 0;
    for (const std::string& path : rows.paths) {
        if (!wanted(FileNameOf(path), options))
            continue;
        std::string relative =
            path.rfind(root, 0) == 0 ? path.substr(root.size()) : FileNameOf(path);
        inputs.files.push_back({inputs.files.size(), path, FolderOf(relative)});
        ++found;
    }
    if (found == 0)
        inputs.problems.push_back(shownName(folder) + ": no files matching " +
                                  patternList(options.patterns) + " in this folder or below it");
}

std::string canonicalOf(const std::string& path) {
    std::error_code failure;
    auto canonical = std::filesystem::weakly_canonical(path, failure);
    return failure ? path : canonical.string();
}

std::string targetOf(const ListedFile& file) {
    return file.subfolder.empty() ? FileNameOf(file.path)
                                  : file.subfolder + kSeparator + FileNameOf(file.path);
}

// A document listed twice would overwrite its own results (and race when
// jobs run side by side).
void checkFiles(const std::vector<ListedFile>& files) {
    std::map<std::string, const ListedFile*> seenPaths;
    for (const ListedFile& file : files) {
        auto [path, newPath] = seenPaths.emplace(canonicalOf(file.path), &file);
        if (!newPath)
            throw UsageError{shownName(file.path) + " is listed twice (also as " +
                             shownName(path->second->path) + ")"};
    }
}

// Saving into a folder of the documents themselves would replace them
// without a backup, which only --in-place is asked to do.
void checkOutputFolder(const std::vector<ListedFile>& files, const std::string& outFolder) {
    std::map<std::string, const ListedFile*> sources;
    for (const ListedFile& file : files)
        sources.emplace(canonicalOf(file.path), &file);
    for (const ListedFile& file : files) {
        auto replaced = sources.find(canonicalOf(outFolder + kSeparator + targetOf(file)));
        if (replaced == sources.end())
            continue;
        const std::string whose =
            replaced->second == &file ? "itself" : shownName(replaced->second->path);
        throw UsageError{"the result of " + shownName(file.path) + " in " + shownName(outFolder) +
                         " would replace " + whose +
                         "; give --in-place to change the documents where they are"};
    }
}

} // namespace

std::vector<std::string> namesFrom(const std::string& list, bool nullSeparated) {
    std::ifstream file;
    if (list != "-")
        file.open(list, std::ios::binary);
    std::istream& in = list == "-" ? std::cin : file;
    if (!in)
        throw UsageError{shownName(list) +
                         ": the list of files cannot be read: " + std::strerror(errno)};
    std::vector<std::string> names;
    std::string name;
    while (std::getline(in, name, nullSeparated ? '\0' : '\n'))
        if (!name.empty())
            names.push_back(name);
    if (in.bad())
        throw UsageError{shownName(list) + ": the list of files cannot be read"};
    return names;
}

Inputs collectInputs(const CliOptions& options) {
    Inputs inputs;
    for (const std::string& argument : options.files) {
        if (IsFolder(argument))
            addFolder(argument, options, inputs);
        else
            inputs.files.push_back({inputs.files.size(), argument, ""});
    }
    checkFiles(inputs.files);
    if (options.outFolder && !options.inPlace)
        checkOutputFolder(inputs.files, *options.outFolder);
    return inputs;
}

} // namespace pellucor::cli
