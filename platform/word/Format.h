#pragma once

#include <string>

namespace pellucor::word {

// What a file holds, judged from its first bytes and never from its name.
enum class FileFormat {
    Empty,
    ZipPackage,     // OOXML or ODF; the package decides
    CompoundFile,   // a .doc or .dot, or an encrypted OOXML package
    EncryptedOoxml, // a compound file holding an EncryptedPackage stream
    Rtf,
    Unknown,
};

FileFormat sniffFormat(const std::string& bytes);

inline constexpr const char* kOdtMimeType = "application/vnd.oasis.opendocument.text";

} // namespace pellucor::word
