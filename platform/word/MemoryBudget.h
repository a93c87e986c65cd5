#pragma once

#include <cstdint>
#include <string>

namespace pellucor::zip {
class Package;
}

namespace pellucor::word {

// What one open document may take in memory: its package and parts, their
// DOMs and its word list. A document that would take more is refused with an
// Error naming it, before the memory is spent.
class MemoryBudget {
public:
    // Each byte of the main part (of a plain text, each byte of the file) may
    // take this many bytes of the model.
    static constexpr uint64_t kFactor = 8;
    // What even a small document may take.
    static constexpr uint64_t kFloor = 64ull << 20;
    // The most any document may take, unless PELLUCOR_MEMORY_LIMIT names
    // another number of MiB.
    static constexpr uint64_t kDefaultCeiling = 4096ull << 20;

    MemoryBudget(uint64_t mainPartSize, std::string path);

    // Once the main part's size is known, the limit of a document whose size
    // was not yet known grows to what that main part allows.
    void growFor(uint64_t mainPartSize);

    uint64_t limit() const { return m_limit; }
    uint64_t left() const { return m_limit - m_taken; }
    // Counts bytes as taken; throws Error naming the document when they do
    // not fit, taking nothing.
    void take(uint64_t bytes);
    // Gives back bytes taken that were let go.
    void release(uint64_t bytes) { m_taken -= bytes < m_taken ? bytes : m_taken; }
    // Throws the same Error when `bytes` more would not fit.
    void check(uint64_t bytes) const {
        if (bytes > left())
            refuse();
    }
    [[noreturn]] void refuse() const;

private:
    uint64_t m_limit = 0;
    uint64_t m_taken = 0;
    std::string m_path;
};

// The bytes of one part of a document's package, inflated only once the
// budget has room for them; the caller takes what it keeps. Throws the
// budget's Error, or the package's when the part is missing or damaged.
std::string readWithin(const zip::Package& package, const std::string& partName,
                       const MemoryBudget& budget);

// The most any document may take, as PELLUCOR_MEMORY_LIMIT sets it: a whole
// number of MiB from 64 up, "M" or "MiB" after it allowed, or of GiB after
// "G" or "GiB"; 4 GiB when it is not set. When it holds anything else,
// `problem` says so in plain words and every document is refused with it.
struct MemoryCeiling {
    uint64_t bytes = 0;
    std::string problem;
};
MemoryCeiling memoryCeiling();

// A ceiling for this process that overrides the variable, even below the
// floor, so that tests can make a small document run out; 0 lets go of it.
void setMemoryCeilingForTests(uint64_t bytes);

// The limit of a document whose main part has mainPartSize bytes.
uint64_t memoryLimitFor(uint64_t mainPartSize);

// The limit of the document at path, told from the file without opening it
// (for a package, from the largest part its directory lists); for deciding
// how many documents may be open side by side. Never throws.
uint64_t estimatedMemoryLimitOf(const std::string& path);

} // namespace pellucor::word
