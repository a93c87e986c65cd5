#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pellucor::zip {

struct Deflated {
    std::string data; // a raw deflate stream, as a zip entry stores it
    uint32_t crc = 0;
};

// Compresses at zlib's default level. Inputs longer than kDeflateSliceSize are
// cut into slices of that size that are compressed side by side, each primed
// with the 32 KiB before it, and joined into one valid stream.
inline constexpr size_t kDeflateSliceSize = 1 << 20;
Deflated deflateRaw(std::string_view input);

enum class InflateResult { Ok, TooLong, Truncated, Damaged };

// Inflates a raw deflate stream that must give exactly `size` bytes.
InflateResult inflateRaw(std::string_view input, size_t size, std::string& output);

uint32_t crcOf(std::string_view data);

} // namespace pellucor::zip
