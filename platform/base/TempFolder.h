#pragma once

#include <string>

namespace pellucor {

// Makes a new folder only this user can enter, under $TMPDIR (or /tmp), named
// "pellucor-<process id>-<purpose>-" and six random characters. The process
// holds a lock on it until removePrivateTempFolder, and the program's watcher
// of leftovers removes it if the program is killed first. The first folder a
// process makes in a place removes what killed runs left there (see
// removeLeftoverFolders). Returns "" when it cannot; errno then says why.
std::string makePrivateTempFolder(const std::string& purpose);

// The same in the folder parent, the name beginning with namePrefix.
std::string makePrivateFolderIn(const std::string& parent, const std::string& namePrefix,
                                const std::string& purpose);

// Removes a folder made above, with everything in it, and lets go of it.
void removePrivateTempFolder(const std::string& path);

// Removes the private folders in parent whose names begin with namePrefix
// that programs which have ended left behind: real folders (never links) of
// this user, named after a process that no longer runs, whose lock nobody
// holds.
void removeLeftoverFolders(const std::string& parent, const std::string& namePrefix = "");

} // namespace pellucor
