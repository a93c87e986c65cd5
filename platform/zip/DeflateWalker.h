#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace pellucor::zip {

// Where the blocks of a raw deflate stream lie, in bits from the stream's first
// bit (deflate packs bits from the least significant one of each byte up).
struct BlockWalk {
    uint64_t finalFlagBit = 0; // the flag that marks the last block
    uint64_t endBit = 0;       // just after the last block's end-of-block code
    // Stored blocks pad to the next byte: moved, the stream must start on one.
    bool hasStoredBlocks = false;
};

// Walks the blocks of a stream without producing its output, checking that it
// holds exactly `outputSize` bytes, refers back only to bytes of its own, ends
// with the block marked last and that block's end lies in the stream's last
// byte with only zero bits after it. Nothing when any of that fails.
std::optional<BlockWalk> walkDeflateBlocks(std::string_view stream, uint64_t outputSize);

} // namespace pellucor::zip
