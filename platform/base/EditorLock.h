#pragma once

#include <optional>
#include <string>

namespace pellucor {

// The lock file an editor keeps beside a document it has open: the office
// suite's ".~lock.NAME#", or the word processor's owner file "~$" followed by
// the name (without its first one or two characters when the name is long).
// Such an editor would later write its own copy over ours, so a save over a
// locked document is refused. A lock left by a crashed editor looks the same;
// the message tells the user to delete it.
std::optional<std::string> editorLockOf(const std::string& path);

// Throws the Error that names the lock when editorLockOf finds one.
void checkNotOpenInEditor(const std::string& path);

} // namespace pellucor
