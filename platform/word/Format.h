#pragma once

#include <string>

namespace pellucor::word {

// What a file holds, judged from its bytes and never from its name.
enum class FileFormat {
    Empty,
    ZipPackage,     // OOXML or ODF; the package decides
    CompoundFile,   // a .doc or .dot, or an encrypted OOXML package
    EncryptedOoxml, // a compound file holding an EncryptedPackage stream
    Rtf,
    Word2003Xml,  // WordprocessingML of Word 2003, one XML file
    FlatOdt,      // an OpenDocument text as one XML file
    FlatOtherOdf, // a spreadsheet, drawing… as one XML file
    Html,
    OtherXml,
    WordPerfect, // LibreOffice reads it but cannot write it back
    OldWord,     // Word for Windows 1 or 2: likewise
    PlainText,   // text without markup; its encoding is judged when it is read
    Unknown,
};

FileFormat sniffFormat(const std::string& bytes);

inline constexpr const char* kOdtMimeType = "application/vnd.oasis.opendocument.text";

} // namespace pellucor::word
