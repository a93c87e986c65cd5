#include "DeflateSlices.h"

#include <libdeflate.h>
#include <memory>
#include <stdexcept>
#include <zlib.h>

namespace pellucor::zip {
namespace {

constexpr int kLevel = 6;

// A last block that holds nothing: the flag, the fixed-code type, then the
// end-of-block code of seven zero bits.
constexpr char kEmptyLastBlock[] = {0x03, 0x00};
constexpr uint64_t kEmptyLastBlockBits = 10;
constexpr char kEmptyStoredBlock[] = {0x00, 0x00, static_cast<char>(0xFF), static_cast<char>(0xFF)};

// libdeflate's level 6 falls behind zlib's by up to 7% on markup that
// shrinks to a tenth or less; its level 7 stays level with zlib there, and
// such slices compress quickly, so they are compressed again at level 7.
constexpr int kDenseLevel = 7;
constexpr size_t kDenseRatio = 16;

struct FreeCompressor {
    void operator()(libdeflate_compressor* compressor) const {
        libdeflate_free_compressor(compressor);
    }
};

// Allocating a compressor costs more than compressing a small part; each
// thread keeps one a level, and a buffer each writes into.
class ThreadCompressor {
public:
    explicit ThreadCompressor(int level) : m_level(level) {}

    std::string_view compress(std::string_view input) {
        if (!m_compressor) {
            m_compressor.reset(libdeflate_alloc_compressor(m_level));
            if (!m_compressor)
                throw std::runtime_error("there is not enough memory to compress it");
        }
        const size_t bound = libdeflate_deflate_compress_bound(m_compressor.get(), input.size());
        if (m_buffer.size() < bound)
            m_buffer.resize(bound);
        const size_t written = libdeflate_deflate_compress(m_compressor.get(), input.data(),
                                                           input.size(), m_buffer.data(), bound);
        if (written == 0)
            throw std::runtime_error("it could not be compressed");
        return {m_buffer.data(), written};
    }

private:
    int m_level;
    std::unique_ptr<libdeflate_compressor, FreeCompressor> m_compressor;
    std::string m_buffer;
};

std::string_view compressOnThisThread(std::string_view input) {
    // As zlib writes nothing: shorter than libdeflate's empty stored block.
    if (input.empty())
        return {kEmptyLastBlock, sizeof kEmptyLastBlock};
    thread_local ThreadCompressor compressor(kLevel);
    thread_local ThreadCompressor denseCompressor(kDenseLevel);
    const std::string_view compressed = compressor.compress(input);
    if (compressed.size() * kDenseRatio > input.size())
        return compressed;
    const std::string_view dense = denseCompressor.compress(input);
    return dense.size() < compressed.size() ? dense : compressed;
}

// Ends on a byte boundary after an empty stored block, with no block marked
// last, so that whatever follows can start at the next byte.
SliceStream deflateSliceWithZlib(std::string_view input, bool last) {
    z_stream stream{};
    if (deflateInit2(&stream, kLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("there is not enough memory to compress it");
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
    stream.avail_in = static_cast<uInt>(input.size());
    SliceStream slice;
    slice.startsOnByte = true;
    slice.data.resize(deflateBound(&stream, static_cast<uLong>(input.size())) + 16);
    bool done = false;
    while (!done) {
        const size_t written = stream.total_out;
        stream.next_out = reinterpret_cast<Bytef*>(slice.data.data() + written);
        stream.avail_out = static_cast<uInt>(slice.data.size() - written);
        const int rc = deflate(&stream, Z_SYNC_FLUSH);
        done = rc == Z_OK && stream.avail_in == 0 && stream.avail_out > 0;
        if (!done && rc != Z_OK && rc != Z_BUF_ERROR) {
            deflateEnd(&stream);
            throw std::runtime_error("it could not be compressed");
        }
        if (!done)
            slice.data.resize(slice.data.size() + slice.data.size() / 2 + 1024);
    }
    slice.data.resize(stream.total_out);
    deflateEnd(&stream);
    slice.bits = uint64_t{slice.data.size()} * 8;
    if (last) {
        slice.data.append(kEmptyLastBlock, sizeof kEmptyLastBlock);
        slice.bits += kEmptyLastBlockBits;
    }
    return slice;
}

} // namespace

std::string deflateAlone(std::string_view input) {
    return std::string(compressOnThisThread(input));
}

SliceStream deflateSlice(std::string_view input, bool last, BlockWalker walker) {
    const std::string_view compressed = compressOnThisThread(input);
    const std::optional<BlockWalk> walk = walker(compressed, input.size());
    if (!walk)
        return deflateSliceWithZlib(input, last);
    SliceStream slice{std::string(compressed.substr(0, (walk->endBit + 7) / 8)), walk->endBit,
                      walk->hasStoredBlocks};
    if (!last)
        slice.data[walk->finalFlagBit / 8] &= static_cast<char>(~(1u << walk->finalFlagBit % 8));
    return slice;
}

void appendSlice(std::string& stream, uint64_t& streamBits, const SliceStream& slice) {
    const size_t bytes = (slice.bits + 7) / 8;
    if (bytes == 0)
        return;
    if (slice.startsOnByte && streamBits % 8 != 0) {
        // Three zero bits open a stored block that is not the last; its
        // length and the length's complement follow on the next byte.
        streamBits = (streamBits + 3 + 7) / 8 * 8;
        stream.resize(streamBits / 8);
        stream.append(kEmptyStoredBlock, sizeof kEmptyStoredBlock);
        streamBits += 8 * sizeof kEmptyStoredBlock;
    }
    const unsigned shift = streamBits % 8;
    if (shift == 0) {
        stream.append(slice.data, 0, bytes);
    } else {
        // The stream's last byte is partly filled (its unused bits are zero).
        const size_t at = stream.size() - 1;
        stream.resize(at + 1 + bytes);
        auto* out = reinterpret_cast<unsigned char*>(stream.data()) + at;
        const auto* in = reinterpret_cast<const unsigned char*>(slice.data.data());
        out[0] = static_cast<unsigned char>(out[0] | in[0] << shift);
        for (size_t i = 1; i < bytes; ++i)
            out[i] = static_cast<unsigned char>(in[i] << shift | in[i - 1] >> (8 - shift));
        out[bytes] = static_cast<unsigned char>(in[bytes - 1] >> (8 - shift));
    }
    streamBits += slice.bits;
    stream.resize((streamBits + 7) / 8);
    if (const unsigned used = streamBits % 8)
        stream.back() = static_cast<char>(stream.back() & ((1u << used) - 1));
}

} // namespace pellucor::zip
