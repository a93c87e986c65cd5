// The file listing and the file test on real folders: matching, order, what
// is never listed and the errors a caller sees.

#include "AddFolder.h"
#include "base/Error.h"
#include "FolderTestSupport.h"
#include "NameText.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace pellucor::test {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using AddFolder::FileIsOpenable;
using AddFolder::ListFiles;

class FileListing : public ::testing::Test {
protected:
    void touch(std::initializer_list<std::string> names) {
        for (const auto& name : names)
            writeFile(dir.file(name), name);
    }
    TempDir dir;
};

TEST_F(FileListing, NoMatchGivesOnlyTheEmptyFirstElement) {
    EXPECT_EQ(ListFiles(dir.path(), "*.*"), (Names{""})) << "empty folder";
    touch({"a.txt", "b.doc"});
    EXPECT_EQ(ListFiles(dir.path(), "*.docx"), (Names{""}));
}

TEST_F(FileListing, ManyMatchesComeAsElementsOneToN) {
    Names expected{""};
    for (int i = 150; i >= 1; --i) {
        char name[16];
        std::snprintf(name, sizeof name, "f%03d.docx", i);
        writeFile(dir.file(name), "x");
    }
    for (int i = 1; i <= 150; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "f%03d.docx", i);
        expected.push_back(name);
    }
    EXPECT_EQ(ListFiles(dir.path(), "*.docx"), expected);
}

TEST_F(FileListing, FinalSeparatorMakesNoDifference) {
    touch({"a.docx"});
    fs::create_directory(dir.file("sub"));
    writeFile(dir.file("sub/b.docx"), "x");
    EXPECT_EQ(ListFiles(dir.path(), "*.docx"), (Names{"", "a.docx"}));
    EXPECT_EQ(ListFiles(dir.path() + "/", "*.docx"), (Names{"", "a.docx"}));
    EXPECT_EQ(ListFiles(dir.file("sub") + "/", "*.docx"), (Names{"", "b.docx"}));
}

TEST_F(FileListing, NamesComeInUpperCasedOrdinalOrder) {
    // Upper-cased "A2" < "AB" < "B" < "_Z"; byte order would put "B" first.
    touch({"B.docx", "_z.docx", "a2.docx", "Ab.docx"});
    EXPECT_EQ(ListFiles(dir.path(), "*.docx"),
              (Names{"", "a2.docx", "Ab.docx", "B.docx", "_z.docx"}));
}

TEST_F(FileListing, NamesBeyondAsciiAreUpperCasedToo) {
    // Upper-cased "ZETA" < "ÉCLAIR" < "ÉZRA" < "ΩA" < "ΩMEGA" as UTF-16; byte
    // order would put "Ézra" before "éclair".
    touch({"Ωmega.docx", "ωa.docx", "Ézra.docx", "éclair.docx", "zeta.docx"});
    EXPECT_EQ(ListFiles(dir.path(), "*.docx"),
              (Names{"", "zeta.docx", "éclair.docx", "Ézra.docx", "ωa.docx", "Ωmega.docx"}));
    EXPECT_EQ(ListFiles(dir.path(), "ÉCLAIR.*"), (Names{"", "éclair.docx"}));
    EXPECT_EQ(ListFiles(dir.path(), "ΩA*"), (Names{"", "ωa.docx"}));
}

TEST(NameText, CaseFollowsTheSimpleUpperCaseMapping) {
    const std::pair<char32_t, char32_t> cases[] = {
        {U'a', U'A'}, {U'z', U'Z'}, {U'@', U'@'},   {U'{', U'{'}, {U'`', U'`'},
        {U'é', U'É'}, {U'ÿ', U'Ÿ'}, {U'ß', U'ß'},   {U'ſ', U'S'}, {U'ǆ', U'Ǆ'},
        {U'ω', U'Ω'}, {U'ж', U'Ж'}, {U'一', U'一'}, {U'𐐨', U'𐐀'}, {U'Σ', U'Σ'},
    };
    for (auto [code, upper] : cases)
        EXPECT_EQ(AddFolder::text::FoldedCode({code, true}), upper)
            << "U+" << std::hex << static_cast<uint32_t>(code);
}

TEST_F(FileListing, PatternsMatchWithoutRegardToCase) {
    touch({"A.DOCX", "b.Docx", "c.doc", "d.docxx", "e.docx.bak", "f.docx"});
    const Names expected{"", "A.DOCX", "b.Docx", "f.docx"};
    EXPECT_EQ(ListFiles(dir.path(), "*.docx"), expected);
    EXPECT_EQ(ListFiles(dir.path(), "*.DOCX"), expected);
}

// A three-character extension also lists the longer ones it begins, as the
// short names of the platform the patterns come from did; no other does.
TEST_F(FileListing, ThreeCharacterExtensionsAlsoMatchLongerOnes) {
    touch({"a.doc", "b.docx", "c.DOCM", "d.dotx", "e.do", "f.docx.bak", "g.doc.docx", "h.dc",
           "docx"});
    const std::pair<std::string, Names> cases[] = {
        {"*.doc", {"", "a.doc", "b.docx", "c.DOCM", "g.doc.docx"}},
        {"*.DOC", {"", "a.doc", "b.docx", "c.DOCM", "g.doc.docx"}},
        {"*.dot", {"", "d.dotx"}},
        {"*.do?", {"", "a.doc", "b.docx", "c.DOCM", "d.dotx", "g.doc.docx"}},
        {"*.do", {"", "e.do"}},
        {"*.docx", {"", "b.docx", "g.doc.docx"}},
        {"*.*",
         {"", "a.doc", "b.docx", "c.DOCM", "d.dotx", "docx", "e.do", "f.docx.bak", "g.doc.docx",
          "h.dc"}},
        {"a*.doc", {"", "a.doc"}},
    };
    for (const auto& [pattern, expected] : cases)
        EXPECT_EQ(ListFiles(dir.path(), pattern), expected) << pattern;
}

TEST_F(FileListing, AllFilesPatternAlsoMatchesNamesWithoutADot) {
    touch({"README", ".hidden", "a.b.c"});
    EXPECT_EQ(ListFiles(dir.path(), "*.*"), (Names{"", ".hidden", "a.b.c", "README"}));
    EXPECT_EQ(ListFiles(dir.path(), "README.*"), (Names{"", "README"}));
}

TEST_F(FileListing, QuestionMarkStandsForExactlyOneCharacter) {
    touch({"ab.txt", "a\xc3\xa9.txt", "abc.txt", "a.txt"});
    EXPECT_EQ(ListFiles(dir.path(), "a?.txt"), (Names{"", "ab.txt", "a\xc3\xa9.txt"}));
}

// Links are never followed: those matching the pattern are named apart.
TEST_F(FileListing, OnlyFilesAreListedAndLinksNamedApart) {
    touch({"real.docx"});
    fs::create_directory(dir.file("folder.docx"));
    fs::create_directory_symlink(dir.file("folder.docx"), dir.file("linked-folder.docx"));
    fs::create_symlink(dir.file("real.docx"), dir.file("linked-file.docx"));
    fs::create_symlink(dir.file("missing.docx"), dir.file("dangling.docx"));
    fs::create_symlink(dir.file("real.docx"), dir.file("linked.txt"));
    ASSERT_EQ(::mkfifo(dir.file("pipe.docx").c_str(), 0600), 0);
    Names links;
    EXPECT_EQ(ListFiles(dir.path(), "*.docx", &links), (Names{"", "real.docx"}));
    EXPECT_EQ(links, (Names{"dangling.docx", "linked-file.docx", "linked-folder.docx"}));
}

TEST_F(FileListing, FolderThatCannotBeListedRaisesPathNotFound) {
    touch({"a.docx"});
    for (const std::string& folder :
         {dir.file("missing"), dir.file("a.docx"), dir.path() + std::string("\0x", 2)}) {
        try {
            ListFiles(folder, "*.*");
            ADD_FAILURE() << "listing " << folder << " raised nothing";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), 76) << error.description();
            std::string shown = folder.substr(0, folder.find('\0'));
            EXPECT_NE(error.description().find(shown), std::string::npos)
                << "the message does not name the folder: " << error.description();
        }
    }
}

TEST_F(FileListing, FileTestOpensAnythingThatIsNotAFolder) {
    touch({"plain.docx", "locked.docx"});
    ASSERT_EQ(::chmod(dir.file("locked.docx").c_str(), 0), 0);
    fs::create_symlink(dir.file("plain.docx"), dir.file("link.docx"));
    fs::create_symlink(dir.file("missing.docx"), dir.file("dangling.docx"));
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);

    EXPECT_TRUE(FileIsOpenable(dir.file("plain.docx")));
    EXPECT_TRUE(FileIsOpenable(dir.file("locked.docx"))) << "no access rights are asked for";
    EXPECT_TRUE(FileIsOpenable(dir.file("link.docx")));
    EXPECT_TRUE(FileIsOpenable(dir.file("pipe"))) << "opening must not wait for a writer";

    EXPECT_FALSE(FileIsOpenable(dir.path()));
    EXPECT_FALSE(FileIsOpenable(dir.path() + "/"));
    EXPECT_FALSE(FileIsOpenable(dir.file("missing.docx")));
    EXPECT_FALSE(FileIsOpenable(dir.file("dangling.docx")));
    EXPECT_FALSE(FileIsOpenable(dir.file("plain.docx") + "/"));
    EXPECT_FALSE(FileIsOpenable(""));
    EXPECT_FALSE(FileIsOpenable(dir.file("plain.docx") + std::string("\0.x", 3)))
        << "a zero byte must not cut the path short";
}

} // namespace
} // namespace pellucor::test
