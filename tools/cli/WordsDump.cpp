#include "WordsDump.h"

#include "base/ErrorTrap.h"
#include "base/ShownName.h"
#include "base/Utf8.h"
#include "word/Application.h"

#include <cstdio>
#include <optional>

namespace pellucor::cli {
namespace {

// Where the bytes that are not UTF-8 go among the lone surrogates.
constexpr char32_t kByteEscapeBase = 0xDC00;

void appendEscape(std::string& out, char32_t code) {
    static const char* kHex = "0123456789abcdef";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += kHex[(code >> shift) & 0xF];
}

void escapeControl(std::string& out, char32_t c) {
    switch (c) {
    case '\r':
        out += "\\r";
        return;
    case '\n':
        out += "\\n";
        return;
    case '\t':
        out += "\\t";
        return;
    default:
        appendEscape(out, c);
    }
}

// Characters a reader of the file would see act on its lines.
bool isControl(char32_t code) {
    return code < 0x20 || (code >= 0x7F && code <= 0x9F) || code == 0x2028 || code == 0x2029;
}

void flush(std::string& pending) {
    std::fwrite(pending.data(), 1, pending.size(), stdout);
    pending.clear();
}

} // namespace

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    out.reserve(text.size() + 2);
    for (size_t at = 0; at < text.size();) {
        const text::Utf8Char c = text::decodeUtf8(text, at);
        if (!c.valid)
            appendEscape(out, kByteEscapeBase + c.code);
        else if (c.code == '"' || c.code == '\\')
            (out += '\\') += static_cast<char>(c.code);
        else if (isControl(c.code))
            escapeControl(out, c.code);
        else
            out.append(text, at, c.length);
        at += c.length;
    }
    return out + "\"";
}

int dumpWords(const std::string& path, Console& console, converter::ConverterService& conversions) {
    std::optional<word::Application> app;
    try {
        app = word::Application::Create(&conversions);
        word::WordCollection words = app->Documents().Open(path).Words();
        const int32_t count = words.Count();
        std::string pending;
        for (int32_t i = 1; i <= count; ++i) {
            pending += jsonString(words(i).Text()) + "\n";
            if (pending.size() >= 1 << 16)
                flush(pending);
        }
        flush(pending);
        std::fflush(stdout);
        app->Quit();
        return 0;
    } catch (const std::exception& error) {
        std::fflush(stdout);
        // As every problem of a run: the file first, then what went wrong.
        console.error("pellucor-cli: " + shownName(path) + ": " + describe(error));
        if (app)
            ignoringErrors([&] { app->Quit(); });
        return 1;
    }
}

} // namespace pellucor::cli
