#pragma once

#include "zip/Compression.h"
#include "zip/ZipDirectory.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace pellucor::zip {

// Limits against hostile packages.
struct InflateLimits {
    uint64_t maxPartSize = 512ull << 20;
    uint64_t maxRatio = 1000;
};

// A zip package held in memory: its bytes, read once, and its directory.
// Parts are inflated on request; saving copies every unchanged entry as it is
// stored and deflates only the replaced parts.
class Package {
public:
    // Throws Error naming displayName when the bytes are not a readable package.
    static std::unique_ptr<Package> fromBytes(std::string bytes, const std::string& displayName);

    bool contains(const std::string& partName) const;
    // The names of the parts, in the directory's order.
    std::vector<std::string> partNames() const;
    // How many bytes the part inflates to, as its directory entry records
    // (inflating more is refused); 0 for a missing part.
    uint64_t sizeOf(const std::string& partName) const;
    // The part's bytes, inflated and checked against its CRC and the limits.
    std::string read(const std::string& partName) const;
    const std::string& bytes() const { return m_bytes; }

    // A new package: the parts in `replaced` deflated anew, all others copied
    // as stored, in the original order and under their original names. Throws
    // Error naming the file when a replaced part is not in the package.
    std::string rewrite(const std::map<std::string, std::string>& replaced) const;
    // The same with parts compressed already, by DeflateStream.
    std::string rewrite(const std::map<std::string, Deflated>& replaced) const;

private:
    Package(std::string bytes, std::string displayName);
    const ZipEntry* find(const std::string& partName) const;
    [[noreturn]] void fail(const std::string& what) const;

    std::string m_bytes;
    std::string m_displayName;
    ZipDirectory m_directory;
    std::unordered_map<std::string, size_t> m_index; // lower-case name -> entry
    InflateLimits m_limits;
};

// Lower-cases ASCII letters; part names compare without regard to case.
std::string asciiLower(std::string text);

} // namespace pellucor::zip
