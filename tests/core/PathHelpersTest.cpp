// Path helpers: the joining and splitting rules with either separator, the
// file system questions that never raise, and the desktop folder.

#include "base/PathHelpers.h"

#include "base/DesktopFolder.h"
#include "base/Error.h"
#include "base/ShownName.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>

namespace pellucor::test {
namespace {

struct PathCase {
    std::string name;
    std::string path; // written with "\", tried with "\" and with "/"
    std::string expected;
    // With "/" a single leading separator is an absolute path, not half of
    // a network path: it stays single. Empty when the same as `expected`.
    std::string expectedWithSlash = {};
};

std::ostream& operator<<(std::ostream& out, const PathCase& c) {
    return out << c.name;
}

std::string withSeparator(std::string text, char separator) {
    std::replace(text.begin(), text.end(), '\\', separator);
    return text;
}

class NormalizePath : public ::testing::TestWithParam<std::tuple<PathCase, char>> {};

TEST_P(NormalizePath, CollapsesDoubledSeparators) {
    const auto& [c, separator] = GetParam();
    const std::string& expected =
        separator == '/' && !c.expectedWithSlash.empty() ? c.expectedWithSlash : c.expected;
    EXPECT_EQ(Main::NormalizePath(withSeparator(c.path, separator), separator),
              withSeparator(expected, separator));
}

INSTANTIATE_TEST_SUITE_P(
    Main, NormalizePath,
    ::testing::Combine(
        ::testing::Values(
            PathCase{"JoinedWithDoubled", R"(C:\Out\\a.docx)", R"(C:\Out\a.docx)"},
            PathCase{"NetworkPathKeepsTwoLeading", R"(\\server\share\\a.docx)",
                     R"(\\server\share\a.docx)"},
            PathCase{"OneLeadingBecomesTwo", R"(\server\a.docx)", R"(\\server\a.docx)",
                     R"(\server\a.docx)"},
            PathCase{"AbsoluteWithDoubled", R"(\out\\a.docx)", R"(\\out\a.docx)", R"(\out\a.docx)"},
            PathCase{"ThreeLeadingBecomeTwo", R"(\\\server\a.docx)", R"(\\server\a.docx)"},
            PathCase{"OnlySeparators", R"(\\\\\)", R"(\\)"},
            PathCase{"OneSeparator", R"(\)", R"(\\)", R"(\)"}, PathCase{"Empty", "", ""},
            PathCase{"ThreeInsideBecomeTwo", R"(C:\a\\\b)", R"(C:\a\\b)"},
            PathCase{"FourInsideBecomeTwo", R"(C:\a\\\\b)", R"(C:\a\\b)"},
            PathCase{"TrailingDoubled", R"(C:\Out\\)", R"(C:\Out\)"},
            PathCase{"NothingToDo", R"(C:\Out\a.docx)", R"(C:\Out\a.docx)"}),
        ::testing::Values('\\', '/')),
    [](const auto& row) {
        return std::get<0>(row.param).name +
               (std::get<1>(row.param) == '/' ? "_Slash" : "_Backslash");
    });

class FileNameOf : public ::testing::TestWithParam<std::tuple<PathCase, char>> {};

TEST_P(FileNameOf, TakesTheLastComponent) {
    const auto& [c, separator] = GetParam();
    EXPECT_EQ(pellucor::FileNameOf(withSeparator(c.path, separator), separator),
              withSeparator(c.expected, separator));
}

INSTANTIATE_TEST_SUITE_P(
    Main, FileNameOf,
    ::testing::Combine(::testing::Values(PathCase{"FullPath", R"(D:\In\a.docx)", "a.docx"},
                                         PathCase{"NameOnly", "a.docx", "a.docx"},
                                         PathCase{"TrailingSeparator", R"(D:\In\)", ""},
                                         PathCase{"Empty", "", ""},
                                         PathCase{"NetworkPath", R"(\\srv\a.docx)", "a.docx"}),
                       ::testing::Values('\\', '/')),
    [](const auto& row) {
        return std::get<0>(row.param).name +
               (std::get<1>(row.param) == '/' ? "_Slash" : "_Backslash");
    });

TEST(FileNameOf, OtherSeparatorIsPartOfTheName) {
    EXPECT_EQ(pellucor::FileNameOf("D:/In/a.docx", '\\'), "D:/In/a.docx");
    EXPECT_EQ(pellucor::FileNameOf(R"(D:\In\a.docx)"), R"(D:\In\a.docx)");
    EXPECT_EQ(Main::NormalizePath(R"(\\srv\\a)"), R"(\\srv\\a)");
}

TEST(ShownName, IsOneInertLineFromWhichTheBytesCanBeReadBack) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"Caf\u00e9 \u65e5\u672c/a b.docx", "Caf\u00e9 \u65e5\u672c/a b.docx"},
        {"a\nb\rc\td", "a\\nb\\rc\\td"},
        {std::string("\x1b[2J\x7f\0.docx", 11), "\\x1b[2J\\x7f\\x00.docx"},
        {"a\\nb", "a\\\\nb"},
        {"a\u0085b\u2028c cod.\u202Eexe", "a\\u0085b\\u2028c cod.\\u202eexe"},
        {"caf\xe9 \xe2\x82 \xed\xb3\xa9", "caf\\xe9 \\xe2\\x82 \\xed\\xb3\\xa9"}};
    for (const auto& [raw, shown] : cases)
        EXPECT_EQ(inQuotes(raw), "\"" + shown + "\"");
    EXPECT_EQ(shownLine("a\\n\x1b"), "a\\n\\x1b") << "a line keeps its backslashes";
}

struct EntryCase {
    std::string name;
    std::string relative; // inside a scratch folder holding "folder/" and "file.docx"
    bool folder;
    bool exists;
};

std::ostream& operator<<(std::ostream& out, const EntryCase& c) {
    return out << c.name;
}

class FileSystemQuestions : public ::testing::TestWithParam<EntryCase> {
protected:
    void SetUp() override {
        std::filesystem::create_directory(dir.file("folder"));
        writeFile(dir.file("file.docx"), "x");
        writeFile(dir.file("locked.docx"), "x");
        std::filesystem::permissions(dir.file("locked.docx"), std::filesystem::perms::owner_read);
        std::filesystem::create_directory_symlink(dir.file("folder"), dir.file("link"));
    }
    std::string pathOf(const std::string& relative) const {
        return relative == "<empty>" ? "" : dir.path() + relative;
    }
    TempDir dir;
};

TEST_P(FileSystemQuestions, AnswerWithoutRaising) {
    const std::string path = pathOf(GetParam().relative);
    bool folder = !GetParam().folder;
    bool exists = !GetParam().exists;
    EXPECT_NO_THROW(folder = IsFolder(path)) << path;
    EXPECT_NO_THROW(exists = FileExists(path)) << path;
    EXPECT_EQ(folder, GetParam().folder) << "IsFolder(\"" << path << "\")";
    EXPECT_EQ(exists, GetParam().exists) << "FileExists(\"" << path << "\")";
}

INSTANTIATE_TEST_SUITE_P(
    PathHelpers, FileSystemQuestions,
    ::testing::Values(EntryCase{"Folder", "/folder", true, true},
                      EntryCase{"FolderWithTrailingSeparator", "/folder/", true, true},
                      EntryCase{"File", "/file.docx", false, true},
                      EntryCase{"ReadOnlyFile", "/locked.docx", false, true},
                      EntryCase{"LinkToFolder", "/link", true, true},
                      EntryCase{"Missing", "/missing.docx", false, false},
                      EntryCase{"InsideMissingFolder", "/none/a.docx", false, false},
                      EntryCase{"UnderAFile", "/file.docx/a.docx", false, false},
                      EntryCase{"Empty", "<empty>", false, false}),
    [](const auto& row) { return row.param.name; });

struct DesktopCase {
    std::string name;
    std::optional<std::string> userDirs; // the file's text; no file when absent
    bool configHomeSet = false;          // the file under $XDG_CONFIG_HOME, not ~/.config
    std::string home = "~";              // "~" stands for a scratch folder; "" unsets HOME
    std::string expected;
};

std::string homeIn(std::string text, const std::string& home) {
    for (size_t at; (at = text.find('~')) != std::string::npos;)
        text.replace(at, 1, home);
    return text;
}

class DesktopFolder : public ::testing::TestWithParam<DesktopCase> {
protected:
    void SetUp() override {
        for (const char* name : {"HOME", "XDG_CONFIG_HOME"})
            if (const char* value = std::getenv(name))
                saved.emplace_back(name, value);
    }
    void TearDown() override {
        unsetenv("HOME");
        unsetenv("XDG_CONFIG_HOME");
        for (const auto& [name, value] : saved)
            setenv(name.c_str(), value.c_str(), 1);
    }
    std::vector<std::pair<std::string, std::string>> saved;
    TempDir dir;
};

TEST_P(DesktopFolder, FollowsTheUserDirsFile) {
    const DesktopCase& c = GetParam();
    const std::string home = dir.file("home");
    const std::string config = c.configHomeSet ? dir.file("config") : home + "/.config";
    std::filesystem::create_directories(config);
    std::filesystem::create_directories(home + "/.config");
    if (c.configHomeSet)
        writeFile(home + "/.config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"/not/this\"\n");
    if (c.userDirs)
        writeFile(config + "/user-dirs.dirs", homeIn(*c.userDirs, home));
    c.home.empty() ? unsetenv("HOME") : setenv("HOME", homeIn(c.home, home).c_str(), 1);
    c.configHomeSet ? setenv("XDG_CONFIG_HOME", config.c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(DesktopFolderPath(), homeIn(c.expected, home))
        << "the desktop folder read from " << config << "/user-dirs.dirs is wrong";
}

INSTANTIATE_TEST_SUITE_P(
    PathHelpers, DesktopFolder,
    ::testing::Values(
        DesktopCase{"NoFile", {}, false, "~", "~/Desktop/"},
        DesktopCase{"HomeExpanded", R"(XDG_DESKTOP_DIR="$HOME/Bureau")", false, "~", "~/Bureau/"},
        DesktopCase{"Unquoted", "XDG_DESKTOP_DIR=$HOME/plain/\n", false, "~", "~/plain/"},
        DesktopCase{"Cleaned", R"(XDG_DESKTOP_DIR="/d//e/./f/../g/")", false, "~", "/d/e/g/"},
        DesktopCase{"LastDesktopLineWins",
                    "# XDG_DESKTOP_DIR=\"/comment\"\nXDG_DESKTOP_DIR=\"/first\"\n"
                    " XDG_DESKTOP_DIR=\"/indented\"\nXDG_DOWNLOAD_DIR=\"/dl\"\n"
                    "XDG_DESKTOP_DIR=\"$HOME/last\"\r\n",
                    false, "~", "~/last/"},
        DesktopCase{"RelativeIgnored",
                    "XDG_DESKTOP_DIR=\"/kept\"\nXDG_DESKTOP_DIR=\"Bureau\"\nXDG_DESKTOP_DIR=\"\"\n",
                    false, "~", "/kept/"},
        DesktopCase{"OnlyRelative", R"(XDG_DESKTOP_DIR="./Bureau")", false, "~", "~/Desktop/"},
        DesktopCase{"ConfigHome", R"(XDG_DESKTOP_DIR="/from/config")", true, "~", "/from/config/"},
        DesktopCase{"ConfigHomeWithoutFile", {}, true, "~", "~/Desktop/"},
        DesktopCase{"HomeWithDoubledSeparators", {}, false, "~//./", "~/Desktop/"},
        DesktopCase{"NoHome", R"(XDG_DESKTOP_DIR="/x")", false, "", ""}),
    [](const auto& row) { return row.param.name; });

} // namespace
} // namespace pellucor::test
