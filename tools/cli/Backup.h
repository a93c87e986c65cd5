#pragma once

#include <string>

namespace pellucor::cli {

// Copies the document to its path followed by the suffix, atomically: the
// copy is whole or absent, an older copy stays until the new one is in place,
// and a new copy is no more open than the document. Throws an Error naming
// the copy when it cannot be made.
void keepBackup(const std::string& path, const std::string& suffix);

} // namespace pellucor::cli
