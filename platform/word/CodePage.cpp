#include "CodePage.h"

#include "base/Icu.h"
#include "base/Utf8.h"

#include <algorithm>
#include <memory>

namespace pellucor::word {
namespace {

constexpr char32_t kUnassigned = 0xFFFFFFFF;
constexpr char32_t kPrivateUseBase = 0xF700; // + the byte

struct ConverterCloser {
    void operator()(UConverter* converter) const { icu::functions().converterClose(converter); }
};

using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter openEightBit(const icu::Functions& f, const std::string& charset) {
    UErrorCode status = U_ZERO_ERROR;
    Converter converter(f.converterOpen(charset.c_str(), &status));
    if (U_FAILURE(status) || f.converterMaxCharSize(converter.get()) != 1)
        return nullptr;
    UErrorCode stop = U_ZERO_ERROR; // no substitutes: an unassigned byte is an error
    f.converterSetToUnicodeCallback(converter.get(), f.toUnicodeStop, nullptr, nullptr, nullptr,
                                    &stop);
    return converter;
}

char32_t characterOf(const icu::Functions& f, UConverter* converter, unsigned char byte) {
    const char in = static_cast<char>(byte);
    UChar out[2] = {};
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = f.converterToUnicode(converter, out, 2, &in, 1, &status);
    if (U_FAILURE(status) || length != 1 || (out[0] >= 0xD800 && out[0] <= 0xDFFF))
        return kUnassigned;
    return out[0];
}

bool keepsAscii(const std::array<char32_t, 256>& characters) {
    for (unsigned char byte = 0x20; byte < 0x7F; ++byte)
        if (characters[byte] != byte)
            return false;
    return characters['\t'] == '\t' && characters['\n'] == '\n' && characters['\r'] == '\r';
}

} // namespace

std::optional<CodePage> CodePage::load(const std::string& charset) {
    const icu::Functions& f = icu::functions();
    Converter converter = openEightBit(f, charset);
    if (!converter)
        return std::nullopt;
    CodePage page;
    page.m_name = charset;
    bool assignsHighBytes = false;
    for (int byte = 0; byte < 256; ++byte) {
        const char32_t character =
            characterOf(f, converter.get(), static_cast<unsigned char>(byte));
        page.m_characters[static_cast<size_t>(byte)] = character;
        assignsHighBytes = assignsHighBytes || (byte >= 0x80 && character != kUnassigned);
    }
    if (!assignsHighBytes || !keepsAscii(page.m_characters) || !page.index())
        return std::nullopt;
    return page;
}

// Gives every byte a character no other byte has, and sorts the way back.
bool CodePage::index() {
    std::vector<std::pair<char32_t, unsigned char>> assigned;
    for (size_t byte = 0; byte < 256; ++byte)
        assigned.emplace_back(m_characters[byte], static_cast<unsigned char>(byte));
    std::sort(assigned.begin(), assigned.end());
    for (size_t k = 0; k < assigned.size(); ++k) {
        const bool repeated = k > 0 && assigned[k].first == assigned[k - 1].first;
        if (assigned[k].first == kUnassigned || repeated)
            m_characters[assigned[k].second] = kPrivateUseBase + assigned[k].second;
    }
    m_bytes.clear();
    for (size_t byte = 0; byte < 256; ++byte)
        m_bytes.emplace_back(m_characters[byte], static_cast<unsigned char>(byte));
    std::sort(m_bytes.begin(), m_bytes.end());
    return std::adjacent_find(m_bytes.begin(), m_bytes.end(), [](const auto& a, const auto& b) {
               return a.first == b.first;
           }) == m_bytes.end();
}

std::string CodePage::toUtf8(std::string_view bytes) const {
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 4);
    for (char byte : bytes)
        text::appendUtf8(text, m_characters[static_cast<unsigned char>(byte)]);
    return text;
}

bool CodePage::fromUtf8(std::string_view utf8, std::string& bytes) const {
    bytes.clear();
    bytes.reserve(utf8.size());
    for (size_t at = 0; at < utf8.size();) {
        const text::Utf8Char c = text::decodeUtf8(utf8, at);
        at += c.length;
        if (c.code < 0x80 && m_characters[c.code] == c.code) {
            bytes += static_cast<char>(c.code);
            continue;
        }
        auto found = std::lower_bound(m_bytes.begin(), m_bytes.end(),
                                      std::pair<char32_t, unsigned char>(c.code, 0));
        if (!c.valid || found == m_bytes.end() || found->first != c.code)
            return false;
        bytes += static_cast<char>(found->second);
    }
    return true;
}

} // namespace pellucor::word
