// Deflate in slices, checked against zlib itself.

#include "zip/Compression.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace pellucor::zip {
namespace {

// Text whose repeats reach back across slice boundaries, or bytes that do not
// compress at all, so that the output buffers have to grow.
std::string sample(size_t size, bool incompressible) {
    static const char* const words[] = {"Sentence ", "ends. ",  "Two ", "spaces ",
                                        "follow ",   "here.  ", "Or ",  "one? "};
    std::string text;
    text.reserve(size);
    uint32_t state = 12345;
    while (text.size() < size) {
        state = state * 1103515245 + 12345;
        if (incompressible)
            text += static_cast<char>(state >> 24);
        else
            text += words[(state >> 16) % 8];
    }
    text.resize(size);
    return text;
}

std::string zlibInflate(const std::string& stream) {
    z_stream z{};
    EXPECT_EQ(inflateInit2(&z, -MAX_WBITS), Z_OK);
    std::string out;
    char buffer[65536];
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
    z.avail_in = static_cast<uInt>(stream.size());
    int rc = Z_OK;
    while (rc == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof buffer;
        rc = inflate(&z, Z_NO_FLUSH);
        out.append(buffer, sizeof buffer - z.avail_out);
    }
    EXPECT_EQ(rc, Z_STREAM_END) << "zlib could not inflate the stream to its end";
    EXPECT_EQ(z.avail_in, 0u) << "the stream has bytes after its end";
    inflateEnd(&z);
    return out;
}

struct SliceCase {
    const char* name;
    size_t size;
    bool incompressible = false;
};

void PrintTo(const SliceCase& row, std::ostream* out) {
    *out << row.name;
}

class DeflateSlices : public ::testing::TestWithParam<SliceCase> {};

TEST_P(DeflateSlices, InflateBackToTheInputWithItsChecksum) {
    const std::string input = sample(GetParam().size, GetParam().incompressible);
    const Deflated deflated = deflateRaw(input);

    EXPECT_TRUE(zlibInflate(deflated.data) == input)
        << "zlib does not inflate the joined slices back to the " << input.size() << " bytes";
    const uLong crc = crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(input.data()),
                            static_cast<uInt>(input.size()));
    EXPECT_EQ(deflated.crc, crc) << "the combined checksum differs from zlib's";
    std::string inflated;
    EXPECT_EQ(inflateRaw(deflated.data, input.size(), inflated), InflateResult::Ok);
    EXPECT_TRUE(inflated == input) << "inflateRaw gives other bytes than were deflated";
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, DeflateSlices,
    ::testing::Values(SliceCase{"Empty", 0}, SliceCase{"OneByte", 1},
                      SliceCase{"OneByteLessThanASlice", kDeflateSliceSize - 1},
                      SliceCase{"ExactlyOneSlice", kDeflateSliceSize},
                      SliceCase{"OneByteMoreThanASlice", kDeflateSliceSize + 1},
                      SliceCase{"ManySlicesAndARest", 6 * kDeflateSliceSize + 123},
                      SliceCase{"IncompressibleSlices", 2 * kDeflateSliceSize + 7, true}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace pellucor::zip
