// The folder walk on real folder trees: order, what is skipped, what is
// dropped, the yields to the event queue and the error report box.

#include "AddFolder.h"
#include "FolderTestSupport.h"
#include "support/ScriptedServices.h"

#include <algorithm>
#include <climits>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellucor::test {
namespace {

namespace fs = std::filesystem;
using Folders = std::vector<std::string>;

constexpr const char* kWalkLocation = "Brisolm2021/08/31.AddFolder.GetSubDirectories2016";

class FolderWalk : public ::testing::Test {
protected:
    Folders walk(Folders folders, bool recurse = true) {
        AddFolder::GetSubDirectories2016(folders, recurse, prompts, window);
        return folders;
    }
    std::string at(const std::string& folder) const { return entryOf(dir, folder); }

    // Runs `action` at the n-th yield to the event queue, counted from 1.
    void atYield(int n, std::function<void()> action) {
        window.onDoEvents = [this, n, action] {
            if (window.doEventsCalls == n)
                action();
        };
    }

    void expectNoReports() {
        EXPECT_TRUE(prompts.boxes.empty())
            << "the walk showed a box: " << prompts.boxes.front().text;
    }

    TempDir dir;
    ScriptedWindow window;
    ScriptedPrompts prompts;
};

TEST_F(FolderWalk, EmptyListComesBackEmptyWithoutYielding) {
    EXPECT_TRUE(walk({}).empty());
    EXPECT_EQ(window.doEventsCalls, 0);
    expectNoReports();
}

TEST_F(FolderWalk, StartEntriesThatAreNotFoldersStayUntouched) {
    writeFile(dir.file("note.txt"), "x");
    Folders start{at("missing"), at("note.txt"), "", dir.file("note.txt")};
    EXPECT_EQ(walk(start), start);
    EXPECT_EQ(window.doEventsCalls, 0) << "an entry that is not a folder was opened";
    expectNoReports();
}

TEST_F(FolderWalk, ListsShallowerLevelsFirst) {
    makeFolders(dir, {"R/A/A1/A2", "R/B/B1"});
    writeFile(dir.file("R/file.txt"), "files are not folders");
    EXPECT_EQ(walk({at("R")}), (Folders{at("R"), at("R/A"), at("R/B"), at("R/A/A1"), at("R/B/B1"),
                                        at("R/A/A1/A2")}));
    expectNoReports();
}

TEST_F(FolderWalk, SubfoldersComeInUpperCasedOrdinalOrder) {
    // Upper-cased: "A" < "B" < "Z" < "_X"; byte order or lower-casing differ.
    makeFolders(dir, {"R/b", "R/A", "R/_x", "R/Z"});
    EXPECT_EQ(walk({at("R")}), (Folders{at("R"), at("R/A"), at("R/b"), at("R/Z"), at("R/_x")}));
}

TEST_F(FolderWalk, WithoutRecurseOnlyDirectSubfoldersAreAdded) {
    makeFolders(dir, {"R/A/A1", "R/B"});
    EXPECT_EQ(walk({at("R")}, false), (Folders{at("R"), at("R/A"), at("R/B")}));
}

TEST_F(FolderWalk, DuplicateEntriesAreWalkedEachTime) {
    makeFolders(dir, {"R/A/A1"});
    EXPECT_EQ(walk({at("R"), at("R")}),
              (Folders{at("R"), at("R"), at("R/A"), at("R/A"), at("R/A/A1"), at("R/A/A1")}));
}

TEST_F(FolderWalk, HiddenFoldersAreWalkedButLinksToFoldersNever) {
    makeFolders(dir, {"R/.hidden/inner", "Outside/Beyond"});
    fs::create_directory_symlink(dir.file("Outside"), dir.file("R/link"));
    fs::create_symlink(dir.file("gone"), dir.file("R/dangling"));
    EXPECT_EQ(walk({at("R")}), (Folders{at("R"), at("R/.hidden"), at("R/.hidden/inner")}));

    // A link given as the starting folder stays in the list but is not walked.
    EXPECT_EQ(walk({at("R/link")}), (Folders{at("R/link")}));
    expectNoReports();
}

TEST_F(FolderWalk, NamesTheCodePageCannotCarrySkipTheirWholeSubtree) {
    const Folders unusable{"ctl\x01", "what?", "del\x7f", "c1\xc2\x80", "bad\xff"};
    for (const auto& name : unusable)
        makeFolders(dir, {"R/" + name + "/child"});
    makeFolders(dir, {"R/caf\xc3\xa9", "R/nb\xc2\xa0sp", "R/\xe2\x82\xacuro"});
    EXPECT_EQ(walk({at("R")}), (Folders{at("R"), at("R/caf\xc3\xa9"), at("R/nb\xc2\xa0sp"),
                                        at("R/\xe2\x82\xacuro")}));
}

TEST_F(FolderWalk, LongFolderPathsAreWalkedLikeAnyOther) {
    const std::string a(100, 'a'), b(100, 'b'), c(100, 'c'), d(255, 'd');
    makeFolders(dir, {a + "/" + b + "/" + c + "/" + d + "/e"});
    const std::string deep = at(a + "/" + b + "/" + c);
    const std::string deepest = at(a + "/" + b + "/" + c + "/" + d);
    ASSERT_GE(deep.size(), 300u);
    EXPECT_EQ(walk({at(a)}), (Folders{at(a), at(a + "/" + b), deep, deepest, deepest + "e/"}));
    EXPECT_EQ(walk({deepest}), (Folders{deepest, deepest + "e/"}));
}

TEST_F(FolderWalk, FoldersBeyondTheLongestPathAreToldNotDropped) {
    const std::string level(250, 'x');
    std::string deep = at("R");
    fs::create_directory(dir.file("R"));
    int fd = ::open(dir.file("R").c_str(), O_PATH | O_DIRECTORY);
    for (; deep.size() < PATH_MAX + level.size(); deep += level + "/") {
        ASSERT_EQ(::mkdirat(fd, level.c_str(), 0700), 0);
        int inner = ::openat(fd, level.c_str(), O_PATH | O_DIRECTORY);
        ::close(fd);
        fd = inner;
    }
    ::close(fd);
    Folders folders{at("R")}, skipped;
    AddFolder::GetSubDirectories2016(folders, true, prompts, window, AddFolder::Names::CodePage,
                                     &skipped);
    ASSERT_EQ(skipped.size(), 1u);
    EXPECT_GE(skipped[0].size(), static_cast<size_t>(PATH_MAX));
    EXPECT_EQ(folders.back() + level + "/", skipped[0]);
}

TEST_F(FolderWalk, YieldsAfterOpeningBeforeEachSubfolderAndBeforeEachAppend) {
    makeFolders(dir, {"R/A", "R/B"});
    walk({at("R")}, false);
    EXPECT_EQ(window.doEventsCalls, 1 + 2 + 2);
}

TEST_F(FolderWalk, FolderThatCannotBeListedIsDroppedSilently) {
    makeFolders(dir, {"R/A", "S/inner"});
    // Yields: 1 opened R, 2 before R/A, 3 opened S. S then turns into a
    // file, so its attributes still read and only its listing fails.
    atYield(3, [&] {
        fs::remove_all(dir.file("S"));
        writeFile(dir.file("S"), "now a file");
    });
    EXPECT_EQ(walk({at("R"), at("S")}, false), (Folders{at("R"), at("R/A")}));
    expectNoReports();
}

TEST_F(FolderWalk, FolderGoneBeforeItsAppendIsReportedAndTheWalkGoesOn) {
    makeFolders(dir, {"R/A", "R/B", "R/C"});
    // Yields: 1 opened R, 2-4 before A, B, C, 5 and 6 before appending A, B.
    atYield(6, [&] { fs::remove(dir.file("R/B")); });
    EXPECT_EQ(walk({at("R")}, false), (Folders{at("R"), at("R/A"), at("R/C")}));
    auto reports = prompts.errorReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].text.find("Path not found"), std::string::npos) << reports[0].text;
    EXPECT_NE(reports[0].text.find(std::string("in ") + kWalkLocation + " at line 43\r\r"),
              std::string::npos)
        << reports[0].text;
    EXPECT_EQ(reports[0].icon, platform::Icon::Warning);
}

TEST_F(FolderWalk, RootIsWalkedAndADoubledSeparatorStays) {
    Folders expected{"/"};
    for (const auto& entry : fs::directory_iterator("/")) {
        if (entry.is_directory() && !entry.is_symlink())
            expected.push_back(entry.path().string() + "/");
    }
    Folders found = walk({"/"}, false);
    std::sort(expected.begin(), expected.end());
    Folders sorted = found;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, expected) << "the root's subfolders, links left out";

    Folders doubled = walk({"//"}, false);
    ASSERT_EQ(doubled.size(), found.size());
    for (size_t i = 1; i < doubled.size(); ++i)
        EXPECT_EQ(doubled[i], "/" + found[i]);
}

} // namespace
} // namespace pellucor::test
