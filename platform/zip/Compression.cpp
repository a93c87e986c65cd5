#include "Compression.h"

#include <algorithm>
#include <stdexcept>
#include <thread>
#include <vector>
#include <zlib.h>

namespace pellucor::zip {
namespace {

constexpr size_t kWindow = 32 * 1024;
constexpr int kLevel = 6;

struct Slice {
    std::string_view input;
    std::string_view dictionary;
    bool last = false;
    std::string output;
    uint32_t crc = 0;
    bool ok = false;
};

// Text compresses to well under a quarter; the buffer grows when it does not.
void compressSlice(Slice& slice) {
    z_stream stream{};
    if (deflateInit2(&stream, kLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return;
    if (!slice.dictionary.empty())
        deflateSetDictionary(&stream, reinterpret_cast<const Bytef*>(slice.dictionary.data()),
                             static_cast<uInt>(slice.dictionary.size()));
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(slice.input.data()));
    stream.avail_in = static_cast<uInt>(slice.input.size());
    // A slice that is not the last ends on a byte boundary (an empty stored
    // block), so the next slice's stream can follow it directly.
    const int flush = slice.last ? Z_FINISH : Z_SYNC_FLUSH;
    slice.output.resize(slice.input.size() / 4 + 1024);
    while (true) {
        size_t written = stream.total_out;
        stream.next_out = reinterpret_cast<Bytef*>(slice.output.data() + written);
        stream.avail_out = static_cast<uInt>(slice.output.size() - written);
        int rc = deflate(&stream, flush);
        bool done = slice.last ? rc == Z_STREAM_END
                               : rc == Z_OK && stream.avail_in == 0 && stream.avail_out > 0;
        if (done) {
            slice.ok = true;
            break;
        }
        if (rc != Z_OK && rc != Z_BUF_ERROR)
            break;
        slice.output.resize(slice.output.size() + slice.output.size() / 2 + 1024);
    }
    slice.output.resize(stream.total_out);
    deflateEnd(&stream);
    slice.crc = crcOf(slice.input);
}

} // namespace

Deflated deflateRaw(std::string_view input) {
    std::vector<Slice> slices;
    for (size_t at = 0; at < input.size() || slices.empty(); at += kDeflateSliceSize) {
        Slice slice;
        slice.input = input.substr(at, kDeflateSliceSize);
        size_t dictionaryStart = at > kWindow ? at - kWindow : 0;
        slice.dictionary = input.substr(dictionaryStart, at - dictionaryStart);
        slices.push_back(slice);
    }
    slices.back().last = true;

    unsigned workers = std::max(1u, std::min(std::thread::hardware_concurrency(), 4u));
    workers = static_cast<unsigned>(std::min<size_t>(workers, slices.size()));
    std::vector<std::thread> threads;
    for (unsigned w = 1; w < workers; ++w)
        threads.emplace_back([&slices, w, workers] {
            for (size_t i = w; i < slices.size(); i += workers)
                compressSlice(slices[i]);
        });
    for (size_t i = 0; i < slices.size(); i += workers)
        compressSlice(slices[i]);
    for (auto& thread : threads)
        thread.join();

    Deflated result;
    size_t total = 0;
    for (const auto& slice : slices)
        total += slice.output.size();
    result.data.reserve(total);
    for (const auto& slice : slices) {
        if (!slice.ok)
            throw std::runtime_error("deflate failed");
        result.data += slice.output;
        result.crc = static_cast<uint32_t>(
            crc32_combine(result.crc, slice.crc, static_cast<z_off_t>(slice.input.size())));
    }
    return result;
}

InflateResult inflateRaw(std::string_view input, size_t size, std::string& output) {
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

uint32_t crcOf(std::string_view data) {
    uLong crc = crc32(0, nullptr, 0);
    while (!data.empty()) {
        auto step = static_cast<uInt>(std::min<size_t>(data.size(), 1u << 30));
        crc = crc32(crc, reinterpret_cast<const Bytef*>(data.data()), step);
        data.remove_prefix(step);
    }
    return static_cast<uint32_t>(crc);
}

} // namespace pellucor::zip
