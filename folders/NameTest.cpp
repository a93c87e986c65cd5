#include "AddFolder.h"
#include "NameText.h"

#include <array>

namespace pellucor::AddFolder {
namespace {

constexpr int kQuestionMark = 63;

// The characters that Windows-1252 places at 128..159, by byte. Zero marks
// the five bytes it leaves undefined, which carry the C1 control of the same
// value.
constexpr std::array<char32_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The character's code in Windows-1252; a character it lacks converts to "?".
int windows1252Code(char32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF))
        return static_cast<int>(code);
    for (size_t i = 0; i < kWindows1252High.size(); ++i)
        if (kWindows1252High[i] == code)
            return static_cast<int>(0x80 + i);
    return kQuestionMark;
}

int codeIn(CodePage codePage, char32_t code) {
    if (codePage == CodePage::Windows1252)
        return windows1252Code(code);
    // Every character survives UTF-8 with its own code.
    return static_cast<int>(code);
}

bool unusable(int code) {
    return code < 32 || code == kQuestionMark || (code >= 127 && code <= 159);
}

} // namespace

bool HasUnusableChars(const std::string& name, CodePage codePage) {
    for (text::Character character : text::Decode(name)) {
        if (!character.valid || unusable(codeIn(codePage, character.code)))
            return true;
    }
    return false;
}

} // namespace pellucor::AddFolder
