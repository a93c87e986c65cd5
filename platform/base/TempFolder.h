#pragma once

#include <string>

namespace pellucor {

// Makes a new folder only this user can enter, under $TMPDIR (or /tmp), named
// "pellucor-<purpose>-" and six random characters. Returns "" when it cannot;
// errno then says why.
std::string makePrivateTempFolder(const std::string& purpose);

} // namespace pellucor
