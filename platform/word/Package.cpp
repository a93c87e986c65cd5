#include "Package.h"

#include "Error.h"
#include "ZipRewriter.h"

#include <zip.h>

namespace pellucor::word {
namespace {

struct SourceCloser {
    void operator()(zip_source_t* source) const { zip_source_free(source); }
};

} // namespace

std::string asciiLower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

Package::Package(std::string bytes, std::string displayName)
    : m_bytes(std::move(bytes)), m_displayName(std::move(displayName)) {}

Package::~Package() {
    if (m_archive)
        zip_discard(m_archive);
}

std::unique_ptr<Package> Package::fromBytes(std::string bytes, const std::string& displayName) {
    std::unique_ptr<Package> package(new Package(std::move(bytes), displayName));
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source =
        zip_source_buffer_create(package->m_bytes.data(), package->m_bytes.size(), 0, &error);
    if (!source)
        package->fail("it could not be read into memory");
    package->m_archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!package->m_archive) {
        zip_source_free(source);
        std::string reason = zip_error_strerror(&error);
        zip_error_fini(&error);
        package->fail("the zip package is damaged or truncated (" + reason + ")");
    }
    zip_int64_t count = zip_get_num_entries(package->m_archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(package->m_archive, i, ZIP_FL_ENC_RAW);
        if (name)
            package->m_index.emplace(asciiLower(name), i);
    }
    return package;
}

void Package::fail(const std::string& what) const {
    throw Error(ErrorNumber::FileCorrupted,
                "The document " + inQuotes(m_displayName) + " cannot be opened: " + what + ".");
}

int64_t Package::indexOf(const std::string& partName) const {
    auto found = m_index.find(asciiLower(partName));
    return found == m_index.end() ? -1 : found->second;
}

bool Package::contains(const std::string& partName) const {
    return indexOf(partName) >= 0;
}

std::string Package::read(const std::string& partName) const {
    int64_t index = indexOf(partName);
    if (index < 0)
        fail("the part " + partName + " is missing");
    zip_stat_t st;
    if (zip_stat_index(m_archive, index, 0, &st) != 0)
        fail("the part " + partName + " cannot be read");
    if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE)
        throw Error(ErrorNumber::FileCorrupted, "The document " + inQuotes(m_displayName) +
                                                    " cannot be opened: it is encrypted.");
    if (st.size > m_limits.maxPartSize)
        fail("the part " + partName + " would inflate to more than 512 MiB");
    if (st.comp_size > 0 && st.size / st.comp_size > m_limits.maxRatio)
        fail("the part " + partName + " is compressed beyond any real document (a zip bomb)");

    zip_file_t* file = zip_fopen_index(m_archive, index, 0);
    if (!file)
        fail("the part " + partName + " cannot be inflated (" +
             zip_error_strerror(zip_get_error(m_archive)) + ")");
    std::string data(st.size, '\0');
    zip_uint64_t done = 0;
    char probe = 0;
    while (true) {
        zip_int64_t n = done < st.size ? zip_fread(file, data.data() + done, st.size - done)
                                       : zip_fread(file, &probe, 1);
        if (n < 0) {
            std::string reason = zip_error_strerror(zip_file_get_error(file));
            zip_fclose(file);
            fail("the part " + partName + " is damaged (" + reason + ")");
        }
        if (n == 0)
            break;
        if (done >= st.size) {
            zip_fclose(file);
            fail("the part " + partName + " is longer than its recorded size");
        }
        done += static_cast<zip_uint64_t>(n);
    }
    zip_fclose(file);
    if (done != st.size)
        fail("the part " + partName + " is truncated");
    return data;
}

std::string Package::rewrite(const std::map<std::string, std::string>& replaced) const {
    try {
        if (auto quick = rewriteStoredZip(m_bytes, replaced))
            return *std::move(quick);
    } catch (const std::exception& error) {
        throw Error(ErrorNumber::CannotSave, "Could not write the package of " +
                                                 inQuotes(m_displayName) + ": " + error.what() + ".");
    }
    return rewriteThroughLibzip(replaced);
}

std::string Package::rewriteThroughLibzip(const std::map<std::string, std::string>& replaced) const {
    zip_error_t error;
    zip_error_init(&error);
    std::unique_ptr<zip_source_t, SourceCloser> sink(zip_source_buffer_create(nullptr, 0, 0, &error));
    if (!sink)
        throw Error(ErrorNumber::CannotSave, "Could not prepare the package of " +
                                                 inQuotes(m_displayName) + " in memory.");
    zip_source_keep(sink.get());
    zip_t* out = zip_open_from_source(sink.get(), ZIP_TRUNCATE, &error);
    if (!out) {
        zip_source_free(sink.get());
        throw Error(ErrorNumber::CannotSave, "Could not prepare the package of " +
                                                 inQuotes(m_displayName) + " in memory.");
    }
    auto abandon = [&](const std::string& what) {
        std::string reason = zip_error_strerror(zip_get_error(out));
        zip_discard(out);
        throw Error(ErrorNumber::CannotSave, "Could not write the package of " +
                                                 inQuotes(m_displayName) + ": " + what + " (" +
                                                 reason + ").");
    };

    std::map<std::string, const std::string*> byLowerName;
    for (const auto& [name, data] : replaced)
        byLowerName.emplace(asciiLower(name), &data);

    zip_int64_t count = zip_get_num_entries(m_archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(m_archive, i, ZIP_FL_ENC_RAW);
        zip_stat_t st;
        if (!name || zip_stat_index(m_archive, i, 0, &st) != 0)
            abandon("an entry could not be read");
        auto changed = byLowerName.find(asciiLower(name));
        zip_source_t* source =
            changed == byLowerName.end()
                ? zip_source_zip(out, m_archive, i, ZIP_FL_COMPRESSED, 0, -1)
                : zip_source_buffer(out, changed->second->data(), changed->second->size(), 0);
        if (!source)
            abandon(std::string("the entry ") + name + " could not be copied");
        zip_int64_t added = zip_file_add(out, name, source, ZIP_FL_ENC_GUESS);
        if (added < 0) {
            zip_source_free(source);
            abandon(std::string("the entry ") + name + " could not be added");
        }
        if (changed != byLowerName.end())
            zip_set_file_compression(out, added, ZIP_CM_DEFLATE, 6);
        if (st.valid & ZIP_STAT_MTIME)
            zip_file_set_mtime(out, added, st.mtime, 0);
        zip_uint8_t system = 0;
        zip_uint32_t attributes = 0;
        if (zip_file_get_external_attributes(m_archive, i, 0, &system, &attributes) == 0)
            zip_file_set_external_attributes(out, added, 0, system, attributes);
    }
    int commentLength = 0;
    const char* comment = zip_get_archive_comment(m_archive, &commentLength, ZIP_FL_ENC_RAW);
    if (comment && commentLength > 0)
        zip_set_archive_comment(out, comment, static_cast<zip_uint16_t>(commentLength));
    if (zip_close(out) != 0)
        abandon("the package could not be completed");

    std::string result;
    zip_stat_t st;
    if (zip_source_stat(sink.get(), &st) != 0 || zip_source_open(sink.get()) != 0)
        throw Error(ErrorNumber::CannotSave,
                    "Could not read back the new package of " + inQuotes(m_displayName) + ".");
    result.resize(st.size);
    zip_int64_t got = zip_source_read(sink.get(), result.data(), st.size);
    zip_source_close(sink.get());
    if (got < 0 || static_cast<zip_uint64_t>(got) != st.size)
        throw Error(ErrorNumber::CannotSave,
                    "Could not read back the new package of " + inQuotes(m_displayName) + ".");
    return result;
}

} // namespace pellucor::word
