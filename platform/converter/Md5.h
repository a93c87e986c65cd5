#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace pellucor::converter {

// The MD5 digest of bytes, from nettle. Used only to find the name LibreOffice
// gives a file of its own, never for security.
std::array<uint8_t, 16> md5Of(const std::string& bytes);

} // namespace pellucor::converter
