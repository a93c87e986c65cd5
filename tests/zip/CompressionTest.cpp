// Deflate in slices, checked against zlib itself.

#include "zip/Compression.h"

#include "zip/DeflateSlices.h"

#include <array>
#include <functional>
#include <gtest/gtest.h>
#include <libdeflate.h>
#include <zlib.h>

namespace pellucor::zip {
namespace {

enum class Content {
    Words,  // repeats reach back across slice edges
    Markup, // paragraphs as the generated documents hold them
    Random, // does not compress: stored blocks, and output buffers that grow
    Run,    // one byte over and over: matches across every slice edge
    RandomThenWords,
};

std::string sample(size_t size, Content content) {
    static const char* const words[] = {"Sentence ", "ends. ",  "Two ", "spaces ",
                                        "follow ",   "here.  ", "Or ",  "one? "};
    static const char* const hex = "0123456789ABCDEF";
    std::string text;
    text.reserve(size + 200);
    uint32_t state = 12345;
    auto next = [&state] { return state = state * 1103515245 + 12345; };
    while (text.size() < size) {
        const bool random = content == Content::Random ||
                            (content == Content::RandomThenWords && text.size() < size / 2);
        if (random) {
            text += static_cast<char>(next() >> 24);
        } else if (content == Content::Run) {
            text += 'x';
        } else if (content == Content::Markup) {
            text += "<w:p w14:paraId=\"";
            for (int i = 0; i < 8; ++i)
                text += hex[next() >> 28];
            text += "\"><w:r><w:t xml:space=\"preserve\">";
            for (int i = next() >> 29; i >= 0; --i)
                text += words[(next() >> 16) % 8];
            text += "</w:t></w:r></w:p>";
        } else {
            text += words[(next() >> 16) % 8];
        }
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

void expectInflatesTo(const Deflated& deflated, const std::string& input) {
    EXPECT_TRUE(zlibInflate(deflated.data) == input)
        << "zlib does not inflate the joined slices back to the " << input.size() << " bytes";
    const uLong crc = crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(input.data()),
                            static_cast<uInt>(input.size()));
    EXPECT_EQ(deflated.crc, crc) << "the combined checksum differs from zlib's";
    EXPECT_EQ(deflated.size, input.size());
    std::string inflated;
    EXPECT_EQ(inflateRaw(deflated.data, input.size(), inflated), InflateResult::Ok);
    EXPECT_TRUE(inflated == input) << "inflateRaw gives other bytes than were deflated";
}

std::string zlibDeflate(const std::string& input, int level, int strategy) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 8, strategy), Z_OK);
    std::string out(deflateBound(&z, static_cast<uLong>(input.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
    z.avail_in = static_cast<uInt>(input.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

template <typename Row> std::string rowName(const ::testing::TestParamInfo<Row>& info) {
    return info.param.name;
}

struct SliceCase {
    const char* name;
    size_t size;
    Content content = Content::Words;
};

class DeflateSlices : public ::testing::TestWithParam<SliceCase> {};

TEST_P(DeflateSlices, InflateBackToTheInputWithItsChecksum) {
    const std::string input = sample(GetParam().size, GetParam().content);
    expectInflatesTo(deflateRaw(input), input);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, DeflateSlices,
    ::testing::Values(SliceCase{"Empty", 0}, SliceCase{"OneByte", 1},
                      SliceCase{"OneByteLessThanASlice", kDeflateSliceSize - 1},
                      SliceCase{"ExactlyOneSlice", kDeflateSliceSize},
                      SliceCase{"OneByteMoreThanASlice", kDeflateSliceSize + 1},
                      SliceCase{"ManySlicesAndARest", 6 * kDeflateSliceSize + 123},
                      SliceCase{"IncompressibleSlices", 2 * kDeflateSliceSize + 7, Content::Random},
                      SliceCase{"DocumentMarkup", 3 * kDeflateSliceSize + 5, Content::Markup},
                      SliceCase{"LongRunAcrossSliceEdges", 3 * kDeflateSliceSize + 1, Content::Run},
                      SliceCase{"IncompressibleThenText", 3 * kDeflateSliceSize + 999,
                                Content::RandomThenWords}),
    rowName<SliceCase>);

// Small slices, so that pieces straddle many slice edges.
constexpr size_t kSmallSlice = 64 * 1024;

struct PieceCase {
    const char* name;
    std::vector<size_t> pieces; // written in turn, over and over
};

class DeflateStreamPieces : public ::testing::TestWithParam<PieceCase> {};

TEST_P(DeflateStreamPieces, GiveTheStreamOfTheWholeInput) {
    const std::string input = sample(5 * kSmallSlice + 321, Content::Markup);
    DeflateStream stream(kSmallSlice);
    for (size_t at = 0, turn = 0; at < input.size(); ++turn) {
        const size_t piece = GetParam().pieces[turn % GetParam().pieces.size()];
        stream.write(std::string_view(input).substr(at, piece));
        at += piece;
    }
    const Deflated deflated = stream.finish();
    expectInflatesTo(deflated, input);
    DeflateStream whole(kSmallSlice);
    whole.write(input);
    EXPECT_TRUE(whole.finish().data == deflated.data) << "the pieces changed the slices";
}

INSTANTIATE_TEST_SUITE_P(Pieces, DeflateStreamPieces,
                         ::testing::Values(PieceCase{"OneByte", {1}}, PieceCase{"SevenBytes", {7}},
                                           PieceCase{"OneLessThanASlice", {kSmallSlice - 1}},
                                           PieceCase{"OneMoreThanASlice", {kSmallSlice + 1}},
                                           PieceCase{
                                               "MixedWithEmptyWrites",
                                               {0, 1, 7, kSmallSlice - 1, 0, 3 * kSmallSlice}}),
                         rowName<PieceCase>);

std::optional<BlockWalk> refuse(std::string_view, uint64_t) {
    return std::nullopt;
}

struct JoinCase {
    const char* name;
    Content content;
    const char* refused; // one letter a slice: R when the walker refuses it
};

class JoiningSlices : public ::testing::TestWithParam<JoinCase> {};

// Slices the walker refuses are compressed by zlib, ending on a byte; the
// joined stream stays whole whichever slices they are.
TEST_P(JoiningSlices, GiveOneStreamWhenTheWalkerRefusesSlices) {
    const std::string refused = GetParam().refused;
    const size_t slice = 32 * 1024;
    const std::string input = sample(refused.size() * slice - 100, GetParam().content);
    Deflated joined;
    uint64_t bits = 0;
    for (size_t i = 0; i < refused.size(); ++i) {
        const bool last = i + 1 == refused.size();
        const std::string_view part = std::string_view(input).substr(i * slice, slice);
        appendSlice(joined.data, bits,
                    deflateSlice(part, last, refused[i] == 'R' ? refuse : walkDeflateBlocks));
        joined.crc = static_cast<uint32_t>(
            crc32_combine(joined.crc, crcOf(part), static_cast<z_off_t>(part.size())));
    }
    joined.size = input.size();
    expectInflatesTo(joined, input);
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, JoiningSlices,
    ::testing::Values(JoinCase{"NoneRefused", Content::Markup, "----"},
                      JoinCase{"FirstRefused", Content::Markup, "R---"},
                      JoinCase{"LastRefused", Content::Words, "---R"},
                      JoinCase{"AllRefused", Content::Words, "RRRR"},
                      JoinCase{"EveryOtherRefused", Content::RandomThenWords, "-R-R"},
                      JoinCase{"StoredBlocksBetweenRefused", Content::Random, "R--R"}),
    rowName<JoinCase>);

std::string libdeflateStream(const std::string& input) {
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(6);
    std::string out(libdeflate_deflate_compress_bound(compressor, input.size()), '\0');
    out.resize(libdeflate_deflate_compress(compressor, input.data(), input.size(), out.data(),
                                           out.size()));
    libdeflate_free_compressor(compressor);
    return out;
}

struct WalkCase {
    const char* name;
    std::function<std::string(const std::string&)> compress;
    std::function<void(std::string& stream, uint64_t& size)> damage;
    bool accepted;
};

class WalkingAStream : public ::testing::TestWithParam<WalkCase> {};

// Streams written bit by bit, to reach each way the walker refuses one.
class BitStream {
public:
    BitStream& bits(uint32_t value, unsigned count) {
        for (unsigned i = 0; i < count; ++i)
            bit(i < 32 && (value >> i & 1));
        return *this;
    }
    // Huffman codes go in from their most significant bit.
    BitStream& code(uint32_t value, unsigned length) {
        for (unsigned i = length; i-- > 0;)
            bit(value >> i & 1);
        return *this;
    }
    BitStream& fixedBlock() { return bits(1, 1).bits(1, 2); }
    // A last dynamic block with one distance code. Its code-length code gives
    // four bits to each of the lengths 0 to 12 and the repeats 16 to 18, but
    // none to `leftOut`: their codes are their ranks, from 0000 up.
    BitStream& dynamicBlock(unsigned literals = 257, unsigned leftOut = 99) {
        m_leftOut = leftOut;
        bits(1, 1).bits(2, 2).bits(literals - 257, 5).bits(0, 5).bits(18 - 4, 4);
        for (unsigned symbol : {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1})
            bits((symbol <= 12 || symbol >= 16) && symbol != leftOut ? 4 : 0, 3);
        return *this;
    }
    BitStream& length(unsigned bits) {
        return code((bits <= 12 ? bits : bits - 3) - (m_leftOut < bits ? 1 : 0), 4);
    }
    // Runs of code lengths, each as many times as its count; zeros as repeats.
    BitStream& lengths(std::initializer_list<std::pair<unsigned, unsigned>> runs) {
        for (auto [count, codeLength] : runs) {
            if (codeLength != 0)
                for (unsigned i = 0; i < count; ++i)
                    length(codeLength);
            else if (count >= 11)
                length(18).bits(count - 11, 7);
            else
                length(17).bits(count - 3, 3);
        }
        return *this;
    }
    // Lengths of one bit for 'x' and the end of the block and the distance
    // code; then "xx" and the end.
    BitStream& xxWithLengths() { return lengths({{120, 0}, {1, 1}, {135, 0}, {2, 1}}); }
    BitStream& xx() { return code(0, 1).code(0, 1).code(1, 1); }
    std::string bytes() const { return m_bytes; }

private:
    void bit(unsigned value) {
        if (m_used++ % 8 == 0)
            m_bytes += '\0';
        m_bytes.back() = static_cast<char>(m_bytes.back() | value << (m_used - 1) % 8);
    }
    std::string m_bytes;
    uint64_t m_used = 0;
    unsigned m_leftOut = 99;
};

TEST_P(WalkingAStream, FindsTheLastBlockOrRefuses) {
    const std::string input = sample(300 * 1024, Content::Markup) + sample(70000, Content::Random);
    std::string stream = GetParam().compress(input);
    uint64_t size = input.size();
    GetParam().damage(stream, size);
    const std::optional<BlockWalk> walk = walkDeflateBlocks(stream, size);
    ASSERT_EQ(walk.has_value(), GetParam().accepted);
    if (!walk)
        return;
    EXPECT_EQ((walk->endBit + 7) / 8, stream.size()) << "the walk ends before the last byte";
    EXPECT_TRUE(stream[walk->finalFlagBit / 8] >> walk->finalFlagBit % 8 & 1)
        << "the bit found is not the last block's flag";
    EXPECT_EQ(zlibInflate(stream).size(), size) << "zlib inflates the stream otherwise";
}

auto zlibAt(int level, int strategy) {
    return [=](const std::string& input) { return zlibDeflate(input, level, strategy); };
}
void keep(std::string&, uint64_t&) {}

WalkCase written(const char* name, const BitStream& stream, uint64_t size, bool accepted) {
    return {name, [bytes = stream.bytes()](const std::string&) { return bytes; },
            [size](std::string&, uint64_t& n) { n = size; }, accepted};
}

INSTANTIATE_TEST_SUITE_P(
    Streams, WalkingAStream,
    ::testing::Values(
        WalkCase{"Libdeflate", libdeflateStream, keep, true},
        WalkCase{"ZlibDefault", zlibAt(6, Z_DEFAULT_STRATEGY), keep, true},
        WalkCase{"ZlibFastest", zlibAt(1, Z_DEFAULT_STRATEGY), keep, true},
        WalkCase{"ZlibFixedCodes", zlibAt(6, Z_FIXED), keep, true},
        WalkCase{"ZlibHuffmanOnly", zlibAt(6, Z_HUFFMAN_ONLY), keep, true},
        WalkCase{"ZlibRunsOnly", zlibAt(6, Z_RLE), keep, true},
        WalkCase{"ZlibStored", zlibAt(0, Z_DEFAULT_STRATEGY), keep, true},
        WalkCase{"CutShort", libdeflateStream, [](std::string& s, uint64_t&) { s.pop_back(); },
                 false},
        WalkCase{"WithAByteAfterIt", libdeflateStream, [](std::string& s, uint64_t&) { s += '\0'; },
                 false},
        WalkCase{"HoldingOneByteMore", libdeflateStream, [](std::string&, uint64_t& n) { ++n; },
                 false},
        WalkCase{"HoldingOneByteLess", libdeflateStream, [](std::string&, uint64_t& n) { --n; },
                 false},
        WalkCase{"WithAChangedBit", libdeflateStream,
                 [](std::string& s, uint64_t&) { s[s.size() / 3] ^= 0x10; }, false},
        WalkCase{"Empty", libdeflateStream, [](std::string& s, uint64_t&) { s.clear(); }, false},
        written("AnEmptyStoredBlock", BitStream().bits(1, 8).bits(0xFFFF0000, 32), 0, true),
        written("ALiteralAndAMatchOfIt",
                BitStream().fixedBlock().code(0x30 + 'x', 8).code(1, 7).code(0, 5).code(0, 7), 4,
                true),
        written("MatchingBeforeTheFirstByte",
                BitStream().fixedBlock().code(1, 7).code(0, 5).code(0, 7), 3, false),
        written("WithALiteralCodeTheFormatLeavesUnused", BitStream().fixedBlock().code(0xC6, 8), 0,
                false),
        written("OfTheReservedBlockType", BitStream().bits(1, 1).bits(3, 2), 0, false),
        written("StoredWithALengthAndComplementThatDisagree",
                BitStream().bits(1, 8).bits(5, 32).bits('x', 8 * 5), 5, false),
        written("StoredRunningPastTheStream",
                BitStream().bits(1, 8).bits(0xFF9B0064, 32).bits('x', 8), 100, false),
        written("ADynamicBlock", BitStream().dynamicBlock().xxWithLengths().xx(), 2, true),
        written("WithTooManyLiteralCodes",
                BitStream()
                    .dynamicBlock(287)
                    .lengths({{120, 0}, {1, 1}, {135, 0}, {1, 1}, {30, 0}, {1, 1}})
                    .xx(),
                2, false),
        written("WithAnIncompleteCodeLengthCode",
                BitStream().dynamicBlock(257, 12).xxWithLengths().xx(), 2, false),
        written("RepeatingALengthBeforeAnyIsGiven",
                BitStream()
                    .dynamicBlock()
                    .length(16)
                    .bits(0, 2)
                    .lengths({{117, 0}, {1, 1}, {135, 0}, {2, 1}})
                    .xx(),
                2, false),
        written(
            "RepeatingZerosPastTheLastCode",
            BitStream().dynamicBlock().lengths({{120, 0}, {1, 1}, {135, 0}, {1, 1}, {3, 0}}).xx(),
            2, false),
        written("WithAnOversubscribedLiteralCode",
                BitStream().dynamicBlock().lengths({{120, 0}, {2, 1}, {134, 0}, {2, 1}}).code(0, 1),
                0, false),
        written("WithAnIncompleteLiteralCode",
                BitStream()
                    .dynamicBlock()
                    .lengths({{120, 0}, {1, 2}, {135, 0}, {2, 1}})
                    .code(2, 2)
                    .code(2, 2)
                    .code(0, 1),
                2, false),
        written("WithoutAnEndOfBlockCode",
                BitStream().dynamicBlock().lengths({{120, 0}, {1, 1}, {136, 0}, {1, 1}}).xx(), 2,
                false)),
    rowName<WalkCase>);

TEST(DeflateStreamLifetime, EndsWithoutFinishOrStartsAfreshAfterIt) {
    const std::string input = sample(20 * kSmallSlice, Content::Words);
    {
        DeflateStream abandoned(kSmallSlice);
        abandoned.write(input);
    } // its workers stop and are joined
    DeflateStream stream(kSmallSlice);
    stream.write(input);
    expectInflatesTo(stream.finish(), input);
    const std::string next = sample(3 * kSmallSlice + 1, Content::Markup);
    stream.write(next);
    expectInflatesTo(stream.finish(), next);
}

struct InflateCase {
    const char* name;
    std::function<void(std::string& stream, size_t& size)> change;
    InflateResult result;
};

class InflatingAStream : public ::testing::TestWithParam<InflateCase> {};

TEST_P(InflatingAStream, TellsWhatIsWrongWithIt) {
    const std::string input = sample(20000, Content::Words);
    std::string stream = zlibDeflate(input, 6, Z_DEFAULT_STRATEGY);
    size_t size = input.size();
    GetParam().change(stream, size);
    std::string output;
    EXPECT_EQ(inflateRaw(stream, size, output), GetParam().result);
    if (GetParam().result == InflateResult::Ok) {
        EXPECT_TRUE(output == input);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Streams, InflatingAStream,
    ::testing::Values(
        InflateCase{"AsWritten", [](std::string&, size_t&) {}, InflateResult::Ok},
        InflateCase{"WithBytesAfterIt", [](std::string& s, size_t&) { s += "junk"; },
                    InflateResult::Ok},
        InflateCase{"LongerThanItsSize", [](std::string&, size_t& n) { --n; },
                    InflateResult::TooLong},
        InflateCase{"ShorterThanItsSize", [](std::string&, size_t& n) { ++n; },
                    InflateResult::Truncated},
        InflateCase{"CutShort", [](std::string& s, size_t&) { s.resize(s.size() - 10); },
                    InflateResult::Truncated},
        InflateCase{"Empty", [](std::string& s, size_t&) { s.clear(); }, InflateResult::Truncated},
        InflateCase{"OfAnUnknownBlockType", [](std::string& s, size_t&) { s.assign(20, '\xFF'); },
                    InflateResult::Damaged}),
    rowName<InflateCase>);

} // namespace
} // namespace pellucor::zip
