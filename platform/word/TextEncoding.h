#pragma once

#include <string>

namespace pellucor::word {

// How a plain-text file was written, so that it can be written back the same.
struct TextEncoding {
    enum class Kind { Utf8, Utf16LE, Utf16BE, CodePage };
    Kind kind = Kind::Utf8;
    std::string byteOrderMark; // as it stood at the start of the file, or empty
    std::string charset;       // the 8-bit character set, for CodePage
};

// The text of a file as UTF-8, and how it was encoded: UTF-8, UTF-16 with a
// byte-order mark, or else an 8-bit code page (the locale's character set
// when that is one, Windows-1252 otherwise), which reads every byte and
// writes each back as it was. Throws an Error naming path for broken UTF-16,
// or UTF-8 that its byte-order mark claims but that is not. The bytes are
// taken over, so that UTF-8 text is never copied.
std::string decodeText(std::string bytes, const std::string& path, TextEncoding& encoding);

// UTF-8 text written back in encoding, byte-order mark first; throws an Error
// naming target when a character has no place in the encoding.
std::string encodeText(std::string utf8, const TextEncoding& encoding, const std::string& target);

} // namespace pellucor::word
