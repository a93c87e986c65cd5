#include "TextEncoding.h"

#include "base/Error.h"
#include "base/Icu.h"
#include "base/Utf8.h"

#include <clocale>
#include <langinfo.h>
#include <locale.h>
#include <memory>

namespace pellucor::word {
namespace {

using Kind = TextEncoding::Kind;

[[noreturn]] void refuse(const std::string& path, const std::string& why) {
    throw Error(ErrorNumber::UnsupportedFormat, "The document " + inQuotes(path) +
                                                    " cannot be opened: it is plain text, but " +
                                                    why + ".");
}

// The character set of the user's locale, as the environment names it.
std::string localeCharset() {
    locale_t locale = ::newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
    if (!locale)
        return "ANSI_X3.4-1968";
    std::string charset = ::nl_langinfo_l(CODESET, locale);
    ::freelocale(locale);
    return charset;
}

bool isUtf8Name(const std::string& charset) {
    return charset == "UTF-8" || charset == "utf8" || charset == "UTF8";
}

void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

char16_t unitAt(const std::string& bytes, size_t at, bool bigEndian) {
    const auto first = static_cast<unsigned char>(bytes[at]);
    const auto second = static_cast<unsigned char>(bytes[at + 1]);
    return static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
}

std::string fromUtf16(const std::string& bytes, bool bigEndian, const std::string& path) {
    if (bytes.size() % 2 != 0)
        refuse(path, "its UTF-16 text ends in the middle of a character");
    std::string out;
    out.reserve(bytes.size());
    for (size_t at = 2; at < bytes.size(); at += 2) {
        char32_t code = unitAt(bytes, at, bigEndian);
        if (code >= 0xD800 && code <= 0xDBFF && at + 3 < bytes.size()) {
            const char16_t low = unitAt(bytes, at + 2, bigEndian);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                at += 2;
            }
        }
        if (code >= 0xD800 && code <= 0xDFFF)
            refuse(path, "its UTF-16 text holds a broken surrogate pair");
        if (code == 0)
            refuse(path, "its UTF-16 text holds NUL characters");
        appendUtf8(out, code);
    }
    return out;
}

std::string toUtf16(const std::string& utf8, bool bigEndian) {
    std::string out;
    out.reserve(utf8.size() * 2);
    auto put = [&](char32_t unit) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    };
    for (size_t at = 0; at < utf8.size();) {
        text::Utf8Char c = text::decodeUtf8(utf8, at);
        at += c.length;
        if (c.code < 0x10000) {
            put(c.code);
        } else {
            put(0xD800 + ((c.code - 0x10000) >> 10));
            put(0xDC00 + ((c.code - 0x10000) & 0x3FF));
        }
    }
    return out;
}

struct ConverterCloser {
    void operator()(UConverter* converter) const { icu::functions().converterClose(converter); }
};

std::unique_ptr<UConverter, ConverterCloser> openCharset(const icu::Functions& f,
                                                         const std::string& charset) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UConverter, ConverterCloser> converter(
        f.converterOpen(charset.c_str(), &status));
    if (U_FAILURE(status))
        return nullptr;
    UErrorCode stop = U_ZERO_ERROR; // no substitutes: an unmapped byte is an error
    f.converterSetToUnicodeCallback(converter.get(), f.toUnicodeStop, nullptr, nullptr, nullptr,
                                    &stop);
    f.converterSetFromUnicodeCallback(converter.get(), f.fromUnicodeStop, nullptr, nullptr, nullptr,
                                      &stop);
    return converter;
}

// Converts between UTF-8 and charset through UTF-16; false when a character
// has no place in the other. Throws Error when ICU cannot be loaded.
bool convertCharset(const std::string& charset, const std::string& in, std::string& out,
                    bool toUtf8) {
    const icu::Functions& f = icu::functions();
    auto converter = openCharset(f, charset);
    if (!converter || in.size() > 0x3FFFFFFF)
        return false;
    const auto length = static_cast<int32_t>(in.size());
    std::u16string units(in.size() + 1, u'\0');
    UErrorCode status = U_ZERO_ERROR;
    int32_t unitCount = 0;
    if (toUtf8)
        unitCount = f.converterToUnicode(converter.get(), units.data(), length + 1, in.data(),
                                         length, &status);
    else
        f.stringFromUtf8(units.data(), length + 1, &unitCount, in.data(), length, &status);
    if (U_FAILURE(status))
        return false;
    out.assign(static_cast<size_t>(unitCount) * 4 + 1, '\0');
    int32_t written = 0;
    if (toUtf8)
        f.stringToUtf8(out.data(), static_cast<int32_t>(out.size()), &written, units.data(),
                       unitCount, &status);
    else
        written =
            f.converterFromUnicode(converter.get(), out.data(), static_cast<int32_t>(out.size()),
                                   units.data(), unitCount, &status);
    out.resize(static_cast<size_t>(written));
    return U_SUCCESS(status);
}

} // namespace

std::string decodeText(std::string bytes, const std::string& path, TextEncoding& encoding) {
    encoding = TextEncoding{};
    if (bytes.rfind("\xFF\xFE", 0) == 0 || bytes.rfind("\xFE\xFF", 0) == 0) {
        const bool bigEndian = bytes[0] == '\xFE';
        encoding = {bigEndian ? Kind::Utf16BE : Kind::Utf16LE, bytes.substr(0, 2), {}};
        return fromUtf16(bytes, bigEndian, path);
    }
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0)
        encoding.byteOrderMark = bytes.substr(0, 3);
    std::string text = std::move(bytes);
    text.erase(0, encoding.byteOrderMark.size());
    if (text::isValidUtf8(text))
        return text;
    const std::string charset = localeCharset();
    std::string decoded, again;
    bool readBack = false;
    try {
        readBack = encoding.byteOrderMark.empty() && !isUtf8Name(charset) &&
                   convertCharset(charset, text, decoded, true) &&
                   convertCharset(charset, decoded, again, false) && again == text;
    } catch (const Error& error) {
        throw Error(error.code(),
                    "The document " + inQuotes(path) + " cannot be opened. " + error.description());
    }
    if (readBack) {
        encoding = {Kind::Locale8Bit, {}, charset};
        return decoded;
    }
    refuse(path, "not in UTF-8, in UTF-16 with a byte-order mark or in this system's character "
                 "set (" +
                     charset + "), the encodings it could be saved back in unchanged");
}

std::string encodeText(std::string utf8, const TextEncoding& encoding, const std::string& target) {
    switch (encoding.kind) {
    case Kind::Utf16LE:
    case Kind::Utf16BE:
        return encoding.byteOrderMark + toUtf16(utf8, encoding.kind == Kind::Utf16BE);
    case Kind::Locale8Bit: {
        std::string out;
        bool converted = false;
        try {
            converted = convertCharset(encoding.charset, utf8, out, false);
        } catch (const Error& error) {
            throw Error(ErrorNumber::CannotSave, "Could not save " + inQuotes(target) + ". " +
                                                     error.description() +
                                                     " The file was left as it was.");
        }
        if (!converted)
            throw Error(ErrorNumber::CannotSave,
                        "Could not save " + inQuotes(target) +
                            ": a character of the changed text has no place in its character "
                            "set, " +
                            encoding.charset + ". The file was left as it was.");
        return out;
    }
    case Kind::Utf8:
        break;
    }
    utf8.insert(0, encoding.byteOrderMark);
    return utf8;
}

} // namespace pellucor::word
