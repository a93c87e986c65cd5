#include "TextEncoding.h"

#include "base/Error.h"
#include "base/Utf8.h"
#include "CodePage.h"

#include <clocale>
#include <langinfo.h>
#include <locale.h>
#include <optional>

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
        text::appendUtf8(out, code);
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

constexpr const char* kFallbackCodePage = "windows-1252";

// The locale's character set when it is an 8-bit code page, else
// Windows-1252, which reads Latin-1 text as well.
CodePage codePageForText(const std::string& path) {
    try {
        if (std::optional<CodePage> page = CodePage::load(localeCharset()))
            return *page;
        if (std::optional<CodePage> page = CodePage::load(kFallbackCodePage))
            return *page;
    } catch (const Error& error) {
        throw Error(error.code(),
                    "The document " + inQuotes(path) + " cannot be opened. " + error.description());
    }
    refuse(path, std::string("in an 8-bit character set, and the Unicode library knows no ") +
                     kFallbackCodePage);
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
    if (!encoding.byteOrderMark.empty())
        refuse(path, "its text after the UTF-8 byte-order mark is not valid UTF-8");
    const CodePage page = codePageForText(path);
    encoding = {Kind::CodePage, {}, page.name()};
    return page.toUtf8(text);
}

std::string encodeText(std::string utf8, const TextEncoding& encoding, const std::string& target) {
    switch (encoding.kind) {
    case Kind::Utf16LE:
    case Kind::Utf16BE:
        return encoding.byteOrderMark + toUtf16(utf8, encoding.kind == Kind::Utf16BE);
    case Kind::CodePage: {
        std::string out;
        std::optional<CodePage> page;
        try {
            page = CodePage::load(encoding.charset);
        } catch (const Error& error) {
            throw Error(ErrorNumber::CannotSave, "Could not save " + inQuotes(target) + ". " +
                                                     error.description() +
                                                     " The file was left as it was.");
        }
        if (!page || !page->fromUtf8(utf8, out))
            throw Error(ErrorNumber::CannotSave,
                        "Could not save " + inQuotes(target) +
                            ": a character of the changed text has no place in its character "
                            "set, " +
                            encoding.charset + ". The file was left as it was.");
        // Bytes that are valid UTF-8 are read as UTF-8 when the file is
        // opened again: unless they say the same there, they would read as
        // other text.
        if (out != utf8 && text::isValidUtf8(out))
            throw Error(ErrorNumber::CannotSave,
                        "Could not save " + inQuotes(target) + ": in its character set, " +
                            encoding.charset +
                            ", the changed text would read as other text when opened again (its "
                            "bytes would be taken for UTF-8). The file was left as it was.");
        return out;
    }
    case Kind::Utf8:
        break;
    }
    utf8.insert(0, encoding.byteOrderMark);
    return utf8;
}

} // namespace pellucor::word
