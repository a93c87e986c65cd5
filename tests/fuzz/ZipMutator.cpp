// A mutator for the zip directory reader: byte flips seldom land on the few
// bytes that count and place the directory, so half the mutations change
// such a field by a little, as a writer that miscounts would (both counts of
// a record alike, at times), or copy or drop a whole directory record, the
// directory's size following at times; the other half are libFuzzer's own.
#include "zip/ZipDirectory.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

using namespace pellucor::zip;

namespace {

struct Field {
    uint8_t at;
    uint8_t width;      // in bytes
    uint8_t pairAt = 0; // the other count, when this is the count on this disk or in all
};

struct Record {
    uint32_t signature;
    size_t size; // the fixed part
    std::vector<Field> fields;
};

const std::array<Record, 4>& records() {
    static const std::array<Record, 4> list = {{
        {kZipEndSignature, 22, {{4, 2}, {6, 2}, {8, 2, 10}, {10, 2, 8}, {12, 4}, {16, 4}, {20, 2}}},
        {kZipLargeEndSignature,
         56,
         {{4, 8}, {16, 4}, {20, 4}, {24, 8, 32}, {32, 8, 24}, {40, 8}, {48, 8}}},
        {kZipLocatorSignature, 20, {{4, 4}, {8, 8}, {16, 4}}},
        {kZipCentralSignature, 46, {{20, 4}, {24, 4}, {28, 2}, {30, 2}, {32, 2}, {42, 4}}},
    }};
    return list;
}

uint64_t readField(const std::string& s, size_t at, unsigned width) {
    return width == 2 ? zipRead16(s, at) : width == 4 ? zipRead32(s, at) : zipRead64(s, at);
}

void writeField(std::string& s, size_t at, unsigned width, uint64_t value) {
    if (width == 2)
        zipPut16(s, at, static_cast<uint32_t>(value & 0xFFFF));
    else if (width == 4)
        zipPut32(s, at, static_cast<uint32_t>(value));
    else
        zipPut64(s, at, value);
}

uint64_t nudged(uint64_t value, unsigned width, std::minstd_rand& random) {
    switch (random() % 6) {
    case 0:
        return value + 1;
    case 1:
        return value - 1;
    case 2:
        return value + 46; // one directory record's fixed part
    case 3:
        return value + (uint64_t{1} << 16); // what a 16-bit count loses
    case 4:
        return 0;
    default:
        return width == 8 ? ~uint64_t{0} : (uint64_t{1} << (8 * width)) - 1;
    }
}

// A central record copied after itself or dropped: the directory then holds
// one record more or fewer than the end record counts. The end records may
// follow with the directory's size and where the large one lies.
void copyOrDrop(std::string& zip, size_t at, std::minstd_rand& random) {
    const size_t size =
        46 + zipRead16(zip, at + 28) + zipRead16(zip, at + 30) + zipRead16(zip, at + 32);
    if (at + size > zip.size())
        return;
    const bool copy = random() % 2;
    if (copy)
        zip.insert(at + size, zip, at, size);
    else
        zip.erase(at, size);
    if (random() % 2)
        return;
    const uint64_t delta = copy ? size : -uint64_t{size};
    const size_t end = zip.rfind("PK\x05\x06");
    const size_t large = zip.rfind("PK\x06\x06", end);
    const size_t locator = zip.rfind("PK\x06\x07", end);
    if (end != std::string::npos && end + 22 <= zip.size())
        zipPut32(zip, end + 12, static_cast<uint32_t>(zipRead32(zip, end + 12) + delta));
    if (large != std::string::npos && large + 56 <= zip.size())
        zipPut64(zip, large + 40, zipRead64(zip, large + 40) + delta);
    if (locator != std::string::npos && locator + 20 <= zip.size())
        zipPut64(zip, locator + 8, zipRead64(zip, locator + 8) + delta);
}

bool mutateStructure(std::string& zip, std::minstd_rand& random) {
    std::vector<std::pair<size_t, const Record*>> found;
    for (size_t at = 0; at + 4 <= zip.size(); ++at)
        for (const Record& record : records())
            if (zipRead32(zip, at) == record.signature && at + record.size <= zip.size())
                found.emplace_back(at, &record);
    if (found.empty())
        return false;
    const auto [at, record] = found[random() % found.size()];
    if (record->signature == kZipCentralSignature && random() % 4 == 0) {
        copyOrDrop(zip, at, random);
        return true;
    }
    const Field field = record->fields[random() % record->fields.size()];
    const uint64_t value = nudged(readField(zip, at + field.at, field.width), field.width, random);
    writeField(zip, at + field.at, field.width, value);
    if (field.pairAt && random() % 2)
        writeField(zip, at + field.pairAt, field.width, value);
    return true;
}

} // namespace

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize,
                                          unsigned int seed) {
    std::minstd_rand random(seed);
    if (random() % 2)
        return LLVMFuzzerMutate(data, size, maxSize);
    std::string zip(reinterpret_cast<const char*>(data), size);
    if (!mutateStructure(zip, random) || zip.size() > maxSize)
        return LLVMFuzzerMutate(data, size, maxSize);
    std::memcpy(data, zip.data(), zip.size());
    return zip.size();
}
