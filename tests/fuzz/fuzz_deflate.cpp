// libFuzzer target over the deflate block walker, with zlib as the judge.
// The walker may take a stream only when zlib inflates it to exactly the
// size the walker was told and ends it at the same bit, in the stream's last
// byte; a stream zlib inflates so must not be refused. Streams come from zlib
// at the level, strategy and window the input asks for, changed or not, or
// are the input's bytes themselves; slices deflated and joined as a changed
// part is written must inflate back to the input.
//
// Input: 8 header bytes, then the data.
//   0: bit 0 the data is the stream itself; bits 1-3 how a zlib stream is
//      damaged: not; a bit flipped anywhere, in its first 32 bytes (where the
//      code lengths are) or in its last byte; its last byte dropped; a byte
//      added; its size one more or one less
//   1: zlib's level (% 10) and strategy (/ 10 % 5)
//   2: zlib's memory level and window
//   3-5: the stream's size (raw streams), the bit to flip or the byte to add
//   6-7: where the data is cut into slices
#include "zip/Compression.h"
#include "zip/DeflateSlices.h"
#include "zip/DeflateWalker.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <zlib.h>

using namespace pellucor::zip;

namespace {

constexpr size_t kHeader = 8;
constexpr int kStrategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};

[[noreturn]] void finding(const std::string& what) {
    std::fprintf(stderr, "fuzz_deflate finding: %s\n", what.c_str());
    std::abort();
}

std::string zlibDeflate(const std::string& data, const uint8_t* header) {
    z_stream z{};
    const int level = header[1] % 10;
    const int strategy = kStrategies[header[1] / 10 % 5];
    const int memoryLevel = 1 + header[2] % 9;
    const int window = 9 + header[2] / 9 % 7;
    if (deflateInit2(&z, level, Z_DEFLATED, -window, memoryLevel, strategy) != Z_OK)
        finding("zlib refuses its own settings");
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    // The bound falls short for some small windows and fixed codes.
    std::string out(deflateBound(&z, static_cast<uLong>(data.size())), '\0');
    int rc = Z_OK;
    while (rc == Z_OK || rc == Z_BUF_ERROR) {
        out.resize(out.size() + 1024);
        z.next_out = reinterpret_cast<Bytef*>(out.data() + z.total_out);
        z.avail_out = static_cast<uInt>(out.size() - z.total_out);
        rc = deflate(&z, Z_FINISH);
    }
    if (rc != Z_STREAM_END)
        finding("zlib cannot finish a stream");
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

struct ZlibView {
    bool ended = false;
    std::string output;
    uint64_t endBit = 0; // just after the last block, when zlib got there
    size_t used = 0;     // bytes zlib took from the stream
};

// Inflates block by block, so that zlib tells at which bit the last block ends,
// and stops once the output passes `limit`.
ZlibView zlibInflate(const std::string& stream, uint64_t limit) {
    ZlibView view;
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
        finding("zlib cannot start inflating");
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
    z.avail_in = static_cast<uInt>(stream.size());
    char buffer[16384];
    while (view.output.size() <= limit) {
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof buffer;
        const int rc = inflate(&z, Z_BLOCK);
        view.output.append(buffer, sizeof buffer - z.avail_out);
        // Just after the last block's end, before zlib skips to the next byte.
        if ((z.data_type & 0xC0) == 0xC0 && view.endBit == 0)
            view.endBit = uint64_t{z.total_in} * 8 - (z.data_type & 0x3F);
        if (rc != Z_OK) {
            view.ended = rc == Z_STREAM_END;
            break;
        }
    }
    view.used = z.total_in;
    inflateEnd(&z);
    return view;
}

// What the walker must check: the exact size, and the last block ending in the
// stream's last byte with only zero bits after it.
bool inflatesWhole(const std::string& stream, uint64_t size, const ZlibView& view) {
    if (!view.ended || view.output.size() != size || view.used != stream.size() ||
        (view.endBit + 7) / 8 != stream.size())
        return false;
    const unsigned used = view.endBit % 8;
    return used == 0 || (static_cast<unsigned char>(stream.back()) >> used) == 0;
}

// `data` is what the stream was made from, when it was made from data whole.
void checkWalk(const std::string& stream, uint64_t size, const std::string* data) {
    const std::optional<BlockWalk> walk = walkDeflateBlocks(stream, size);
    const ZlibView view = zlibInflate(stream, size);
    const bool whole = inflatesWhole(stream, size, view);
    if (walk && !whole)
        finding("the walker accepts a stream that zlib does not inflate whole to its size");
    if (!walk && whole)
        finding("the walker refuses a stream that zlib inflates whole to its size");
    if (walk && walk->endBit != view.endBit)
        finding("the walker ends the stream at bit " + std::to_string(walk->endBit) +
                ", zlib at bit " + std::to_string(view.endBit));
    if (walk && !(stream[walk->finalFlagBit / 8] >> walk->finalFlagBit % 8 & 1))
        finding("the bit the walker marks as the last block's flag is not set");
    if (data && (!walk || view.output != *data))
        finding("a stream zlib made from the data does not walk or inflate back to it");
}

// The data cut into up to three slices, each deflated on its own and joined,
// as a changed part is written: zlib must inflate the join back to the data.
void checkJoin(const std::string& data, const uint8_t* header) {
    const size_t first = 1 + (data.size() - 1) * header[6] / 256;
    const size_t second = first + (data.size() - first) * header[7] / 256;
    const size_t cuts[] = {0, first, second, data.size()};
    std::string joined;
    uint64_t bits = 0;
    for (size_t i = 0; i < 3; ++i) {
        if (cuts[i] == cuts[i + 1])
            continue;
        const std::string piece = data.substr(cuts[i], cuts[i + 1] - cuts[i]);
        checkWalk(deflateAlone(piece), piece.size(), &piece);
        appendSlice(joined, bits, deflateSlice(piece, cuts[i + 1] == data.size()));
    }
    if (zlibInflate(joined, data.size()).output != data)
        finding("the joined slices do not inflate back to the data");
}

uint32_t field24(const uint8_t* at) {
    return at[0] | at[1] << 8 | at[2] << 16;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
    if (size < kHeader)
        return 0;
    const uint8_t* header = input;
    const std::string data(reinterpret_cast<const char*>(input) + kHeader, size - kHeader);
    if (header[0] & 1) {
        checkWalk(data, field24(header + 3), nullptr);
        return 0;
    }
    std::string stream = zlibDeflate(data, header);
    uint64_t streamSize = data.size();
    const uint32_t where = field24(header + 3);
    const auto flip = [&](size_t range) {
        stream[where / 8 % range] ^= static_cast<char>(1 << where % 8);
    };
    switch (header[0] >> 1 & 7) {
    case 0:
        checkWalk(stream, streamSize, &data);
        if (!data.empty())
            checkJoin(data, header);
        return 0;
    case 1:
        flip(stream.size());
        break;
    case 2:
        flip(std::min<size_t>(stream.size(), 32));
        break;
    case 3:
        stream.back() ^= static_cast<char>(1 << where % 8);
        break;
    case 4:
        stream.pop_back();
        break;
    case 5:
        stream += static_cast<char>(header[3]);
        break;
    default:
        streamSize += header[0] & 2 ? 1 : -1;
        break;
    }
    checkWalk(stream, streamSize, nullptr);
    return 0;
}
