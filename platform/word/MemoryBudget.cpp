#include "MemoryBudget.h"

#include "base/Error.h"
#include "base/ShownName.h"
#include "DocumentState.h"
#include "zip/Package.h"
#include "zip/ZipDirectory.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>

namespace pellucor::word {
namespace {

constexpr uint64_t kMiB = 1ull << 20;

std::atomic<uint64_t> g_ceilingForTests{0};

// The variable's value read, or why it cannot be: a whole number of MiB, 64
// or more, with "M" or "MiB" after it if one likes, or of GiB after "G" or
// "GiB". A value that falls back silently would hide a typing mistake.
MemoryCeiling ceilingFrom(const char* text) {
    if (!text || !*text)
        return {MemoryBudget::kDefaultCeiling, ""};
    const std::string value = text;
    size_t digits = 0;
    while (digits < value.size() && value[digits] >= '0' && value[digits] <= '9')
        ++digits;
    const std::string suffix = value.substr(digits);
    const uint64_t unit = suffix.empty() || suffix == "M" || suffix == "MiB" ? 1
                          : suffix == "G" || suffix == "GiB"                 ? 1024
                                                                             : 0;
    uint64_t mebibytes = 0;
    for (size_t k = 0; k < digits && mebibytes < (1ull << 40); ++k)
        mebibytes = mebibytes * 10 + static_cast<uint64_t>(value[k] - '0');
    mebibytes *= unit;
    if (digits > 0 && unit > 0 && mebibytes >= (MemoryBudget::kFloor >> 20) &&
        mebibytes < (1ull << 40))
        return {mebibytes * kMiB, ""};
    return {MemoryBudget::kDefaultCeiling,
            "PELLUCOR_MEMORY_LIMIT is " + inQuotes(shownLine(value)) +
                ": give the most one document may take as a whole number of MiB, 64 or more "
                "(such as 512), or of GiB with a G after it (such as 2G)."};
}

uint64_t ceiling() {
    if (g_ceilingForTests)
        return g_ceilingForTests;
    const MemoryCeiling found = memoryCeiling();
    if (!found.problem.empty())
        throw Error(ErrorNumber::InvalidProcedureCall, found.problem);
    return found.bytes;
}

std::string mib(uint64_t bytes) {
    return std::to_string((bytes + kMiB - 1) / kMiB) + " MiB";
}

uint64_t largestPart(const std::string& bytes) {
    zip::ZipDirectory directory;
    std::string reason;
    if (!zip::readZipDirectory(bytes, directory, reason))
        return bytes.size();
    uint64_t largest = 0;
    for (const zip::ZipEntry& entry : directory.entries)
        largest = std::max<uint64_t>(largest, entry.size);
    return largest;
}

} // namespace

MemoryCeiling memoryCeiling() {
    return ceilingFrom(std::getenv("PELLUCOR_MEMORY_LIMIT"));
}

void setMemoryCeilingForTests(uint64_t bytes) {
    g_ceilingForTests = bytes;
}

uint64_t memoryLimitFor(uint64_t mainPartSize) {
    const uint64_t wanted = std::max(MemoryBudget::kFloor, mainPartSize * MemoryBudget::kFactor);
    return std::min(wanted, ceiling());
}

MemoryBudget::MemoryBudget(uint64_t mainPartSize, std::string path) : m_path(std::move(path)) {
    if (const std::string problem = memoryCeiling().problem; !problem.empty() && !g_ceilingForTests)
        throw Error(ErrorNumber::InvalidProcedureCall,
                    "The document " + inQuotes(m_path) + " cannot be opened: " + problem);
    m_limit = memoryLimitFor(mainPartSize);
}

void MemoryBudget::growFor(uint64_t mainPartSize) {
    m_limit = std::max(m_limit, memoryLimitFor(mainPartSize));
}

std::string readWithin(const zip::Package& package, const std::string& partName,
                       const MemoryBudget& budget) {
    budget.check(package.sizeOf(partName));
    return package.read(partName);
}

void MemoryBudget::take(uint64_t bytes) {
    check(bytes);
    m_taken += bytes;
}

void MemoryBudget::refuse() const {
    throw Error(ErrorNumber::OutOfMemory,
                "The document " + inQuotes(m_path) +
                    " is too large to work on: it would take more than " + mib(m_limit) +
                    " of memory, the most one document may take (" + std::to_string(kFactor) +
                    " times its main text, at most " + mib(ceiling()) + ").");
}

uint64_t estimatedMemoryLimitOf(const std::string& path) {
    try {
        const std::string bytes = readDocumentFile(path);
        return memoryLimitFor(bytes.starts_with("PK") ? largestPart(bytes) : bytes.size());
    } catch (const std::exception&) {
        return MemoryBudget::kFloor;
    }
}

} // namespace pellucor::word
