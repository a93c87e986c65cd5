// A mutator that reaches past the zip layer: byte flips in a deflated part
// almost always end in a checksum error, so most mutations inflate one part
// of the package, change its XML and put the package together again.
#include <cstdint>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <zip.h>

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

namespace {

constexpr zip_uint64_t kMaxPartSize = 4 << 20;

struct Archive {
    zip_t* zip = nullptr;
    ~Archive() {
        if (zip)
            zip_discard(zip);
    }
};

bool isXmlName(const char* name) {
    size_t length = std::strlen(name);
    return (length > 4 && std::strcmp(name + length - 4, ".xml") == 0) ||
           (length > 5 && std::strcmp(name + length - 5, ".rels") == 0);
}

// Picks an entry, the main part and other XML parts more often than the rest.
zip_int64_t pickEntry(zip_t* zip, std::minstd_rand& random) {
    zip_int64_t count = zip_get_num_entries(zip, 0);
    if (count <= 0)
        return -1;
    for (int attempt = 0; attempt < 4; ++attempt) {
        zip_int64_t index = static_cast<zip_int64_t>(random() % count);
        const char* name = zip_get_name(zip, index, 0);
        if (name && (std::strstr(name, "document") || (isXmlName(name) && random() % 2)))
            return index;
    }
    return static_cast<zip_int64_t>(random() % count);
}

std::optional<std::string> inflatedEntry(zip_t* zip, zip_int64_t index) {
    zip_stat_t st;
    if (zip_stat_index(zip, index, 0, &st) != 0 || st.size > kMaxPartSize)
        return std::nullopt;
    std::string data(st.size, '\0');
    zip_file_t* file = zip_fopen_index(zip, index, 0);
    if (!file)
        return std::nullopt;
    zip_int64_t read = zip_fread(file, data.data(), data.size());
    zip_fclose(file);
    if (read != static_cast<zip_int64_t>(data.size()))
        return std::nullopt;
    return data;
}

// Writes the package again with entry `index` holding `part`; every other
// entry is copied as it is stored.
std::optional<std::string> repackaged(zip_t* in, zip_int64_t index, const std::string& part) {
    zip_source_t* sink = zip_source_buffer_create(nullptr, 0, 0, nullptr);
    zip_source_keep(sink);
    Archive out{zip_open_from_source(sink, ZIP_TRUNCATE, nullptr)};
    if (!out.zip) {
        zip_source_free(sink);
        zip_source_free(sink);
        return std::nullopt;
    }
    for (zip_int64_t i = 0, count = zip_get_num_entries(in, 0); i < count; ++i) {
        zip_source_t* source = i == index
                                   ? zip_source_buffer(out.zip, part.data(), part.size(), 0)
                                   : zip_source_zip(out.zip, in, i, ZIP_FL_COMPRESSED, 0, -1);
        const char* name = zip_get_name(in, i, ZIP_FL_ENC_RAW);
        if (!source || !name || zip_file_add(out.zip, name, source, ZIP_FL_ENC_RAW) < 0) {
            zip_source_free(source);
            zip_source_free(sink);
            return std::nullopt;
        }
    }
    int closed = zip_close(out.zip);
    if (closed == 0)
        out.zip = nullptr;
    std::string bytes;
    zip_stat_t st;
    if (closed == 0 && zip_source_stat(sink, &st) == 0 && zip_source_open(sink) == 0) {
        bytes.resize(st.size);
        if (zip_source_read(sink, bytes.data(), st.size) != static_cast<zip_int64_t>(st.size))
            bytes.clear();
        zip_source_close(sink);
    }
    zip_source_free(sink);
    return bytes.empty() ? std::nullopt : std::optional<std::string>(bytes);
}

std::optional<size_t> mutatePart(uint8_t* data, size_t size, size_t maxSize,
                                 std::minstd_rand& random) {
    zip_source_t* source = zip_source_buffer_create(data, size, 0, nullptr);
    Archive in{source ? zip_open_from_source(source, ZIP_RDONLY, nullptr) : nullptr};
    if (!in.zip) {
        zip_source_free(source);
        return std::nullopt;
    }
    zip_int64_t index = pickEntry(in.zip, random);
    std::optional<std::string> part = index < 0 ? std::nullopt : inflatedEntry(in.zip, index);
    if (!part)
        return std::nullopt;
    size_t used = part->size();
    part->resize(used + 64 + used / 8);
    used = LLVMFuzzerMutate(reinterpret_cast<uint8_t*>(part->data()), used, part->size());
    part->resize(used);
    std::optional<std::string> bytes = repackaged(in.zip, index, *part);
    if (!bytes || bytes->size() > maxSize)
        return std::nullopt;
    std::memcpy(data, bytes->data(), bytes->size());
    return bytes->size();
}

} // namespace

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize,
                                          unsigned int seed) {
    std::minstd_rand random(seed);
    if (random() % 8 != 0)
        if (std::optional<size_t> mutated = mutatePart(data, size, maxSize, random))
            return *mutated;
    return LLVMFuzzerMutate(data, size, maxSize);
}
