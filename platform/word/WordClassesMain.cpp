// Writes the word-break classes of the characters the segmenter's quick path
// reads, as the ICU the program is built against gives them, into a source
// file: the segmenter then starts without loading ICU.
//   pellucor-word-classes OUT.inc
#include "WordSegmenter.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <unicode/uchar.h>
#include <unicode/uvernum.h>

namespace {

using pellucor::word::WordSegmenter;

WordSegmenter::Class fromIcu(int value) {
    using C = WordSegmenter::Class;
    switch (value) {
    case U_WB_OTHER:
        return C::Other;
    case U_WB_ALETTER:
        return C::ALetter;
    case U_WB_NUMERIC:
        return C::Numeric;
    case U_WB_MIDLETTER:
        return C::MidLetter;
    case U_WB_MIDNUM:
        return C::MidNum;
    case U_WB_MIDNUMLET:
        return C::MidNumLet;
    case U_WB_SINGLE_QUOTE:
        return C::SingleQuote;
    case U_WB_EXTENDNUMLET:
        return C::ExtendNumLet;
    case U_WB_WSEGSPACE:
        return C::WSegSpace;
    case U_WB_CR:
        return C::CR;
    case U_WB_LF:
        return C::LF;
    case U_WB_NEWLINE:
        return C::Newline;
    default:
        return C::Unsupported;
    }
}

void writeTable(std::ofstream& out, const char* name, UChar32 first, UChar32 count) {
    out << "constexpr uint8_t " << name << "[" << count << "] = {";
    for (UChar32 k = 0; k < count; ++k)
        out << (k % 32 == 0 ? "\n    " : "")
            << static_cast<int>(fromIcu(u_getIntPropertyValue(first + k, UCHAR_WORD_BREAK))) << ",";
    out << "\n};\n";
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pellucor-word-classes OUT.inc\n");
        return 2;
    }
    if (u_getIntPropertyValue('a', UCHAR_WORD_BREAK) != U_WB_ALETTER) {
        std::fprintf(stderr, "pellucor-word-classes: the Unicode character data could not be "
                             "loaded\n");
        return 1;
    }
    const std::string target = argv[1], partial = target + ".partial";
    {
        std::ofstream out(partial, std::ios::trunc);
        out << "// Word-break classes from ICU " U_ICU_VERSION ", made by pellucor-word-classes.\n";
        writeTable(out, "kLatinClasses", 0, 0x530);
        writeTable(out, "kPunctuationClasses", 0x2000, 0x70);
        if (!out.flush()) {
            std::fprintf(stderr, "pellucor-word-classes: %s could not be written\n",
                         partial.c_str());
            return 1;
        }
    }
    if (std::rename(partial.c_str(), target.c_str()) != 0) {
        std::perror(target.c_str());
        return 1;
    }
    return 0;
}
