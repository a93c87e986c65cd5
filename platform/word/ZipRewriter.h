#pragma once

#include <map>
#include <optional>
#include <string>

namespace pellucor::word {

// Rewrites a zip package held in memory: every entry not named in `replaced`
// is copied as it is stored, local header, data and descriptor byte for byte;
// the replaced ones are deflated anew. Entries keep their order and names,
// the central directory its records and the archive its comment.
// Returns nothing when the package uses a layout this writer does not take
// apart (ZIP64, several disks, inconsistent offsets); the caller then writes
// the package the general way.
std::optional<std::string> rewriteStoredZip(const std::string& original,
                                            const std::map<std::string, std::string>& replaced);

} // namespace pellucor::word
