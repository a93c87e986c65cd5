// libFuzzer target over the zip directory reader: any bytes either are
// refused with pellucor::Error naming the file, or give entries that the
// bytes bear out, record by record; the parts then read or are refused, and
// the package rewrites into one that lists the same entries.
#include "base/Error.h"
#include "zip/Package.h"
#include "zip/ZipDirectory.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

using namespace pellucor::zip;

namespace {

constexpr size_t kEndSize = 22;
constexpr size_t kCentralSize = 46;
constexpr uint32_t kMaxPartRead = 1 << 20;

[[noreturn]] void finding(const std::string& what) {
    std::fprintf(stderr, "fuzz_zip finding: %s\n", what.c_str());
    std::abort();
}

// The count the end record gives, or the large-archive end record before it.
uint64_t countedEntries(const std::string& zip, const ZipDirectory& directory) {
    if (directory.directoryEnd == directory.endAt)
        return zipRead16(zip, directory.endAt + 10);
    if (zipRead32(zip, directory.directoryEnd) != kZipLargeEndSignature)
        finding("the directory ends neither at the end record nor at a large-archive one");
    return zipRead64(zip, directory.directoryEnd + 32);
}

void checkRecord(const std::string& zip, const ZipEntry& entry, size_t directoryAt) {
    const size_t at = entry.recordAt;
    const size_t nameLength = zipRead16(zip, at + 28);
    if (zipRead32(zip, at) != kZipCentralSignature ||
        entry.recordSize !=
            kCentralSize + nameLength + zipRead16(zip, at + 30) + zipRead16(zip, at + 32) ||
        zip.compare(at + kCentralSize, nameLength, entry.name) != 0)
        finding("the entry " + entry.name + " is not the record its bytes hold");
    if (entry.localAt + entry.localSize > directoryAt ||
        zipRead32(zip, entry.localAt) != kZipLocalSignature ||
        entry.dataAt + entry.compressedSize > entry.localAt + entry.localSize)
        finding("the entry " + entry.name + " lies outside the data before the directory");
}

void checkListing(const std::string& zip, const ZipDirectory& directory) {
    if (directory.endAt + kEndSize > zip.size() ||
        zipRead32(zip, directory.endAt) != kZipEndSignature ||
        directory.directoryEnd > directory.endAt)
        finding("the end record is not where the directory says");
    size_t at = directory.directoryAt;
    for (const ZipEntry& entry : directory.entries) {
        if (entry.recordAt != at)
            finding("the records do not follow each other");
        checkRecord(zip, entry, directory.directoryAt);
        at += entry.recordSize;
    }
    if (at != directory.directoryEnd)
        finding("the records do not fill the directory");
    if (countedEntries(zip, directory) != directory.entries.size())
        finding("the entries listed are not as many as the end record counts");
}

void readParts(const Package& package, const ZipDirectory& directory) {
    for (const ZipEntry& entry : directory.entries) {
        if (entry.size > kMaxPartRead)
            continue;
        try {
            package.read(entry.name);
        } catch (const pellucor::Error&) {
            // damaged, encrypted or of another method: refused plainly
        }
    }
}

void checkRewrite(const Package& package, const ZipDirectory& directory) {
    std::map<std::string, std::string> replaced;
    if (!directory.entries.empty())
        replaced.emplace(directory.entries.front().name, "<x/>");
    ZipDirectory again;
    std::string reason;
    if (!readZipDirectory(package.rewrite(replaced), again, reason))
        finding("the rewritten package is refused: " + reason);
    if (again.entries.size() != directory.entries.size())
        finding("the rewritten package lists another number of entries");
    for (size_t i = 0; i < again.entries.size(); ++i)
        if (again.entries[i].name != directory.entries[i].name)
            finding("the rewritten package names entry " + std::to_string(i) + " otherwise");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    ZipDirectory directory;
    std::string reason;
    const bool listed = readZipDirectory(bytes, directory, reason);
    std::unique_ptr<Package> package;
    try {
        package = Package::fromBytes(bytes, "fuzzed.docx");
    } catch (const pellucor::Error& error) {
        if (listed)
            finding("the package refuses a directory that reads: " + std::string(error.what()));
        if (std::string(error.what()).find("\"fuzzed.docx\"") == std::string::npos)
            finding("the refusal does not name the file: " + std::string(error.what()));
        return 0;
    }
    if (!listed)
        finding("the package opens a directory that is refused: " + reason);
    checkListing(bytes, directory);
    readParts(*package, directory);
    checkRewrite(*package, directory);
    return 0;
}
