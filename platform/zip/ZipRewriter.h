#pragma once

#include "zip/Compression.h"
#include "zip/ZipDirectory.h"

#include <map>
#include <string>

namespace pellucor::zip {

// Rewrites a zip package held in memory: every entry not named in `replaced`
// is copied as it is stored, local header, data and descriptor byte for byte;
// the replaced ones are written as given, already compressed, or deflated
// anew. Entries keep their order and names, the central directory its records
// and the archive its comment; a count beyond 16 bits goes into a
// large-archive end record. Throws Error when the result would grow beyond
// 4 GiB or a name in `replaced` matches no entry.
std::string rewriteZip(const std::string& original, const ZipDirectory& directory,
                       const std::map<std::string, Deflated>& replaced);
std::string rewriteZip(const std::string& original, const ZipDirectory& directory,
                       const std::map<std::string, std::string>& replaced);

} // namespace pellucor::zip
