// "Add All Word File(s) In Folder": the two questions, the remembered
// answers, the extension as typed, and the hourglass while scanning.

#include "AddAll.h"

#include "FileListTestSupport.h"
#include "support/ScriptedServices.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace pellucor::test {
namespace {

using Paths = std::vector<std::string>;
using Stored = std::map<std::string, std::string>;

const std::string kLong = "sub/" + std::string(150, 'l') + "/" + std::string(150, 'm');

constexpr const char* kPrompt = "Enter file extension to load:\r\r(* for all files, txt for all "
                                "txt files, doc for all doc files, etc.)";

class AddAll : public ::testing::Test {
protected:
    void SetUp() override {
        // "d\xE9.doc" is Latin-1, not UTF-8: no row could name it, nor any
        // file below "bad\xFF". f.docm lies over 300 characters deep.
        for (const std::string& file : std::initializer_list<std::string>{
                 "a.doc", "~$a.doc", "c.txt", ".h.doc", "e.docx", "sub/b.DOC", "sub/d\xE9.doc",
                 "bad\xFF/g.doc", kLong + "/f.docm"}) {
            std::filesystem::create_directories(
                std::filesystem::path(dir.file(file)).parent_path());
            writeFile(dir.file(file), "x");
        }
    }
    // One click, answering the extension box and then, when given, the picker.
    Paths click(const std::string& extension, const std::string& folder = "") {
        prompts.queueInput(extension);
        if (!folder.empty())
            prompts.queueFolder(folder);
        filelist::addAllInFolder(rows, settings, prompts, window);
        return rows.rows;
    }

    TempDir dir;
    VectorRows rows;
    MemorySettings settings;
    ScriptedPrompts prompts;
    ScriptedWindow window;
};

TEST_F(AddAll, DefaultDocAddsMatchingDocumentsOfTheTreeAndRemembers) {
    std::vector<int> pointerDuringScan;
    window.onDoEvents = [&] { pointerDuringScan.push_back(window.pointer); };
    EXPECT_EQ(click("doc", dir.path()), Paths({dir.file("a.doc"), dir.file("e.docx"),
                                               dir.file("sub/b.DOC"), dir.file(kLong + "/f.docm")}))
        << "\"doc\" takes .docx and .docm too, at any depth";
    ASSERT_EQ(prompts.inputRequests.size(), 1u);
    EXPECT_EQ(prompts.inputRequests[0].prompt, kPrompt);
    EXPECT_EQ(prompts.inputRequests[0].defaultText, "doc");
    ASSERT_EQ(prompts.folderRequests.size(), 1u);
    EXPECT_EQ(prompts.folderRequests[0].prompt, "Please select folder:");
    EXPECT_EQ(prompts.folderRequests[0].initialFolder, "");
    EXPECT_EQ(settings.values, Stored({{"Extension", "doc"}, {"LastFolder", dir.path()}}));
    EXPECT_EQ(window.pointerChanges, std::vector<int>({11, 0}));
    ASSERT_FALSE(pointerDuringScan.empty());
    for (int pointer : pointerDuringScan)
        EXPECT_EQ(pointer, 11) << "events ran without the hourglass";
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(
        prompts.boxes[0].text,
        "1 file was left out: its name is not valid UTF-8, so the list cannot hold it.\r\n\r\n" +
            dir.file("sub/d") +
            "\\xe9.doc\r\n\r\n1 folder was left out with everything "
            "in it: its name holds characters the list cannot show.\r\n\r\n" +
            dir.file("bad") + "\\xff/");

    click("doc", dir.path());
    EXPECT_EQ(prompts.folderRequests[1].initialFolder, dir.path());
    EXPECT_EQ(rows.Count(), 8) << "a second scan of the same folder lists every file again";
}

TEST_F(AddAll, StarTakesEveryFileButLockFilesAndHiddenOnes) {
    EXPECT_EQ(click("*", dir.path()),
              Paths({dir.file("a.doc"), dir.file("c.txt"), dir.file("e.docx"),
                     dir.file("sub/b.DOC"), dir.file(kLong + "/f.docm")}));
    EXPECT_EQ(settings.values["Extension"], "*");
}

TEST_F(AddAll, ExtensionIsUsedAsTypedAndSaved) {
    EXPECT_TRUE(click(".doc", dir.path()).empty()) << "\"*..doc\" matched";
    EXPECT_EQ(settings.values["Extension"], ".doc");
    EXPECT_EQ(click("TXT", dir.path()), Paths({dir.file("c.txt")}));
    EXPECT_EQ(prompts.inputRequests[1].defaultText, ".doc");
}

TEST_F(AddAll, CancellingTheExtensionAsksNothingMoreAndSavesNothing) {
    settings.values["Extension"] = "docx";
    click("");
    EXPECT_EQ(prompts.inputRequests[0].defaultText, "docx");
    EXPECT_TRUE(prompts.folderRequests.empty());
    EXPECT_EQ(settings.values, Stored({{"Extension", "docx"}}));
    EXPECT_TRUE(window.pointerChanges.empty());
}

TEST_F(AddAll, CancellingThePickerKeepsTheNewExtensionOnly) {
    settings.values["LastFolder"] = "/earlier";
    click("txt"); // nothing queued for the picker: cancelled
    EXPECT_EQ(prompts.folderRequests[0].initialFolder, "/earlier");
    EXPECT_EQ(settings.values, Stored({{"Extension", "txt"}, {"LastFolder", "/earlier"}}));
    EXPECT_TRUE(rows.rows.empty());
    EXPECT_TRUE(window.pointerChanges.empty());
}

TEST_F(AddAll, FolderGoneSinceChosenAddsNothingAndResetsThePointer) {
    click("doc", dir.file("gone"));
    EXPECT_TRUE(rows.rows.empty());
    EXPECT_EQ(window.pointerChanges, std::vector<int>({11, 0}));
    // Listing it fails; the error report names the handler.
    ASSERT_EQ(prompts.errorReports().size(), 1u);
    EXPECT_NE(prompts.errorReports()[0].text.find("Kintara2021/08/31.Form1.PushButton6_Click"),
              std::string::npos)
        << prompts.errorReports()[0].text;
}

} // namespace
} // namespace pellucor::test
