#include "WordBinary.h"

#include "base/Error.h"
#include "converter/LegacyConverter.h"

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace pellucor::converter {
namespace {

constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr size_t kHeaderFatEntries = 109;
constexpr size_t kDirectoryEntrySize = 128;
constexpr size_t kMiniSectorSize = 64;
constexpr uint16_t kFibDot = 0x0001;
constexpr uint16_t kFibEncrypted = 0x0100;

// A compound file read just far enough to find one stream's first sector.
class CompoundReader {
public:
    explicit CompoundReader(const std::string& bytes) : m_bytes(bytes) {}

    bool readHeader() {
        if (m_bytes.size() < 512)
            return false;
        uint16_t shift = u16(0x1E);
        if (shift != 9 && shift != 12)
            return false;
        m_sectorSize = size_t{1} << shift;
        m_miniCutoff = u32(0x38);
        for (size_t i = 0; i < kHeaderFatEntries; ++i)
            if (uint32_t sector = u32(0x4C + 4 * i); sector < kEndOfChain)
                m_fatSectors.push_back(sector);
        return readDifatChain(u32(0x44));
    }

    // The offset of the first sector of the named stream, or nullopt. Every
    // stream's sectors are checked to lie within the file on the way.
    std::optional<size_t> streamStart(const std::u16string& name, bool& damaged) const {
        std::optional<size_t> found;
        uint32_t sector = u32(0x30);
        uint32_t miniStreamStart = kEndOfChain;
        for (size_t guard = 0; sector < kEndOfChain && guard < maxSectors(); ++guard) {
            std::optional<size_t> offset = sectorOffset(sector);
            if (!offset)
                return damaged = true, std::nullopt;
            for (size_t at = *offset; at < *offset + m_sectorSize; at += kDirectoryEntrySize) {
                if (!chainFits(at))
                    return damaged = true, std::nullopt;
                if (guard == 0 && at == *offset)
                    miniStreamStart = u32(at + 0x74); // the root entry comes first
                if (isStream(at, name)) {
                    found = u32(at + 0x78) < m_miniCutoff
                                ? miniSectorOffset(miniStreamStart, u32(at + 0x74))
                                : sectorOffset(u32(at + 0x74));
                    if (!found)
                        return damaged = true, std::nullopt;
                }
            }
            std::optional<uint32_t> next = fatEntry(sector);
            if (!next)
                return damaged = true, std::nullopt;
            sector = *next;
        }
        return found;
    }

    uint16_t u16(size_t at) const {
        if (at + 2 > m_bytes.size())
            return 0;
        return static_cast<uint16_t>(byte(at) | byte(at + 1) << 8);
    }

private:
    uint32_t u32(size_t at) const {
        if (at + 4 > m_bytes.size())
            return kEndOfChain;
        return uint32_t{u16(at)} | uint32_t{u16(at + 2)} << 16;
    }
    unsigned byte(size_t at) const { return static_cast<unsigned char>(m_bytes[at]); }
    size_t maxSectors() const { return m_bytes.size() / m_sectorSize + 1; }

    std::optional<size_t> sectorOffset(uint32_t sector) const {
        size_t offset = (size_t{sector} + 1) * m_sectorSize;
        if (sector >= kEndOfChain || offset + m_sectorSize > m_bytes.size())
            return std::nullopt;
        return offset;
    }

    // Where a sector of the mini stream, kept in the root entry's chain, lies.
    std::optional<size_t> miniSectorOffset(uint32_t chainStart, uint32_t miniSector) const {
        size_t at = size_t{miniSector} * kMiniSectorSize;
        if (at / m_sectorSize > maxSectors())
            return std::nullopt;
        uint32_t sector = chainStart;
        for (size_t skip = at / m_sectorSize; skip > 0; --skip) {
            std::optional<uint32_t> next = fatEntry(sector);
            if (!next)
                return std::nullopt;
            sector = *next;
        }
        std::optional<size_t> offset = sectorOffset(sector);
        if (!offset)
            return std::nullopt;
        return *offset + at % m_sectorSize;
    }

    bool readDifatChain(uint32_t sector) {
        for (size_t guard = 0; sector < kEndOfChain && guard < maxSectors(); ++guard) {
            std::optional<size_t> offset = sectorOffset(sector);
            if (!offset)
                return false;
            size_t entries = m_sectorSize / 4 - 1;
            for (size_t i = 0; i < entries; ++i)
                if (uint32_t fat = u32(*offset + 4 * i); fat < kEndOfChain)
                    m_fatSectors.push_back(fat);
            sector = u32(*offset + 4 * entries);
        }
        return true;
    }

    std::optional<uint32_t> fatEntry(uint32_t sector) const {
        size_t perSector = m_sectorSize / 4;
        if (sector / perSector >= m_fatSectors.size())
            return std::nullopt;
        std::optional<size_t> offset = sectorOffset(m_fatSectors[sector / perSector]);
        if (!offset)
            return std::nullopt;
        return u32(*offset + 4 * (sector % perSector));
    }

    // Whether the sectors of the stream (or of the root's mini stream) an
    // entry describes all lie whole within the file.
    bool chainFits(size_t at) const {
        uint8_t type = static_cast<uint8_t>(m_bytes[at + 0x42]);
        uint32_t size = u32(at + 0x78);
        if ((type != 2 && type != 5) || (type == 2 && size < m_miniCutoff) || size == 0)
            return true;
        uint32_t sector = u32(at + 0x74);
        for (size_t need = (size + m_sectorSize - 1) / m_sectorSize; need > 0; --need) {
            if (!sectorOffset(sector))
                return false;
            std::optional<uint32_t> next = fatEntry(sector);
            if (!next)
                return false;
            sector = *next;
        }
        return true;
    }

    bool isStream(size_t at, const std::u16string& name) const {
        if (m_bytes[at + 0x42] != 2 || u16(at + 0x40) != 2 * (name.size() + 1))
            return false;
        for (size_t i = 0; i < name.size(); ++i)
            if (u16(at + 2 * i) != name[i])
                return false;
        return true;
    }

    const std::string& m_bytes;
    size_t m_sectorSize = 512;
    uint32_t m_miniCutoff = 4096;
    std::vector<uint32_t> m_fatSectors;
};

} // namespace

WordBinaryFacts readWordBinaryFacts(const std::string& bytes) {
    WordBinaryFacts facts;
    CompoundReader reader(bytes);
    if (!reader.readHeader())
        return facts;
    bool damaged = false;
    std::optional<size_t> fib = reader.streamStart(u"WordDocument", damaged);
    if (!fib) {
        facts.kind = damaged ? WordBinaryFacts::Kind::Damaged : WordBinaryFacts::Kind::NotWord;
        return facts;
    }
    facts.kind = WordBinaryFacts::Kind::Document;
    uint16_t flags = reader.u16(*fib + 0x0A);
    facts.encrypted = (flags & kFibEncrypted) != 0;
    facts.isTemplate = (flags & kFibDot) != 0;
    return facts;
}

namespace {

bool hasDotExtension(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".dot";
}

} // namespace

LegacyFormat legacyFormatOfCompoundFile(const std::string& bytes, const std::string& path) {
    const std::string prefix = "The document " + inQuotes(path) + " cannot be opened: ";
    WordBinaryFacts facts = readWordBinaryFacts(bytes);
    switch (facts.kind) {
    case WordBinaryFacts::Kind::Damaged:
        throw Error(ErrorNumber::FileCorrupted,
                    prefix + "it is a Word 97-2003 file (.doc) whose structure is damaged or "
                             "truncated.");
    case WordBinaryFacts::Kind::NotWord:
        throw Error(ErrorNumber::UnsupportedFormat,
                    prefix + "it is an Office 97-2003 file but not a Word document (it holds no "
                             "WordDocument stream).");
    case WordBinaryFacts::Kind::Document:
        break;
    }
    if (facts.encrypted)
        throw Error(ErrorNumber::PasswordIncorrect,
                    prefix + "it is a Word 97-2003 document encrypted with a password.");
    // A template says so in its header; the name is the fallback for files
    // whose writer left the flag out.
    return facts.isTemplate || hasDotExtension(path) ? LegacyFormat::Dot : LegacyFormat::Doc;
}

} // namespace pellucor::converter
