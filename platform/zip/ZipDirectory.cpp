#include "ZipDirectory.h"

#include "base/ShownName.h"

#include <algorithm>

namespace pellucor::zip {
namespace {

constexpr size_t kEndSize = 22;
constexpr size_t kCentralSize = 46;
constexpr size_t kLocalSize = 30;
constexpr size_t kLocatorSize = 20;
constexpr size_t kLargeEndSize = 56;

// What the end records say of the directory.
struct DirectoryBounds {
    uint64_t disk = 0;
    uint64_t directoryDisk = 0;
    uint64_t countOnDisk = 0;
    uint64_t count = 0;
    uint64_t size = 0;
    uint64_t offset = 0;
    size_t end = 0; // where the directory must end
};

bool refuse(std::string& reason, std::string text) {
    reason = std::move(text);
    return false;
}

bool damaged(std::string& reason, const std::string& what) {
    return refuse(reason, "the zip package is damaged (" + what + ")");
}

// The end-of-directory record, searched from the end of the file. Some
// writers leave bytes after it; the nearest record that fits is taken then.
bool findEnd(const std::string& zip, size_t& endAt) {
    if (zip.size() < kEndSize)
        return false;
    size_t lowest = zip.size() > kEndSize + 65535 + 1024 ? zip.size() - kEndSize - 65535 - 1024 : 0;
    bool found = false;
    for (size_t at = zip.size() - kEndSize + 1; at-- > lowest;) {
        if (zipRead32(zip, at) != kZipEndSignature)
            continue;
        size_t recordEnd = at + kEndSize + zipRead16(zip, at + 20);
        if (recordEnd == zip.size()) {
            endAt = at;
            return true;
        }
        if (recordEnd < zip.size() && !found) {
            endAt = at;
            found = true;
        }
    }
    return found;
}

DirectoryBounds readEnd(const std::string& zip, size_t endAt) {
    return {zipRead16(zip, endAt + 4),
            zipRead16(zip, endAt + 6),
            zipRead16(zip, endAt + 8),
            zipRead16(zip, endAt + 10),
            zipRead32(zip, endAt + 12),
            zipRead32(zip, endAt + 16),
            endAt};
}

// A locator just before the end record points to the large-archive end record,
// which holds the fields too wide for the end record. A directory that ends
// right at the end record needs none, whatever its last bytes look like.
bool hasLargeEnd(const std::string& zip, const DirectoryBounds& bounds) {
    return bounds.end >= kLocatorSize && bounds.offset + bounds.size != bounds.end &&
           zipRead32(zip, bounds.end - kLocatorSize) == kZipLocatorSignature;
}

// The end record's fields must each be the large one or stand for it (all ones).
bool agree(const DirectoryBounds& narrow, const DirectoryBounds& wide) {
    auto same = [](uint64_t small, uint64_t large, uint64_t allOnes) {
        return small == large || small == allOnes;
    };
    return same(narrow.disk, wide.disk, 0xFFFF) &&
           same(narrow.directoryDisk, wide.directoryDisk, 0xFFFF) &&
           same(narrow.countOnDisk, wide.countOnDisk, 0xFFFF) &&
           same(narrow.count, wide.count, 0xFFFF) && same(narrow.size, wide.size, 0xFFFFFFFF) &&
           same(narrow.offset, wide.offset, 0xFFFFFFFF);
}

// The large-archive end record must end where its locator begins.
bool readLargeEnd(const std::string& zip, DirectoryBounds& bounds, std::string& reason) {
    const size_t locator = bounds.end - kLocatorSize;
    const uint64_t at = zipRead64(zip, locator + 8);
    if (at > locator || locator - at < kLargeEndSize ||
        zipRead32(zip, at) != kZipLargeEndSignature || zipRead64(zip, at + 4) != locator - at - 12)
        return damaged(reason, "its large-archive end record is missing");
    if (zipRead32(zip, locator + 4) != 0 || zipRead32(zip, locator + 16) > 1)
        return refuse(reason, "the zip package is split over several disks");
    const DirectoryBounds large{zipRead32(zip, at + 16), zipRead32(zip, at + 20),
                                zipRead64(zip, at + 24), zipRead64(zip, at + 32),
                                zipRead64(zip, at + 40), zipRead64(zip, at + 48),
                                static_cast<size_t>(at)};
    if (!agree(bounds, large))
        return damaged(reason, "its end record and its large-archive end record disagree");
    bounds = large;
    return true;
}

// Nothing may lie between the directory and the record that ends it.
bool checkBounds(const DirectoryBounds& bounds, std::string& reason) {
    if (bounds.disk != 0 || bounds.directoryDisk != 0)
        return refuse(reason, "the zip package is split over several disks");
    if (bounds.countOnDisk != bounds.count)
        return damaged(reason, "its end record counts " + std::to_string(bounds.countOnDisk) +
                                   " records on this disk but " + std::to_string(bounds.count) +
                                   " in all");
    if (bounds.offset > bounds.end || bounds.size > bounds.end - bounds.offset)
        return refuse(
            reason,
            "the zip package is truncated or damaged (its directory lies outside the file)");
    if (bounds.offset + bounds.size != bounds.end)
        return damaged(reason, "its directory does not end where its end record begins");
    return true;
}

const char* readRecord(const std::string& zip, size_t at, size_t end, ZipEntry& entry) {
    if (end - at < kCentralSize)
        return "its directory is cut short";
    if (zipRead32(zip, at) != kZipCentralSignature)
        return "its directory holds bytes that are no entry record";
    entry.recordAt = at;
    entry.flags = static_cast<uint16_t>(zipRead16(zip, at + 8));
    entry.method = static_cast<uint16_t>(zipRead16(zip, at + 10));
    entry.crc = zipRead32(zip, at + 16);
    entry.compressedSize = zipRead32(zip, at + 20);
    entry.size = zipRead32(zip, at + 24);
    entry.localAt = zipRead32(zip, at + 42);
    const size_t nameLength = zipRead16(zip, at + 28);
    entry.recordSize =
        kCentralSize + nameLength + zipRead16(zip, at + 30) + zipRead16(zip, at + 32);
    if (entry.recordSize > end - at)
        return "its directory is cut short";
    entry.name = zip.substr(at + kCentralSize, nameLength);
    return nullptr;
}

// Every record that fills the directory's bytes, just as many as counted.
bool readRecords(const std::string& zip, const DirectoryBounds& bounds, ZipDirectory& directory,
                 std::string& reason) {
    directory.entries.clear();
    directory.entries.reserve(std::min<uint64_t>(bounds.count, bounds.size / kCentralSize));
    for (size_t at = bounds.offset; at < bounds.end; at += directory.entries.back().recordSize) {
        ZipEntry entry;
        if (const char* problem = readRecord(zip, at, bounds.end, entry))
            return damaged(reason, problem);
        directory.entries.push_back(std::move(entry));
    }
    if (directory.entries.size() != bounds.count)
        return damaged(reason, "its directory holds " + std::to_string(directory.entries.size()) +
                                   " records but its end record counts " +
                                   std::to_string(bounds.count));
    return true;
}

// The local header must sit where the directory says and carry the same name:
// readers that walk local headers would otherwise see another package.
const char* readLocal(const std::string& zip, ZipEntry& entry, size_t limit) {
    size_t at = entry.localAt;
    if (at + kLocalSize > limit)
        return "lies outside the file";
    if (zipRead32(zip, at) != kZipLocalSignature)
        return "has no local header where the directory puts it";
    const size_t nameLength = zipRead16(zip, at + 26);
    entry.dataAt = at + kLocalSize + nameLength + zipRead16(zip, at + 28);
    size_t end = entry.dataAt + entry.compressedSize;
    if (zipRead16(zip, at + 6) & kZipDataDescriptorFlag) {
        bool hasSignature = end + 4 <= limit && zipRead32(zip, end) == kZipDescriptorSignature;
        end += hasSignature ? 16 : 12;
    }
    if (end > limit)
        return "lies outside the file";
    if (zip.compare(at + kLocalSize, nameLength, entry.name) != 0)
        return "has a local header that names another part";
    entry.localSize = end - at;
    return nullptr;
}

bool readLocals(const std::string& zip, ZipDirectory& directory, std::string& reason) {
    for (ZipEntry& entry : directory.entries) {
        if (entry.compressedSize == 0xFFFFFFFF || entry.size == 0xFFFFFFFF ||
            entry.localAt == 0xFFFFFFFF)
            return refuse(reason,
                          "the zip package uses the large-archive format (ZIP64) for the entry " +
                              shownName(entry.name) + ", which no document needs");
        if (const char* problem = readLocal(zip, entry, directory.directoryAt))
            return refuse(reason, "the zip package is truncated or damaged (the entry " +
                                      shownName(entry.name) + " " + problem + ")");
    }
    return true;
}

} // namespace

bool readZipDirectory(const std::string& zip, ZipDirectory& directory, std::string& reason) {
    if (!findEnd(zip, directory.endAt))
        return refuse(reason, "the zip package is truncated or damaged (its directory is missing)");
    DirectoryBounds bounds = readEnd(zip, directory.endAt);
    if (hasLargeEnd(zip, bounds) && !readLargeEnd(zip, bounds, reason))
        return false;
    if (!checkBounds(bounds, reason))
        return false;
    directory.directoryAt = bounds.offset;
    directory.directoryEnd = bounds.end;
    return readRecords(zip, bounds, directory, reason) && readLocals(zip, directory, reason);
}

} // namespace pellucor::zip
