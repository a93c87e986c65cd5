#include "Compression.h"

#include <algorithm>
#include <libdeflate.h>
#include <memory>
#include <zlib.h>

namespace pellucor::zip {
namespace {

// zlib tells a stream that ends early from a damaged one, which libdeflate
// does not; failures are rare enough to inflate twice.
InflateResult inflateWithZlib(std::string_view input, size_t size, std::string& output) {
    output.assign(size, '\0');
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return InflateResult::Damaged;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
    stream.next_out = reinterpret_cast<Bytef*>(output.data());
    InflateResult result = InflateResult::Ok;
    size_t inputLeft = input.size();
    size_t outputLeft = size;
    char probe = 0;
    // zlib counts in 32-bit steps; feed larger buffers in pieces.
    while (true) {
        uInt inStep = static_cast<uInt>(std::min<size_t>(inputLeft, 1u << 30));
        stream.avail_in = inStep;
        bool probing = outputLeft == 0;
        uInt outStep = static_cast<uInt>(std::min<size_t>(outputLeft, 1u << 30));
        if (probing) {
            stream.next_out = reinterpret_cast<Bytef*>(&probe);
            outStep = 1;
        }
        stream.avail_out = outStep;
        int rc = inflate(&stream, Z_NO_FLUSH);
        inputLeft -= inStep - stream.avail_in;
        size_t produced = outStep - stream.avail_out;
        if (probing && produced > 0) {
            result = InflateResult::TooLong;
            break;
        }
        outputLeft -= produced;
        if (rc == Z_STREAM_END) {
            result = outputLeft == 0 ? InflateResult::Ok : InflateResult::Truncated;
            break;
        }
        if (rc == Z_BUF_ERROR && inputLeft == 0) {
            result = InflateResult::Truncated;
            break;
        }
        if (rc != Z_OK && rc != Z_BUF_ERROR) {
            result = InflateResult::Damaged;
            break;
        }
    }
    inflateEnd(&stream);
    return result;
}

struct FreeDecompressor {
    void operator()(libdeflate_decompressor* decompressor) const {
        libdeflate_free_decompressor(decompressor);
    }
};

} // namespace

Deflated deflateRaw(std::string_view input) {
    DeflateStream stream;
    stream.write(input);
    return stream.finish();
}

InflateResult inflateRaw(std::string_view input, size_t size, std::string& output) {
    thread_local std::unique_ptr<libdeflate_decompressor, FreeDecompressor> decompressor(
        libdeflate_alloc_decompressor());
    if (!decompressor)
        return inflateWithZlib(input, size, output);
    output.resize(size);
    size_t used = 0;
    size_t produced = 0;
    const libdeflate_result result = libdeflate_deflate_decompress_ex(
        decompressor.get(), input.data(), input.size(), output.data(), size, &used, &produced);
    // Bytes after the stream are ignored; a stream that needed bits beyond the
    // input was read on zeros past it.
    if (result == LIBDEFLATE_SUCCESS && used <= input.size())
        return produced == size ? InflateResult::Ok : InflateResult::Truncated;
    return inflateWithZlib(input, size, output);
}

uint32_t crcOf(std::string_view data) {
    return libdeflate_crc32(0, data.data(), data.size());
}

} // namespace pellucor::zip
