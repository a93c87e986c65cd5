#include "DeflateWalker.h"

#include <array>
#include <bit>
#include <cstring>
#include <memory>

namespace pellucor::zip {
namespace {

// What a code stands for: a literal, the end of the block, nothing (a code the
// format leaves unused), or else a length or distance base with this many
// extra bits.
constexpr uint8_t kLiteral = 0x40;
constexpr uint8_t kEndOfBlock = 0x80;
constexpr uint8_t kInvalid = 0xC0;
constexpr uint8_t kLink = 0x20; // only inside a table
constexpr uint8_t kExtraMask = 0x0F;

struct Entry {
    uint16_t base = 0;
    uint8_t bits = 0; // the code's length
    uint8_t kind = kInvalid;
};

constexpr std::array<uint16_t, 29> kLengthBase = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                  15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                  67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<uint8_t, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<uint16_t, 30> kDistanceBase = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<uint8_t, 30> kDistanceExtra = {0, 0, 0,  0,  1,  1,  2,  2,  3,  3,
                                                    4, 4, 5,  5,  6,  6,  7,  7,  8,  8,
                                                    9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
constexpr std::array<uint8_t, 19> kCodeLengthOrder = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                      11, 4,  12, 3, 13, 2, 14, 1, 15};
constexpr unsigned kMaxLiterals = 286;
constexpr unsigned kMaxDistances = 30;

enum class Alphabet { LiteralLength, Distance, CodeLength };

Entry meaning(Alphabet alphabet, unsigned symbol) {
    switch (alphabet) {
    case Alphabet::LiteralLength:
        if (symbol < 256)
            return {1, 0, kLiteral};
        if (symbol == 256)
            return {0, 0, kEndOfBlock};
        if (symbol < 257 + kLengthBase.size())
            return {kLengthBase[symbol - 257], 0, kLengthExtra[symbol - 257]};
        return {};
    case Alphabet::Distance:
        if (symbol < kDistanceBase.size())
            return {kDistanceBase[symbol], 0, kDistanceExtra[symbol]};
        return {};
    case Alphabet::CodeLength:
        return {static_cast<uint16_t>(symbol), 0, 0};
    }
    return {};
}

unsigned reversed(unsigned code, unsigned bits) {
    unsigned result = 0;
    for (unsigned i = 0; i < bits; ++i, code >>= 1)
        result = result << 1 | (code & 1);
    return result;
}

// A two-level lookup table: the first `FirstBits` bits of input index the
// entry of a code no longer than that, or a link to a table for the bits
// after them. The first level stays small enough for the fastest cache.
template <unsigned FirstBits, unsigned MaxBits> class Table {
public:
    // False when the lengths form no prefix code an inflater accepts: codes
    // may leave room unused only when there is at most one code of length one.
    bool build(const uint8_t* lengths, unsigned count, Alphabet alphabet) {
        std::array<unsigned, 16> counts{};
        for (unsigned symbol = 0; symbol < count; ++symbol)
            ++counts[lengths[symbol]];
        counts[0] = 0;
        unsigned longest = 0;
        int left = 1;
        for (unsigned bits = 1; bits < counts.size(); ++bits) {
            left = left * 2 - static_cast<int>(counts[bits]);
            if (left < 0)
                return false;
            if (counts[bits])
                longest = bits;
        }
        if (longest > MaxBits)
            return false;
        if (left != 0 && (alphabet == Alphabet::CodeLength || longest > 1))
            return false;
        const unsigned first = std::min(std::max(longest, 1u), FirstBits);
        const unsigned second = longest > first ? longest - first : 0;
        m_mask = (1u << first) - 1;
        m_secondMask = (1u << second) - 1;
        std::fill(m_entries.begin(), m_entries.begin() + (1u << first), Entry{});

        std::array<unsigned, 16> next{};
        unsigned code = 0;
        for (unsigned bits = 1; bits < counts.size(); ++bits) {
            code = (code + counts[bits - 1]) << 1;
            next[bits] = code;
        }
        unsigned secondAt = 1u << FirstBits;
        for (unsigned symbol = 0; symbol < count; ++symbol) {
            const unsigned bits = lengths[symbol];
            if (bits == 0)
                continue;
            Entry entry = meaning(alphabet, symbol);
            if (entry.kind != kInvalid)
                entry.bits = static_cast<uint8_t>(bits);
            const unsigned at = reversed(next[bits]++, bits);
            if (bits <= first) {
                for (unsigned i = at; i <= m_mask; i += 1u << bits)
                    m_entries[i] = entry;
                continue;
            }
            // A complete code fills the second-level table of each prefix.
            Entry& link = m_entries[at & m_mask];
            if (link.kind != kLink) {
                link = Entry{static_cast<uint16_t>(secondAt), 0, kLink};
                secondAt += 1u << second;
            }
            for (unsigned i = at >> first; i <= m_secondMask; i += 1u << (bits - first))
                m_entries[link.base + i] = entry;
        }
        return true;
    }

    Entry operator[](uint64_t bits) const {
        const Entry entry = m_entries[bits & m_mask];
        if (entry.kind != kLink) [[likely]]
            return entry;
        return m_entries[entry.base + ((bits >> FirstBits) & m_secondMask)];
    }

private:
    std::array<Entry, (1u << FirstBits) + (1u << MaxBits)> m_entries;
    uint64_t m_mask = 0;
    uint64_t m_secondMask = 0;
};

using LiteralTable = Table<10, 15>;
using DistanceTable = Table<8, 15>;

struct FixedTables {
    LiteralTable literals;
    DistanceTable distances;
};

const FixedTables& fixedTables() {
    static const std::unique_ptr<FixedTables> tables = [] {
        auto made = std::make_unique<FixedTables>();
        std::array<uint8_t, 288> lengths{};
        std::fill(lengths.begin(), lengths.begin() + 144, 8);
        std::fill(lengths.begin() + 144, lengths.begin() + 256, 9);
        std::fill(lengths.begin() + 256, lengths.begin() + 280, 7);
        std::fill(lengths.begin() + 280, lengths.end(), 8);
        made->literals.build(lengths.data(), 288, Alphabet::LiteralLength);
        std::fill(lengths.begin(), lengths.begin() + 32, 5);
        made->distances.build(lengths.data(), 32, Alphabet::Distance);
        return made;
    }();
    return *tables;
}

uint64_t load64(const unsigned char* at) {
    uint64_t word;
    std::memcpy(&word, at, sizeof word);
    if constexpr (std::endian::native == std::endian::big)
        word = __builtin_bswap64(word);
    return word;
}

// Reads bits least significant first. Past the end it reads zeros; the walk
// checks at the end that it used none of them.
class BitReader {
public:
    explicit BitReader(std::string_view data)
        : m_data(reinterpret_cast<const unsigned char*>(data.data())), m_size(data.size()) {}

    // Leaves at least 56 bits to peek at.
    void refill() {
        if (m_pos + 8 <= m_size) {
            m_buffer |= load64(m_data + m_pos) << m_count;
            m_pos += (63 - m_count) >> 3;
            m_count |= 56;
            return;
        }
        while (m_count <= 56) {
            const uint64_t byte = m_pos < m_size ? m_data[m_pos] : 0;
            m_buffer |= byte << m_count;
            ++m_pos;
            m_count += 8;
        }
    }
    uint64_t peek() const { return m_buffer; }
    void skip(unsigned bits) {
        m_buffer >>= bits;
        m_count -= bits;
    }
    unsigned take(unsigned bits) {
        const auto value = static_cast<unsigned>(m_buffer & ((uint64_t{1} << bits) - 1));
        skip(bits);
        return value;
    }
    uint64_t position() const { return uint64_t{m_pos} * 8 - m_count; }
    void alignToByte() { skip(m_count % 8); }
    void seekToByte(size_t at) {
        m_pos = at;
        m_buffer = 0;
        m_count = 0;
    }
    size_t size() const { return m_size; }
    unsigned char lastByte() const { return m_data[m_size - 1]; }

private:
    const unsigned char* m_data;
    size_t m_size;
    size_t m_pos = 0;
    uint64_t m_buffer = 0;
    unsigned m_count = 0;
};

class Walker {
public:
    Walker(std::string_view stream, uint64_t outputSize) : m_in(stream), m_outputSize(outputSize) {}

    std::optional<BlockWalk> walk() {
        const uint64_t streamBits = uint64_t{m_in.size()} * 8;
        while (true) {
            m_in.refill();
            const uint64_t blockAt = m_in.position();
            const bool last = m_in.take(1);
            bool ok = false;
            switch (m_in.take(2)) {
            case 0:
                ok = storedBlock();
                break;
            case 1:
                ok = huffmanBlock(fixedTables().literals, fixedTables().distances);
                break;
            case 2:
                ok = dynamicHeader() && huffmanBlock(m_tables->literals, m_tables->distances);
                break;
            default:
                break;
            }
            if (!ok || m_in.position() > streamBits)
                return std::nullopt;
            if (last) {
                BlockWalk found{blockAt, m_in.position(), m_stored};
                if (!endsTheStream(found.endBit))
                    return std::nullopt;
                return found;
            }
        }
    }

private:
    struct DynamicTables {
        LiteralTable literals;
        DistanceTable distances;
        Table<7, 7> codeLengths;
    };

    bool endsTheStream(uint64_t endBit) const {
        if (m_produced != m_outputSize || (endBit + 7) / 8 != m_in.size())
            return false;
        const unsigned used = endBit % 8;
        return used == 0 || (m_in.lastByte() >> used) == 0;
    }

    bool storedBlock() {
        m_stored = true;
        m_in.alignToByte();
        m_in.refill();
        const unsigned length = m_in.take(16);
        if (m_in.take(16) != (~length & 0xFFFF))
            return false;
        const uint64_t at = m_in.position() / 8;
        if (at + length > m_in.size())
            return false;
        m_in.seekToByte(at + length);
        m_produced += length;
        return m_produced <= m_outputSize;
    }

    bool dynamicHeader() {
        if (!m_tables)
            m_tables = std::make_unique<DynamicTables>();
        m_in.refill();
        const unsigned literals = m_in.take(5) + 257;
        const unsigned distances = m_in.take(5) + 1;
        const unsigned codeLengthCount = m_in.take(4) + 4;
        if (literals > kMaxLiterals || distances > kMaxDistances)
            return false;
        std::array<uint8_t, 19> codeLengthBits{};
        for (unsigned i = 0; i < codeLengthCount; ++i) {
            m_in.refill();
            codeLengthBits[kCodeLengthOrder[i]] = static_cast<uint8_t>(m_in.take(3));
        }
        if (!m_tables->codeLengths.build(codeLengthBits.data(), 19, Alphabet::CodeLength))
            return false;

        std::array<uint8_t, kMaxLiterals + kMaxDistances> lengths{};
        const unsigned total = literals + distances;
        for (unsigned i = 0; i < total;) {
            m_in.refill();
            const Entry entry = m_tables->codeLengths[m_in.peek()];
            m_in.skip(entry.bits);
            if (entry.base < 16) {
                lengths[i++] = static_cast<uint8_t>(entry.base);
                continue;
            }
            uint8_t value = 0;
            unsigned repeat = 0;
            if (entry.base == 16) {
                if (i == 0)
                    return false;
                value = lengths[i - 1];
                repeat = 3 + m_in.take(2);
            } else if (entry.base == 17) {
                repeat = 3 + m_in.take(3);
            } else {
                repeat = 11 + m_in.take(7);
            }
            if (i + repeat > total)
                return false;
            std::fill_n(lengths.begin() + i, repeat, value);
            i += repeat;
        }
        if (lengths[256] == 0)
            return false;
        return m_tables->literals.build(lengths.data(), literals, Alphabet::LiteralLength) &&
               m_tables->distances.build(lengths.data() + literals, distances, Alphabet::Distance);
    }

    // A literal or length code, its extra bits, a distance code and its extra
    // bits take at most 48 bits: one refill serves each match, or two
    // literals. Codes and their extra bits are read from one copy of the
    // buffer and dropped together; the reader is a local the compiler keeps
    // in registers.
    bool huffmanBlock(const LiteralTable& literals, const DistanceTable& distances) {
        BitReader in = m_in;
        uint64_t produced = m_produced;
        const uint64_t limit = m_outputSize;
        bool ok = true;
        while (true) {
            in.refill();
            uint64_t bits = in.peek();
            Entry symbol = literals[bits];
            if (symbol.kind == kLiteral) {
                const Entry next = literals[bits >> symbol.bits];
                if (next.kind == kLiteral) {
                    in.skip(symbol.bits + next.bits);
                    produced += 2;
                    if (produced > limit) {
                        ok = false;
                        break;
                    }
                    continue;
                }
                in.skip(symbol.bits);
                ++produced;
                in.refill();
                bits = in.peek();
                symbol = next;
            }
            if (symbol.kind >= kEndOfBlock) {
                in.skip(symbol.bits);
                ok = symbol.kind == kEndOfBlock && produced <= limit;
                break;
            }
            const unsigned length = symbol.base + extraBits(bits >> symbol.bits, symbol.kind);
            bits >>= symbol.bits + symbol.kind;
            const Entry distanceCode = distances[bits];
            const unsigned distanceExtra = distanceCode.kind & kExtraMask;
            const unsigned distance =
                distanceCode.base + extraBits(bits >> distanceCode.bits, distanceExtra);
            in.skip(symbol.bits + symbol.kind + distanceCode.bits + distanceExtra);
            produced += length;
            if (distanceCode.kind >= kEndOfBlock || distance + length > produced ||
                produced > limit) {
                ok = false;
                break;
            }
        }
        m_in = in;
        m_produced = produced;
        return ok;
    }

    static unsigned extraBits(uint64_t bits, unsigned count) {
        return static_cast<unsigned>(bits & ((uint64_t{1} << count) - 1));
    }

    BitReader m_in;
    uint64_t m_outputSize;
    uint64_t m_produced = 0;
    bool m_stored = false;
    std::unique_ptr<DynamicTables> m_tables;
};

} // namespace

std::optional<BlockWalk> walkDeflateBlocks(std::string_view stream, uint64_t outputSize) {
    if (stream.empty())
        return std::nullopt;
    return Walker(stream, outputSize).walk();
}

} // namespace pellucor::zip
