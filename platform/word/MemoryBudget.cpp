#include "MemoryBudget.h"

#include "base/Error.h"
#include "DocumentState.h"
#include "zip/Package.h"
#include "zip/ZipDirectory.h"

#include <algorithm>
#include <cstdlib>

namespace pellucor::word {
namespace {

constexpr uint64_t kMiB = 1ull << 20;

uint64_t ceiling() {
    const char* text = std::getenv("PELLUCOR_MEMORY_LIMIT");
    if (!text || !*text)
        return MemoryBudget::kDefaultCeiling;
    char* end = nullptr;
    const unsigned long long mib = std::strtoull(text, &end, 10);
    return *end == '\0' && mib > 0 && mib < (1ull << 40) ? mib * kMiB
                                                         : MemoryBudget::kDefaultCeiling;
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

uint64_t memoryLimitFor(uint64_t mainPartSize) {
    const uint64_t wanted = std::max(MemoryBudget::kFloor, mainPartSize * MemoryBudget::kFactor);
    return std::min(wanted, ceiling());
}

MemoryBudget::MemoryBudget(uint64_t mainPartSize, std::string path)
    : m_limit(memoryLimitFor(mainPartSize)), m_path(std::move(path)) {}

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
        return memoryLimitFor(0);
    }
}

} // namespace pellucor::word
