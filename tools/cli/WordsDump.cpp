#include "WordsDump.h"

#include "base/Error.h"
#include "base/ErrorTrap.h"
#include "word/Application.h"

#include <cstdio>
#include <optional>

namespace pellucor::cli {
namespace {

void escapeControl(std::string& out, unsigned char c) {
    static const char* kHex = "0123456789abcdef";
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
        out += "\\u00";
        out += kHex[c >> 4];
        out += kHex[c & 0xF];
    }
}

void flush(std::string& pending) {
    std::fwrite(pending.data(), 1, pending.size(), stdout);
    pending.clear();
}

} // namespace

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\')
            (out += '\\') += c;
        else if (byte < 0x20 || byte == 0x7F)
            escapeControl(out, byte);
        else
            out += c;
    }
    return out + "\"";
}

int dumpWords(const std::string& path, Console& console) {
    std::optional<word::Application> app;
    try {
        app = word::Application::Create();
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
        // The engine's own errors name the document already.
        const bool named = dynamic_cast<const Error*>(&error) != nullptr;
        console.error("pellucor-cli: " + (named ? "" : path + ": ") + describe(error));
        if (app)
            ignoringErrors([&] { app->Quit(); });
        return 1;
    }
}

} // namespace pellucor::cli
