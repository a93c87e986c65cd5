// Plain text is read without LibreOffice, one paragraph a line, and saved
// byte for byte as it was apart from the changed spaces: encoding,
// byte-order mark and line endings included. Whatever is neither text nor a
// document LibreOffice writes back is refused in plain words, nothing written.
#include "base/Error.h"
#include "BatchOfOne.h"
#include "LegacySupport.h"
#include "support/TempDir.h"
#include "support/TestConversions.h"
#include "word/TextEncoding.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

// glibc's newlocale() keeps its copy of LOCPATH, which the code-page test
// sets, for good: not a leak of ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:__argz_add_sep\n";
}

namespace pellucor::test {
namespace {

std::string utf16(const std::u16string& text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

std::string repeated(const std::string& text, int times) {
    std::string all;
    for (int k = 0; k < times; ++k)
        all += text;
    return all;
}

struct TextCase {
    const char* what;
    std::string name, before, after;
    int changed;
};

class PlainText : public ::testing::TestWithParam<TextCase> {
protected:
    TempDir dir;
    ScopedEnv locale{"LC_ALL", "C.UTF-8"};
};

TEST_P(PlainText, OnlyTheChangedSpacesDiffer) {
    const TextCase& c = GetParam();
    writeFile(dir.file(c.name), c.before);
    const std::string out = dir.file("out-" + c.name);
    EXPECT_EQ(
        tools::runBatchOn(dir.file(c.name), out, ".", Word1::Mode::Add, {}, &testConversions())
            .wordsRewritten(),
        c.changed)
        << c.what;
    EXPECT_EQ(readFile(out), c.after) << c.what;
    EXPECT_EQ(tools::runBatchOn(out, dir.file("back-" + c.name), ".", Word1::Mode::Remove, {},
                                &testConversions())
                  .wordsRewritten(),
              c.changed);
    EXPECT_EQ(readFile(dir.file("back-" + c.name)), c.before) << c.what << ", removed again";
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, PlainText,
    ::testing::Values(TextCase{"UTF-8, CRLF, no line end at the close", "a.txt",
                               "It ends. Next.\r\nMr. Smith left. Here",
                               "It ends.  Next.\r\nMr. Smith left.  Here", 2},
                      TextCase{"UTF-8 with a byte-order mark, LF", "b.txt",
                               "\xEF\xBB\xBFone. two.\n", "\xEF\xBB\xBFone.  two.\n", 1},
                      TextCase{"UTF-16LE, CR line ends, a word after an accented capital", "c.txt",
                               utf16(u"\u00C9mile. b\rc. d\r", false),
                               utf16(u"\u00C9mile.  b\rc.  d\r", false), 2},
                      TextCase{"UTF-16BE, a character beyond the basic plane", "d.txt",
                               utf16(u"x\U0001F600. y\n", true), utf16(u"x\U0001F600.  y\n", true),
                               1},
                      TextCase{"a .doc that is plain text, tabs and empty lines", "notes.doc",
                               "x.\tb. c\n\n\ny. z\n", "x.\tb.  c\n\n\ny.  z\n", 2},
                      TextCase{"nothing to change", "e.txt", "Mr. X\r\n", "Mr. X\r\n", 0},
                      TextCase{"Latin-1 in a UTF-8 locale", "f.txt",
                               "Caf\xE9 cr\xE8me. \xFC"
                               "ber. ok\n",
                               "Caf\xE9 cr\xE8me.  \xFC"
                               "ber.  ok\n",
                               2},
                      TextCase{"Windows-1252: euro, curly quotes, bytes it leaves unassigned",
                               "g.doc", "\x93Quoted\x94 is 5 \x80. \x81\x8D. \xE9t\xE9\r\n",
                               "\x93Quoted\x94 is 5 \x80.  \x81\x8D.  \xE9t\xE9\r\n", 2},
                      TextCase{"one line of many slices", "f.txt", repeated("x. ", 70000),
                               repeated("x.  ", 70000), 70000},
                      TextCase{"one line of many slices that needs the full rules", "g.txt",
                               repeated("e\u0301. ", 30000) + "\n",
                               repeated("e\u0301.  ", 30000) + "\n", 30000}));

struct Refused {
    const char* what;
    std::string bytes, says;
};

TEST(PlainTextRefused, WhatCannotBeKeptOrIsNoDocumentIsRefusedAndNothingWritten) {
    ScopedEnv locale("LC_ALL", "C.UTF-8");
    const Refused cases[] = {
        {"an empty file", "", "the file is empty"},
        {"UTF-8 that its byte-order mark claims but is not",
         "\xEF\xBB\xBF"
         "caf\xE9. ok",
         "not valid UTF-8"},
        {"binary data without a NUL", "\x01\x02\x03\x04\x05\x06 ok. \x10\x11",
         "not a word-processing"},
        {"UTF-16 cut in the middle of a character", "\xFF\xFEx\x00y", "middle of a character"},
        {"a picture", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16), "not a word-processing"},
        {"WordPerfect", "\xFFWPC\x10\x00\x00\x00", "can read but not write back"},
        {"Word 2", std::string("\xDB\xA5-\0", 4), "Word for Windows 2.0"},
        {"other XML", "<?xml version=\"1.0\"?><svg/>", "XML file, but not"},
        {"a megabyte of empty lines, each a paragraph", std::string(1u << 20, '\n'),
         "too large to work on"},
        {"the same ended by CR, counted as they are read", std::string(1u << 20, '\r'),
         "too large to work on"},
        {"a flat spreadsheet",
         "<?xml version=\"1.0\"?><office:document "
         "office:mimetype=\"application/vnd.oasis.opendocument.spreadsheet\"/>",
         "not a text"},
    };
    for (const Refused& c : cases) {
        TempDir dir;
        writeFile(dir.file("in.doc"), c.bytes);
        std::filesystem::create_directory(dir.file("out"));
        try {
            tools::runBatchOn(dir.file("in.doc"), dir.file("out/in.doc"), ".", Word1::Mode::Add, {},
                              &testConversions());
            ADD_FAILURE() << c.what << " was opened";
        } catch (const Error& error) {
            EXPECT_NE(error.description().find("in.doc"), std::string::npos) << c.what;
            EXPECT_NE(error.description().find(c.says), std::string::npos)
                << c.what << ": " << error.description();
        }
        EXPECT_EQ(dir.entries(), (std::vector<std::string>{"in.doc", "out"})) << c.what;
        EXPECT_TRUE(std::filesystem::is_empty(dir.file("out"))) << c.what;
        EXPECT_EQ(readFile(dir.file("in.doc")), c.bytes) << c.what;
    }
}

// Text in the locale's 8-bit character set goes through the Unicode library's
// converters, read and written back; a locale of that set is made for it.
TEST(PlainTextCodePage, LatinOneTextKeepsItsCharacterSet) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("locales"));
    const std::string make = "localedef -i en_US -f ISO-8859-1 " + dir.file("locales") +
                             "/en_US.ISO-8859-1 >/dev/null 2>&1";
    if (std::system(make.c_str()) != 0)
        GTEST_SKIP() << "localedef cannot make a Latin-1 locale here";
    ScopedEnv path("LOCPATH", dir.file("locales"));
    ScopedEnv locale("LC_ALL", "en_US.ISO-8859-1");
    const std::string before = "Caf\xE9 cr\xE8me. \xC0 bient\xF4t.\n";
    const std::string after = "Caf\xE9 cr\xE8me.  \xC0 bient\xF4t.\n";
    writeFile(dir.file("a.txt"), before);
    EXPECT_EQ(tools::runBatchOn(dir.file("a.txt"), dir.file("out.txt"), ".", Word1::Mode::Add, {},
                                &testConversions())
                  .wordsRewritten(),
              1);
    EXPECT_EQ(readFile(dir.file("out.txt")), after);
    EXPECT_EQ(tools::runBatchOn(dir.file("out.txt"), dir.file("back.txt"), ".", Word1::Mode::Remove,
                                {}, &testConversions())
                  .wordsRewritten(),
              1);
    EXPECT_EQ(readFile(dir.file("back.txt")), before);

    const word::TextEncoding latinOne{word::TextEncoding::Kind::CodePage, {}, "ISO-8859-1"};
    EXPECT_EQ(word::encodeText("\u00BD \u00FF", latinOne, "t.txt"), "\xBD \xFF");
    try {
        word::encodeText("5 \u20AC", latinOne, "t.txt");
        ADD_FAILURE() << "the euro sign has no place in Latin-1";
    } catch (const Error& error) {
        EXPECT_NE(error.description().find("\"t.txt\""), std::string::npos) << error.description();
        EXPECT_NE(error.description().find("ISO-8859-1"), std::string::npos) << error.description();
    }
}

} // namespace
} // namespace pellucor::test
