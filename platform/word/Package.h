#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

struct zip;
struct zip_source;

namespace pellucor::word {

// Limits against hostile packages.
struct InflateLimits {
    uint64_t maxPartSize = 512ull << 20;
    uint64_t maxRatio = 1000;
};

// A zip package held in memory: its bytes, read once, and the entries' names.
// Parts are inflated on request; saving copies every unchanged entry's
// compressed bytes as they are and deflates only the replaced parts.
class Package {
public:
    // The file is read whole and closed again; displayName is used in messages.
    static std::unique_ptr<Package> fromBytes(std::string bytes, const std::string& displayName);
    ~Package();
    Package(const Package&) = delete;
    Package& operator=(const Package&) = delete;

    bool contains(const std::string& partName) const;
    // The part's bytes, inflated and checked against its CRC and the limits.
    std::string read(const std::string& partName) const;
    const std::string& bytes() const { return m_bytes; }

    // A new package: the parts in `replaced` deflated anew, all others copied
    // as stored, in the original order and under their original names.
    std::string rewrite(const std::map<std::string, std::string>& replaced) const;

private:
    Package(std::string bytes, std::string displayName);
    std::string rewriteThroughLibzip(const std::map<std::string, std::string>& replaced) const;
    int64_t indexOf(const std::string& partName) const;
    [[noreturn]] void fail(const std::string& what) const;

    std::string m_bytes;
    std::string m_displayName;
    zip* m_archive = nullptr;
    std::unordered_map<std::string, int64_t> m_index; // lower-case name -> entry
    InflateLimits m_limits;
};

// Lower-cases ASCII letters; part names compare without regard to case.
std::string asciiLower(std::string text);

} // namespace pellucor::word
