#include "Format.h"

#include <string_view>

namespace pellucor::word {
namespace {

bool startsWith(const std::string& bytes, std::string_view prefix) {
    return bytes.size() >= prefix.size() &&
           std::string_view(bytes).substr(0, prefix.size()) == prefix;
}

} // namespace

FileFormat sniffFormat(const std::string& bytes) {
    using namespace std::string_view_literals;
    if (bytes.empty())
        return FileFormat::Empty;
    if (startsWith(bytes, "PK\x03\x04"sv) || startsWith(bytes, "PK\x05\x06"sv) ||
        startsWith(bytes, "PK\x07\x08"sv))
        return FileFormat::ZipPackage;
    if (startsWith(bytes, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"sv)) {
        // The stream's name sits in the compound file's directory in UTF-16.
        constexpr std::string_view encrypted = "E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e\0"sv;
        return bytes.find(encrypted) != std::string::npos ? FileFormat::EncryptedOoxml
                                                          : FileFormat::CompoundFile;
    }
    if (startsWith(bytes, "{\\rtf"))
        return FileFormat::Rtf;
    return FileFormat::Unknown;
}

} // namespace pellucor::word
