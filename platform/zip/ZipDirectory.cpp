#include "ZipDirectory.h"

namespace pellucor::zip {
namespace {

constexpr size_t kEndSize = 22;
constexpr size_t kCentralSize = 46;
constexpr size_t kLocalSize = 30;
constexpr size_t kLocatorSize = 20;
constexpr uint32_t kLocatorSignature = 0x07064b50;

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

} // namespace

bool readZipDirectory(const std::string& zip, ZipDirectory& directory, std::string& reason) {
    if (!findEnd(zip, directory.endAt)) {
        reason = "the zip package is truncated or damaged (its directory is missing)";
        return false;
    }
    const size_t end = directory.endAt;
    const uint32_t count = zipRead16(zip, end + 10);
    const uint32_t size = zipRead32(zip, end + 12);
    const uint32_t offset = zipRead32(zip, end + 16);
    if (zipRead16(zip, end + 4) != 0 || zipRead16(zip, end + 6) != 0) {
        reason = "the zip package is split over several disks";
        return false;
    }
    if (count == 0xFFFF || size == 0xFFFFFFFF || offset == 0xFFFFFFFF) {
        reason = "the zip package uses the large-archive format (ZIP64), which no document needs";
        return false;
    }
    if (size_t(offset) + size > end) {
        reason = "the zip package is truncated or damaged (its directory lies outside the file)";
        return false;
    }
    if (size_t(offset) + size + kLocatorSize <= end &&
        zipRead32(zip, end - kLocatorSize) == kLocatorSignature) {
        reason = "the zip package uses the large-archive format (ZIP64), which no document needs";
        return false;
    }
    directory.directoryAt = offset;
    directory.entries.clear();
    directory.entries.reserve(count);
    size_t at = offset;
    for (uint32_t i = 0; i < count; ++i) {
        if (at + kCentralSize > end || zipRead32(zip, at) != kZipCentralSignature) {
            reason = "the zip package is damaged (its directory is cut short)";
            return false;
        }
        ZipEntry entry;
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
        if (at + entry.recordSize > end) {
            reason = "the zip package is damaged (its directory is cut short)";
            return false;
        }
        entry.name = zip.substr(at + kCentralSize, nameLength);
        if (entry.compressedSize == 0xFFFFFFFF || entry.size == 0xFFFFFFFF ||
            entry.localAt == 0xFFFFFFFF) {
            reason = "the zip package uses the large-archive format (ZIP64) for the entry " +
                     entry.name + ", which no document needs";
            return false;
        }
        if (const char* problem = readLocal(zip, entry, offset)) {
            reason = "the zip package is truncated or damaged (the entry " + entry.name + " " +
                     problem + ")";
            return false;
        }
        directory.entries.push_back(std::move(entry));
        at += directory.entries.back().recordSize;
    }
    return true;
}

} // namespace pellucor::zip
