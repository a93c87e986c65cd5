#pragma once

#include <string>

namespace pellucor::converter {

// Writes the settings of a LibreOffice profile made for conversions into
// profileFolder, before LibreOffice first starts on it: no macro runs, no
// link or field is updated on load, no picture or other content linked from
// the document is loaded, and LibreOffice has no way to the network (only the
// content providers of local files and of the document's own parts are
// configured). Given the soffice LibreOffice starts from, it also notes the
// build and version the profile is made for, as LibreOffice does at its first
// start, which then takes a fraction of the time. False when it cannot be
// written; errno then says why.
bool writePrivateProfile(const std::string& profileFolder, const std::string& soffice = {});

} // namespace pellucor::converter
