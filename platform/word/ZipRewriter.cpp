#include "ZipRewriter.h"

#include "Deflate.h"
#include "Package.h"

#include <cstdint>
#include <vector>

namespace pellucor::word {
namespace {

constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kDescriptorSignature = 0x08074b50;
constexpr uint16_t kDataDescriptorFlag = 1 << 3;
constexpr uint16_t kUtf8Flag = 1 << 11;

uint32_t read16(const std::string& s, size_t at) {
    return static_cast<unsigned char>(s[at]) | static_cast<unsigned char>(s[at + 1]) << 8;
}
uint32_t read32(const std::string& s, size_t at) {
    return read16(s, at) | read16(s, at + 2) << 16;
}
void put16(std::string& s, size_t at, uint32_t v) {
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void put32(std::string& s, size_t at, uint32_t v) {
    put16(s, at, v & 0xFFFF);
    put16(s, at + 2, v >> 16);
}

struct CentralRecord {
    size_t at = 0;   // in the original
    size_t size = 0; // fixed part, name, extra and comment
    std::string name;
    uint32_t localOffset = 0;
    uint32_t compressedSize = 0;
    uint16_t flags = 0;
};

std::optional<size_t> findEnd(const std::string& zip) {
    if (zip.size() < 22)
        return std::nullopt;
    size_t lowest = zip.size() > 22 + 65535 ? zip.size() - 22 - 65535 : 0;
    for (size_t at = zip.size() - 22 + 1; at-- > lowest;)
        if (read32(zip, at) == kEndSignature && at + 22 + read16(zip, at + 20) == zip.size())
            return at;
    return std::nullopt;
}

std::optional<std::vector<CentralRecord>> readDirectory(const std::string& zip, size_t end) {
    uint32_t count = read16(zip, end + 10);
    uint32_t size = read32(zip, end + 12);
    uint32_t offset = read32(zip, end + 16);
    if (read16(zip, end + 4) != 0 || read16(zip, end + 6) != 0 || count == 0xFFFF ||
        offset == 0xFFFFFFFF || size_t(offset) + size > end)
        return std::nullopt;
    std::vector<CentralRecord> records;
    size_t at = offset;
    for (uint32_t i = 0; i < count; ++i) {
        if (at + 46 > end || read32(zip, at) != kCentralSignature)
            return std::nullopt;
        CentralRecord record;
        record.at = at;
        record.flags = static_cast<uint16_t>(read16(zip, at + 8));
        record.compressedSize = read32(zip, at + 20);
        record.localOffset = read32(zip, at + 42);
        size_t nameLength = read16(zip, at + 28);
        record.size = 46 + nameLength + read16(zip, at + 30) + read16(zip, at + 32);
        if (at + record.size > end || record.compressedSize == 0xFFFFFFFF ||
            read32(zip, at + 24) == 0xFFFFFFFF || record.localOffset >= offset)
            return std::nullopt;
        record.name = zip.substr(at + 46, nameLength);
        records.push_back(std::move(record));
        at += record.size;
    }
    return records;
}

// The length of an entry's local record: header, data and data descriptor.
std::optional<size_t> localRecordLength(const std::string& zip, const CentralRecord& record,
                                        size_t directoryStart) {
    size_t at = record.localOffset;
    if (at + 30 > directoryStart || read32(zip, at) != kLocalSignature)
        return std::nullopt;
    size_t length = 30 + read16(zip, at + 26) + read16(zip, at + 28) + record.compressedSize;
    if (read16(zip, at + 6) & kDataDescriptorFlag) {
        bool signed_ = at + length + 4 <= directoryStart && read32(zip, at + length) == kDescriptorSignature;
        length += signed_ ? 16 : 12;
    }
    if (at + length > directoryStart)
        return std::nullopt;
    return length;
}

void appendNewEntry(std::string& out, std::string& central, const std::string& zip,
                    const CentralRecord& record, const std::string& data) {
    Deflated deflated = deflateRaw(data);
    const auto localOffset = static_cast<uint32_t>(out.size());
    const uint16_t flags = record.flags & kUtf8Flag;

    std::string header(30, '\0');
    put32(header, 0, kLocalSignature);
    put16(header, 4, 20);
    put16(header, 6, flags);
    put16(header, 8, 8);
    put32(header, 10, read32(zip, record.at + 12)); // modification time and date
    put32(header, 14, deflated.crc);
    put32(header, 18, static_cast<uint32_t>(deflated.data.size()));
    put32(header, 22, static_cast<uint32_t>(data.size()));
    put16(header, 26, static_cast<uint32_t>(record.name.size()));
    out += header;
    out += record.name;
    out += deflated.data;

    std::string entry = zip.substr(record.at, 46);
    put16(entry, 6, 20);
    put16(entry, 8, flags);
    put16(entry, 10, 8);
    put32(entry, 16, deflated.crc);
    put32(entry, 20, static_cast<uint32_t>(deflated.data.size()));
    put32(entry, 24, static_cast<uint32_t>(data.size()));
    put16(entry, 30, 0); // no extra field: what it held described the old data
    put32(entry, 42, localOffset);
    central += entry;
    central += record.name;
    size_t commentAt = record.at + 46 + record.name.size() + read16(zip, record.at + 30);
    central += zip.substr(commentAt, read16(zip, record.at + 32));
}

} // namespace

std::optional<std::string> rewriteStoredZip(const std::string& zip,
                                            const std::map<std::string, std::string>& replaced) {
    auto end = findEnd(zip);
    if (!end)
        return std::nullopt;
    auto records = readDirectory(zip, *end);
    if (!records)
        return std::nullopt;
    const size_t directoryStart = read32(zip, *end + 16);

    std::map<std::string, const std::string*> byLowerName;
    for (const auto& [name, data] : replaced)
        byLowerName.emplace(asciiLower(name), &data);
    if (byLowerName.size() != replaced.size())
        return std::nullopt;

    std::string out;
    std::string central;
    out.reserve(zip.size());
    size_t found = 0;
    for (const CentralRecord& record : *records) {
        auto change = byLowerName.find(asciiLower(record.name));
        if (change != byLowerName.end()) {
            if (uint64_t(change->second->size()) >= 0xFFFFFFFFull)
                return std::nullopt;
            appendNewEntry(out, central, zip, record, *change->second);
            ++found;
            continue;
        }
        auto length = localRecordLength(zip, record, directoryStart);
        if (!length || out.size() + *length >= 0xFFFFFFFFull)
            return std::nullopt;
        std::string entry = zip.substr(record.at, record.size);
        put32(entry, 42, static_cast<uint32_t>(out.size()));
        out.append(zip, record.localOffset, *length);
        central += entry;
    }
    if (found != replaced.size() || out.size() + central.size() >= 0xFFFFFFFFull)
        return std::nullopt;
    std::string endRecord = zip.substr(*end);
    put32(endRecord, 12, static_cast<uint32_t>(central.size()));
    put32(endRecord, 16, static_cast<uint32_t>(out.size()));
    out += central;
    out += endRecord;
    return out;
}

} // namespace pellucor::word
