#pragma once

#include <string>
#include <vector>

namespace pellucor::converter {

// The first of names that bytes hold, as 8-bit text or UTF-16, in their own
// bytes or, for a zip package, in any of its parts inflated; an RTF file is
// read without its line breaks, which its readers skip. "" when none is
// held. Throws Error naming displayName when a package's parts cannot be
// read.
std::string firstNameHeld(const std::string& bytes, const std::vector<std::string>& names,
                          const std::string& displayName);

// What a conversion in privateFolder must never leave in a saved file: the
// folder's path, the name it starts with (the program's id and purpose), and
// the link through which the shared LibreOffice sees it.
std::vector<std::string> privateFolderNames(const std::string& privateFolder);

} // namespace pellucor::converter
