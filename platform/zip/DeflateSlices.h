#pragma once

#include "zip/DeflateWalker.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace pellucor::zip {

// One slice's share of a joined stream: the first `bits` bits of `data`.
// Every slice but the last leaves its blocks unmarked as last.
struct SliceStream {
    std::string data;
    uint64_t bits = 0;
    bool startsOnByte = false; // it holds stored blocks, which pad to a byte
};

using BlockWalker = std::optional<BlockWalk> (*)(std::string_view stream, uint64_t outputSize);

// A whole stream on its own, at level 6. Throws std::runtime_error when
// memory for the compressor runs out.
std::string deflateAlone(std::string_view input);

// A slice compressed on its own and walked to find where its blocks end. When
// the walker refuses the stream, zlib compresses the slice instead, ending it
// on a byte boundary as a flush does; a last slice then gets an empty last
// block of its own.
SliceStream deflateSlice(std::string_view input, bool last, BlockWalker walker = walkDeflateBlocks);

// Appends a slice at the bit where the stream so far ends, or after an empty
// stored block that ends on a byte when the slice must start on one.
void appendSlice(std::string& stream, uint64_t& streamBits, const SliceStream& slice);

} // namespace pellucor::zip
