#include "ZipRewriter.h"

#include "base/Error.h"
#include "base/ShownName.h"
#include "zip/Compression.h"
#include "zip/Package.h"

namespace pellucor::zip {
namespace {

constexpr uint64_t kZipLimit = 0xFFFFFFFFull;
// From this count on, readers look for the count in the large-archive end record.
constexpr size_t kLargeCount = 0xFFFF;

void appendNewEntry(std::string& out, std::string& central, const std::string& zip,
                    const ZipEntry& entry, const Deflated& deflated) {
    const auto localOffset = static_cast<uint32_t>(out.size());
    const uint16_t flags = entry.flags & kZipUtf8Flag;

    std::string header(30, '\0');
    zipPut32(header, 0, kZipLocalSignature);
    zipPut16(header, 4, 20);
    zipPut16(header, 6, flags);
    zipPut16(header, 8, 8);
    zipPut32(header, 10, zipRead32(zip, entry.recordAt + 12)); // modification time and date
    zipPut32(header, 14, deflated.crc);
    zipPut32(header, 18, static_cast<uint32_t>(deflated.data.size()));
    zipPut32(header, 22, static_cast<uint32_t>(deflated.size));
    zipPut16(header, 26, static_cast<uint32_t>(entry.name.size()));
    out += header;
    out += entry.name;
    out += deflated.data;

    std::string record = zip.substr(entry.recordAt, 46);
    zipPut16(record, 6, 20);
    zipPut16(record, 8, flags);
    zipPut16(record, 10, 8);
    zipPut32(record, 16, deflated.crc);
    zipPut32(record, 20, static_cast<uint32_t>(deflated.data.size()));
    zipPut32(record, 24, static_cast<uint32_t>(deflated.size));
    zipPut16(record, 30, 0); // no extra field: what it held described the old data
    zipPut32(record, 42, localOffset);
    central += record;
    central += entry.name;
    size_t commentAt =
        entry.recordAt + 46 + entry.name.size() + zipRead16(zip, entry.recordAt + 30);
    central.append(zip, commentAt, zipRead16(zip, entry.recordAt + 32));
}

// The end record with its comment; bytes some writers leave after it are not
// kept. A count too wide for it goes into a large-archive end record and its
// locator, written before it.
std::string endRecords(const std::string& zip, const ZipDirectory& directory, size_t directoryAt,
                       size_t directorySize) {
    const size_t count = directory.entries.size();
    const bool large = count >= kLargeCount;
    std::string end = zip.substr(directory.endAt, 22 + zipRead16(zip, directory.endAt + 20));
    zipPut32(end, 4, 0); // this disk and the directory's: the first and only one
    zipPut16(end, 8, static_cast<uint32_t>(large ? kLargeCount : count));
    zipPut16(end, 10, static_cast<uint32_t>(large ? kLargeCount : count));
    zipPut32(end, 12, static_cast<uint32_t>(directorySize));
    zipPut32(end, 16, static_cast<uint32_t>(directoryAt));
    if (!large)
        return end;
    std::string records(56 + 20, '\0');
    zipPut32(records, 0, kZipLargeEndSignature);
    zipPut64(records, 4, 56 - 12);
    zipPut16(records, 12, 45); // made by and needed: the version that brought these records
    zipPut16(records, 14, 45);
    zipPut64(records, 24, count);
    zipPut64(records, 32, count);
    zipPut64(records, 40, directorySize);
    zipPut64(records, 48, directoryAt);
    zipPut32(records, 56, kZipLocatorSignature);
    zipPut64(records, 64, directoryAt + directorySize);
    zipPut32(records, 72, 1); // disks in all
    return records + end;
}

} // namespace

std::string rewriteZip(const std::string& zip, const ZipDirectory& directory,
                       const std::map<std::string, std::string>& replaced) {
    std::map<std::string, Deflated> deflated;
    for (const auto& [name, data] : replaced)
        // A part too large for the package is refused below, without compressing it first.
        deflated.emplace(name, data.size() >= kZipLimit ? Deflated{{}, 0, data.size()}
                                                        : deflateRaw(data));
    return rewriteZip(zip, directory, deflated);
}

std::string rewriteZip(const std::string& zip, const ZipDirectory& directory,
                       const std::map<std::string, Deflated>& replaced) {
    struct Replacement {
        const std::string* name;
        const Deflated* data;
        bool used = false;
    };
    std::map<std::string, Replacement> byLowerName;
    for (const auto& [name, data] : replaced)
        byLowerName.emplace(asciiLower(name), Replacement{&name, &data});

    std::string out;
    std::string central;
    out.reserve(zip.size() + zip.size() / 8);
    for (const ZipEntry& entry : directory.entries) {
        // Names may be given with a leading slash, as Package::find takes them.
        auto change = byLowerName.find(asciiLower(entry.name));
        if (change == byLowerName.end())
            change = byLowerName.find("/" + asciiLower(entry.name));
        if (change != byLowerName.end()) {
            const Deflated& data = *change->second.data;
            if (data.size >= kZipLimit || data.data.size() >= kZipLimit)
                throw Error(ErrorNumber::CannotSave,
                            "the part " + shownName(entry.name) + " is too large");
            appendNewEntry(out, central, zip, entry, data);
            change->second.used = true;
            continue;
        }
        std::string record = zip.substr(entry.recordAt, entry.recordSize);
        zipPut32(record, 42, static_cast<uint32_t>(out.size()));
        out.append(zip, entry.localAt, entry.localSize);
        central += record;
        if (out.size() >= kZipLimit)
            throw Error(ErrorNumber::CannotSave, "the package would grow beyond 4 GiB");
    }
    for (const auto& [lowerName, change] : byLowerName)
        if (!change.used)
            throw Error(ErrorNumber::CannotSave,
                        "it has no part " + shownName(*change.name) + " to replace");
    if (out.size() + central.size() >= kZipLimit)
        throw Error(ErrorNumber::CannotSave, "the package would grow beyond 4 GiB");
    const std::string end = endRecords(zip, directory, out.size(), central.size());
    out += central;
    out += end;
    return out;
}

} // namespace pellucor::zip
