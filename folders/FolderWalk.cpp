#include "AddFolder.h"
#include "base/Error.h"
#include "base/ErrorTrap.h"
#include "base/FileSystem.h"
#include "base/PathHelpers.h"
#include "DirectoryListing.h"
#include "NameText.h"

#include <algorithm>
#include <climits>
#include <sys/stat.h>

namespace pellucor::AddFolder {
namespace {

// The statements of the walk, numbered by its steps, as the error report box
// names them.
enum Line : int {
    kLineEntryTest = 21,
    kLineOpen = 23,
    kLineOpenedYield = 24,
    kLineFolderTest = 25,
    kLineDescend = 3,
    kLineAppendYield = 42,
    kLineAppend = 43,
};

constexpr int kHiddenSystemFolder = 22; // Directory + System + Hidden
constexpr int kFolderLink = 1046;       // ... + ReparsePoint

// The path whose attributes are read: without the final separators, which
// would make the system follow a link to the folder it names.
std::string attributePath(const std::string& folder) {
    auto last = folder.find_last_not_of('/');
    return last == std::string::npos ? std::string("/") : folder.substr(0, last + 1);
}

// A folder that has gone away is "path not found", as for any folder.
int folderAttributes(const std::string& folder) {
    try {
        return platform::GetAttr(attributePath(folder));
    } catch (const Error& error) {
        if (error.code() != ErrorNumber::BasicFileNotFound)
            throw;
        throw Error(ErrorNumber::PathNotFound,
                    "Path not found: " + inQuotes(folder) + " no longer exists");
    }
}

void openFolder(const std::string& folder) {
    if ((folderAttributes(folder) & platform::AttrDirectory) == 0)
        throw Error(ErrorNumber::PathNotFound,
                    "Path not found: " + inQuotes(folder) + " is not a folder");
}

// The root folder, however it is written ("/", "//", "/usr/..").
bool isDriveRoot(const std::string& folder) {
    std::string path = attributePath(folder);
    if (path == "/")
        return true;
    struct stat self {
    }, root{};
    if (::lstat(path.c_str(), &self) != 0 || ::stat("/", &root) != 0)
        return false;
    return S_ISDIR(self.st_mode) && self.st_dev == root.st_dev && self.st_ino == root.st_ino;
}

// Hidden system folders and links to folders are left alone; a root never.
bool isWalkable(const std::string& folder) {
    if (isDriveRoot(folder))
        return true;
    int attributes = folderAttributes(folder);
    return attributes != kHiddenSystemFolder && attributes != kFolderLink;
}

bool isCarriedName(const std::string& name, Names names) {
    return names == Names::Bytes ||
           (!HasUnusableChars(name) && name.find('?') == std::string::npos);
}

bool isUnreadableFolderError(const std::exception& error) {
    auto* engineError = dynamic_cast<const Error*>(&error);
    return engineError && (engineError->code() == ErrorNumber::PermissionDenied ||
                           engineError->code() == ErrorNumber::PathNotFound);
}

// One call of the walk: one level of the tree.
class LevelWalk {
public:
    LevelWalk(std::vector<std::string>& folders, bool recurse, platform::Prompts& prompts,
              const std::function<void()>& letEventsIn, Names names,
              std::vector<std::string>* skipped)
        : m_folders(folders), m_recurse(recurse), m_names(names), m_skipped(skipped),
          m_prompts(prompts), m_letEventsIn(letEventsIn),
          m_trap(prompts, "AddFolder", "GetSubDirectories2016", kFolderWalkLabel) {}

    void run() {
        // Each entry is taken once, whatever the pass removes meanwhile.
        const std::vector<std::string> entries = m_folders;
        for (const std::string& folder : entries)
            takeEntry(folder);
        if (m_recurse && !m_level.empty())
            m_trap(kLineDescend, [&] {
                GetSubDirectories2016(m_level, true, m_prompts, m_letEventsIn, m_names, m_skipped);
            });
        appendQualifyingLevel();
    }

private:
    // Until the first listing every statement is trapped, so what reaches the
    // handler here comes from the silent part of the pass.
    void takeEntry(const std::string& folder) {
        try {
            if (!readyToList(folder))
                return;
            // From the first listing on, failures of the pass stay silent.
            m_silent = true;
            collectSubfolders(folder);
        } catch (const std::exception& error) {
            dropIfUnreadable(folder, error);
        }
    }

    bool readyToList(const std::string& folder) {
        bool candidate = false;
        attempt(kLineEntryTest, [&] { candidate = IsFolder(folder); });
        if (!candidate)
            return false;
        // A folder that does not open is not listed.
        if (!attempt(kLineOpen, [&] { openFolder(folder); }))
            return false;
        attempt(kLineOpenedYield, [&] { m_letEventsIn(); });
        bool walkable = false;
        attempt(kLineFolderTest, [&] { walkable = isWalkable(folder); });
        return walkable;
    }

    void collectSubfolders(const std::string& folder) {
        for (const listing::Entry& entry : listing::ListFolder(folder)) {
            if (entry.kind != listing::EntryKind::Folder)
                continue;
            m_letEventsIn();
            if (entry.name == "." || entry.name == "..")
                continue;
            // A folder whose path the system cannot open by its path is told
            // among those left out, never dropped without a word.
            const std::string path = folder + entry.name + "/";
            if (isCarriedName(entry.name, m_names) && path.size() < PATH_MAX)
                m_level.push_back(path);
            else if (m_skipped)
                m_skipped->push_back(path);
        }
    }

    // Runs a statement of the pass: reported in the box until the first
    // listing, raised to the silent handling after it.
    template <typename Statement> bool attempt(int line, Statement&& statement) {
        if (m_silent) {
            statement();
            return true;
        }
        return m_trap(line, statement);
    }

    void dropIfUnreadable(const std::string& folder, const std::exception& error) {
        if (!isUnreadableFolderError(error))
            return;
        auto found = std::find(m_folders.begin(), m_folders.end(), folder);
        if (found != m_folders.end())
            m_folders.erase(found);
    }

    void appendQualifyingLevel() {
        for (const std::string& folder : m_level) {
            if (!IsFolder(folder))
                continue;
            m_trap(kLineAppendYield, [&] { m_letEventsIn(); });
            m_trap(kLineAppend, [&] {
                if (isWalkable(folder))
                    m_folders.push_back(folder);
            });
        }
    }

    std::vector<std::string>& m_folders;
    bool m_recurse;
    Names m_names;
    std::vector<std::string>* m_skipped;
    platform::Prompts& m_prompts;
    const std::function<void()>& m_letEventsIn;
    ErrorTrap m_trap;
    std::vector<std::string> m_level;
    bool m_silent = false;
};

} // namespace

void GetSubDirectories2016(std::vector<std::string>& folders, bool recurse,
                           platform::Prompts& prompts, const std::function<void()>& letEventsIn,
                           Names names, std::vector<std::string>* skipped) {
    LevelWalk(folders, recurse, prompts, letEventsIn, names, skipped).run();
}

void GetSubDirectories2016(std::vector<std::string>& folders, bool recurse,
                           platform::Prompts& prompts, platform::MainWindow& window, Names names,
                           std::vector<std::string>* skipped) {
    GetSubDirectories2016(
        folders, recurse, prompts, [&window] { window.DoEvents(); }, names, skipped);
}

} // namespace pellucor::AddFolder
