#pragma once

#include <string>

namespace pellucor::word {

// How a plain-text file was written, so that it can be written back the same.
struct TextEncoding {
    enum class Kind { Utf8, Utf16LE, Utf16BE, Locale8Bit };
    Kind kind = Kind::Utf8;
    std::string byteOrderMark; // as it stood at the start of the file, or empty
    std::string charset;       // the locale's character set, for Locale8Bit
};

// The text of a file as UTF-8, and how it was encoded. UTF-8, UTF-16 with a
// byte-order mark and the locale's 8-bit character set are read, and only
// when writing the text back gives the very same bytes; anything else throws
// an Error naming path.
// The bytes are taken over, so that UTF-8 text is never copied.
std::string decodeText(std::string bytes, const std::string& path, TextEncoding& encoding);

// UTF-8 text written back in encoding, byte-order mark first; throws an Error
// naming target when a character has no place in the encoding.
std::string encodeText(std::string utf8, const TextEncoding& encoding, const std::string& target);

} // namespace pellucor::word
