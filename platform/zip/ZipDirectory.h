#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pellucor::zip {

// Little-endian fields of the zip format.
inline uint32_t zipRead16(const std::string& s, size_t at) {
    return static_cast<unsigned char>(s[at]) | static_cast<unsigned char>(s[at + 1]) << 8;
}
inline uint32_t zipRead32(const std::string& s, size_t at) {
    return zipRead16(s, at) | zipRead16(s, at + 2) << 16;
}
inline uint64_t zipRead64(const std::string& s, size_t at) {
    return zipRead32(s, at) | uint64_t{zipRead32(s, at + 4)} << 32;
}
inline void zipPut16(std::string& s, size_t at, uint32_t v) {
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
inline void zipPut32(std::string& s, size_t at, uint32_t v) {
    zipPut16(s, at, v & 0xFFFF);
    zipPut16(s, at + 2, v >> 16);
}
inline void zipPut64(std::string& s, size_t at, uint64_t v) {
    zipPut32(s, at, static_cast<uint32_t>(v));
    zipPut32(s, at + 4, static_cast<uint32_t>(v >> 32));
}

// One entry of a zip package as its central directory records it.
struct ZipEntry {
    std::string name;
    size_t recordAt = 0;   // the central record, in the package's bytes
    size_t recordSize = 0; // fixed part, name, extra field and comment
    size_t localAt = 0;    // the local header
    size_t localSize = 0;  // local header, data and data descriptor
    size_t dataAt = 0;     // the stored data
    uint32_t compressedSize = 0;
    uint32_t size = 0;
    uint32_t crc = 0;
    uint16_t method = 0;
    uint16_t flags = 0;

    bool encrypted() const { return flags & 1; }
};

struct ZipDirectory {
    std::vector<ZipEntry> entries; // in the central directory's order
    size_t directoryAt = 0;
    size_t directoryEnd = 0; // the end record, or the large-archive end record before it
    size_t endAt = 0;        // the end-of-directory record
};

// Reads the central directory and checks every entry's local record against
// the package's bounds. The directory must end where the end record (or the
// large-archive end record that counts beyond 16 bits) begins and hold just
// as many records as that counts. Returns false with a reason in plain words
// when the bytes are not a zip package this engine can read.
bool readZipDirectory(const std::string& zip, ZipDirectory& directory, std::string& reason);

inline constexpr uint32_t kZipLocalSignature = 0x04034b50;
inline constexpr uint32_t kZipCentralSignature = 0x02014b50;
inline constexpr uint32_t kZipEndSignature = 0x06054b50;
inline constexpr uint32_t kZipDescriptorSignature = 0x08074b50;
inline constexpr uint32_t kZipLargeEndSignature = 0x06064b50;
inline constexpr uint32_t kZipLocatorSignature = 0x07064b50;
inline constexpr uint16_t kZipDataDescriptorFlag = 1 << 3;
inline constexpr uint16_t kZipUtf8Flag = 1 << 11;

} // namespace pellucor::zip
