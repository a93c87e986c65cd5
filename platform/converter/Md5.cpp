#include "Md5.h"

#include <cmath>

namespace pellucor::converter {
namespace {

constexpr uint32_t kShifts[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                                  5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                                  4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                                  6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};

uint32_t rotateLeft(uint32_t value, uint32_t bits) {
    return (value << bits) | (value >> (32 - bits));
}

uint32_t sineConstant(int i) {
    return static_cast<uint32_t>(std::floor(std::fabs(std::sin(i + 1.0)) * 4294967296.0));
}

void addBlock(std::array<uint32_t, 4>& state, const unsigned char* block) {
    uint32_t words[16];
    for (int i = 0; i < 16; ++i)
        words[i] = uint32_t(block[4 * i]) | uint32_t(block[4 * i + 1]) << 8 |
                   uint32_t(block[4 * i + 2]) << 16 | uint32_t(block[4 * i + 3]) << 24;
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (int i = 0; i < 64; ++i) {
        uint32_t f = 0;
        int g = 0;
        if (i < 16) {
            f = (b & c) | (~b & d);
            g = i;
        } else if (i < 32) {
            f = (d & b) | (~d & c);
            g = (5 * i + 1) % 16;
        } else if (i < 48) {
            f = b ^ c ^ d;
            g = (3 * i + 5) % 16;
        } else {
            f = c ^ (b | ~d);
            g = (7 * i) % 16;
        }
        uint32_t next = d;
        d = c;
        c = b;
        b += rotateLeft(a + f + sineConstant(i) + words[g], kShifts[i]);
        a = next;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

} // namespace

std::array<uint8_t, 16> md5Of(const std::string& bytes) {
    std::array<uint32_t, 4> state = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    std::string padded = bytes + '\x80';
    while (padded.size() % 64 != 56)
        padded += '\0';
    const uint64_t bits = uint64_t(bytes.size()) * 8;
    for (int i = 0; i < 8; ++i)
        padded += static_cast<char>(bits >> (8 * i));
    for (size_t at = 0; at < padded.size(); at += 64)
        addBlock(state, reinterpret_cast<const unsigned char*>(padded.data() + at));
    std::array<uint8_t, 16> digest;
    for (int i = 0; i < 16; ++i)
        digest[static_cast<size_t>(i)] =
            static_cast<uint8_t>(state[static_cast<size_t>(i / 4)] >> (8 * (i % 4)));
    return digest;
}

} // namespace pellucor::converter
