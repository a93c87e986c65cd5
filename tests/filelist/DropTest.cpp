// Dropping files and folders on the list: the order of rows, what a dropped
// folder contributes, and what is skipped inside folders only.

#include "Drop.h"

#include "FileListTestSupport.h"
#include "support/ScriptedServices.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace pellucor::test {
namespace {

using Paths = std::vector<std::string>;

class Drop : public ::testing::Test {
protected:
    // Creates the files (and their folders) under the scratch folder.
    void make(std::initializer_list<std::string> files) {
        for (const std::string& file : files) {
            std::filesystem::create_directories(std::filesystem::path(at(file)).parent_path());
            writeFile(at(file), "x");
        }
    }
    std::string at(const std::string& name) const { return dir.file(name); }
    Paths drop(const Paths& paths) {
        filelist::dropItems(paths, rows, prompts, window);
        return rows.rows;
    }

    TempDir dir;
    VectorRows rows;
    ScriptedPrompts prompts;
    ScriptedWindow window;
};

TEST_F(Drop, FolderAddsEveryFileButLockFiles) {
    make({"in/report.docx", "in/~$report.docx", "in/notes.txt"});
    EXPECT_EQ(drop({at("in")}), Paths({at("in/notes.txt"), at("in/report.docx")}));
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(Drop, NamesNoRowCanHoldAreCountedInOneBoxForTheWholeDrop) {
    make({"one/ok.doc", "two/ok.doc"});
    for (char odd = '\x80'; odd < '\x87'; ++odd)
        make({(odd < '\x84' ? "one/" : "two/") + std::string(1, odd) + ".doc"});
    EXPECT_EQ(drop({at("one"), at("two")}), Paths({at("one/ok.doc"), at("two/ok.doc")}));
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text,
              "7 files were left out: their names are not valid UTF-8, so the list cannot hold "
              "them.\r\n\r\n" +
                  at("one/\\x80.doc\r\n") + at("one/\\x81.doc\r\n") + at("one/\\x82.doc\r\n") +
                  at("one/\\x83.doc\r\n") + at("two/\\x84.doc\r\nand 2 more"));
}

TEST_F(Drop, SubfoldersFollowTheFolderShallowerFirst) {
    make({"in/z.doc", "in/a/a1.doc", "in/a/deep/d.doc", "in/b/b1.doc"});
    EXPECT_EQ(drop({at("in")}),
              Paths({at("in/z.doc"), at("in/a/a1.doc"), at("in/b/b1.doc"), at("in/a/deep/d.doc")}));
}

TEST_F(Drop, ItemsComeInTheDropsOrderEachTreeOnce) {
    make({"two/t.doc", "one/o.doc", "one/sub/s.doc", "loose.doc", "~$loose.doc"});
    // A dropped file is taken as it is: its name and form are not looked at.
    std::string loose = dir.path() + "//loose.doc";
    EXPECT_EQ(
        drop({at("two"), loose, at("one"), at("~$loose.doc")}),
        Paths({at("two/t.doc"), loose, at("one/o.doc"), at("one/sub/s.doc"), at("~$loose.doc")}));
}

TEST_F(Drop, FolderWithAFinalSeparatorGivesCleanPaths) {
    make({"in/a.doc", "in/sub/b.doc"});
    EXPECT_EQ(drop({at("in") + "/"}), Paths({at("in/a.doc"), at("in/sub/b.doc")}));
}

// Hidden here means a name starting with "."; every file has Archive, and
// Read-only when it cannot be written.
TEST_F(Drop, HiddenArchiveFileIsSkippedInsideAFolderButNotWhenDroppedItself) {
    make({"in/.hidden.doc", "in/.kept.doc", "in/plain.doc"});
    ASSERT_EQ(::chmod(at("in/.kept.doc").c_str(), 0444), 0); // Hidden + Archive + Read-only
    EXPECT_EQ(drop({at("in")}), Paths({at("in/.kept.doc"), at("in/plain.doc")}));
    rows.rows.clear();
    EXPECT_EQ(drop({at("in/.hidden.doc")}), Paths({at("in/.hidden.doc")}));
}

TEST_F(Drop, VanishedItemsAndEmptyFoldersAddNothing) {
    std::filesystem::create_directories(at("empty/inner"));
    EXPECT_TRUE(drop({at("gone.doc"), at("gone"), at("empty"), ""}).empty());
    EXPECT_TRUE(prompts.boxes.empty());
}

} // namespace
} // namespace pellucor::test
