#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace pellucor::zip {

struct Deflated {
    std::string data; // a raw deflate stream, as a zip entry stores it
    uint32_t crc = 0;
    uint64_t size = 0; // of the data before compression
};

// Inputs longer than kDeflateSliceSize are cut into slices of that size that
// are compressed side by side, each on its own, and joined into one stream.
inline constexpr size_t kDeflateSliceSize = 1 << 20;

// Compresses bytes as they are written, at level 6. A document that fits in
// one slice is compressed on the calling thread alone; longer ones hand each
// full slice to worker threads, and write() waits (compressing itself) while
// more than a few slices wait for them. Throws std::runtime_error when memory
// runs out. Destroying a stream that was not finished stops its workers.
class DeflateStream {
public:
    // Other slice sizes serve tests and measurements.
    explicit DeflateStream(size_t sliceSize = kDeflateSliceSize);
    ~DeflateStream();
    DeflateStream(const DeflateStream&) = delete;
    DeflateStream& operator=(const DeflateStream&) = delete;

    void write(std::string_view bytes);
    // Compresses what is left and joins the slices; the stream is then empty
    // again.
    Deflated finish();

private:
    struct Work;
    std::unique_ptr<Work> m_work;
};

Deflated deflateRaw(std::string_view input);

enum class InflateResult { Ok, TooLong, Truncated, Damaged };

// Inflates a raw deflate stream that must give exactly `size` bytes.
InflateResult inflateRaw(std::string_view input, size_t size, std::string& output);

uint32_t crcOf(std::string_view data);

} // namespace pellucor::zip
