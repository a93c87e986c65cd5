#include "Package.h"

#include "base/Error.h"
#include "zip/Compression.h"
#include "zip/ZipRewriter.h"

namespace pellucor::zip {

std::string asciiLower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

Package::Package(std::string bytes, std::string displayName)
    : m_bytes(std::move(bytes)), m_displayName(std::move(displayName)) {}

std::unique_ptr<Package> Package::fromBytes(std::string bytes, const std::string& displayName) {
    std::unique_ptr<Package> package(new Package(std::move(bytes), displayName));
    std::string reason;
    if (!readZipDirectory(package->m_bytes, package->m_directory, reason))
        package->fail(reason);
    for (size_t i = 0; i < package->m_directory.entries.size(); ++i)
        package->m_index.emplace(asciiLower(package->m_directory.entries[i].name), i);
    return package;
}

void Package::fail(const std::string& what) const {
    throw Error(ErrorNumber::FileCorrupted,
                "The document " + inQuotes(m_displayName) + " cannot be opened: " + what + ".");
}

const ZipEntry* Package::find(const std::string& partName) const {
    std::string key = asciiLower(partName);
    auto found = m_index.find(key);
    if (found == m_index.end() && !key.empty() && key[0] == '/')
        found = m_index.find(key.substr(1));
    return found == m_index.end() ? nullptr : &m_directory.entries[found->second];
}

bool Package::contains(const std::string& partName) const {
    return find(partName) != nullptr;
}

std::vector<std::string> Package::partNames() const {
    std::vector<std::string> names;
    names.reserve(m_directory.entries.size());
    for (const ZipEntry& entry : m_directory.entries)
        names.push_back(entry.name);
    return names;
}

uint64_t Package::sizeOf(const std::string& partName) const {
    const ZipEntry* entry = find(partName);
    return entry ? entry->size : 0;
}

std::string Package::read(const std::string& partName) const {
    const ZipEntry* entry = find(partName);
    if (!entry)
        fail("the part " + partName + " is missing");
    if (entry->encrypted())
        throw Error(ErrorNumber::PasswordIncorrect, "The document " + inQuotes(m_displayName) +
                                                        " cannot be opened: it is encrypted.");
    if (entry->size > m_limits.maxPartSize)
        fail("the part " + partName + " would inflate to more than 512 MiB");
    std::string_view stored(m_bytes.data() + entry->dataAt, entry->compressedSize);
    std::string data;
    if (entry->method == 0) {
        if (entry->compressedSize != entry->size)
            fail("the part " + partName + " is damaged (its sizes disagree)");
        data.assign(stored);
    } else if (entry->method == 8) {
        if (entry->compressedSize > 0 && entry->size / entry->compressedSize > m_limits.maxRatio)
            fail("the part " + partName + " is compressed beyond any real document (a zip bomb)");
        switch (inflateRaw(stored, entry->size, data)) {
        case InflateResult::Ok:
            break;
        case InflateResult::TooLong:
            fail("the part " + partName + " is longer than its recorded size");
        case InflateResult::Truncated:
            fail("the part " + partName + " is truncated");
        case InflateResult::Damaged:
            fail("the part " + partName + " is damaged (its compressed data is invalid)");
        }
    } else {
        fail("the part " + partName + " is compressed with a method (" +
             std::to_string(entry->method) + ") that documents do not use");
    }
    if (crcOf(data) != entry->crc)
        fail("the part " + partName + " is damaged (its checksum does not match)");
    return data;
}

namespace {

template <typename Parts>
std::string rewritten(const std::string& bytes, const ZipDirectory& directory,
                      const std::string& displayName, const Parts& replaced) {
    try {
        return rewriteZip(bytes, directory, replaced);
    } catch (const std::exception& error) {
        throw Error(ErrorNumber::CannotSave, "Could not write the package of " +
                                                 inQuotes(displayName) + ": " + error.what() + ".");
    }
}

} // namespace

std::string Package::rewrite(const std::map<std::string, std::string>& replaced) const {
    return rewritten(m_bytes, m_directory, m_displayName, replaced);
}

std::string Package::rewrite(const std::map<std::string, Deflated>& replaced) const {
    return rewritten(m_bytes, m_directory, m_displayName, replaced);
}

} // namespace pellucor::zip
