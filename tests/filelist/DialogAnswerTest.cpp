// "Add Word File(s)": the file dialog's buffer as the dialog fills it, its
// reduction to full paths, the buffer's bound, and the handler's rows and
// boxes.

#include "DialogAnswer.h"

#include "FileListTestSupport.h"
#include "support/ScriptedServices.h"

#include <gtest/gtest.h>

namespace pellucor::test {
namespace {

using Paths = std::vector<std::string>;
using namespace std::string_literals;

TEST(DialogBuffer, ReducesToTheFullPathsOfTheChoice) {
    struct Case {
        const char* name;
        std::string buffer;
        Paths expected;
    } cases[] = {
        {"one file, unchanged", "D:\\Docs\\a.docx", {"D:\\Docs\\a.docx"}},
        {"one file, not normalised", "D:\\\\Docs\\a.docx", {"D:\\\\Docs\\a.docx"}},
        {"several files", "D:\\Docs\0a.docx\0b.doc"s, {"D:\\Docs\\a.docx", "D:\\Docs\\b.doc"}},
        {"several in the root", "D:\\\0a.docx\0b.doc"s, {"D:\\a.docx", "D:\\b.doc"}},
        {"cancelled", "", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(filelist::pathsFromDialogBuffer(c.buffer, '\\'), c.expected) << c.name;
    EXPECT_EQ(filelist::pathsFromDialogBuffer("/\0a.docx\0b.doc"s), Paths({"/a.docx", "/b.doc"}))
        << "the root folder gave a doubled separator";
}

TEST(DialogBuffer, HoldsFolderAndNamesAsTheDialogWritesThem) {
    EXPECT_EQ(filelist::dialogBufferOf({}), "");
    EXPECT_EQ(filelist::dialogBufferOf({"/docs/a.docx"}), "/docs/a.docx");
    EXPECT_EQ(filelist::dialogBufferOf({"/docs/a.docx", "/docs/b.doc"}), "/docs\0a.docx\0b.doc"s);
    EXPECT_EQ(filelist::dialogBufferOf({"/a.docx", "/b.doc"}), "/\0a.docx\0b.doc"s);
    // Names from two folders are given below the folder that holds both.
    Paths apart{"/docs/x/a.docx", "/docs/y/b.docx", "/docs/c.docx"};
    EXPECT_EQ(filelist::dialogBufferOf(apart), "/docs\0x/a.docx\0y/b.docx\0c.docx"s);
    EXPECT_EQ(filelist::pathsFromDialogBuffer(filelist::dialogBufferOf(apart)), apart);
}

// The buffer holds 30000 characters with its terminating NULs: one after a
// single path, two after several names.
TEST(DialogBuffer, ChoiceBeyondThirtyThousandCharactersIsItsOwnFailure) {
    auto fails = [](const Paths& chosen) {
        try {
            filelist::dialogBufferOf(chosen);
            return false;
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), 20476);
            EXPECT_NE(std::string(error.what()).find("30000"), std::string::npos);
            return true;
        }
    };
    std::string single = "/" + std::string(29998, 'a');
    EXPECT_FALSE(fails({single})) << "29999 characters and a NUL fit";
    EXPECT_TRUE(fails({single + "a"}));
    // "/d", three names after a NUL each, two NULs: 2 + 3 + 29993 + 2 = 30000.
    Paths three{"/d/" + std::string(9998, 'a'), "/d/" + std::string(9998, 'b'),
                "/d/" + std::string(9997, 'c')};
    EXPECT_FALSE(fails(three));
    three[2] += "c";
    EXPECT_TRUE(fails(three));
    // Characters count, not bytes.
    std::string accented;
    for (int i = 0; i < 20000; ++i)
        accented += "\xC3\xA9";
    EXPECT_FALSE(fails({"/" + accented}));
}

class AddWordFiles : public ::testing::Test {
protected:
    ScriptedPrompts prompts;
    VectorRows rows;
};

TEST_F(AddWordFiles, DialogShowsTheTitleAndFiltersAndCancelAddsNothing) {
    prompts.queueOpenFiles("");
    filelist::addWordFiles(rows, prompts);
    ASSERT_EQ(prompts.openRequests.size(), 1u);
    EXPECT_EQ(prompts.openRequests[0].title, "Add File(s) - Hold Ctrl to select multiple files");
    EXPECT_EQ(prompts.openRequests[0].filter, "Word Documents (*.do*)|*.do*|All Files (*.*)|*.*");
    EXPECT_TRUE(rows.rows.empty());
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(AddWordFiles, EveryChosenFileBecomesARowEvenTwice) {
    prompts.queueOpenFiles("/docs/a.docx");
    prompts.queueOpenFiles("/docs\0b.doc\0a.docx"s);
    prompts.queueOpenFiles("/docs/a.docx");
    for (int click = 0; click < 3; ++click)
        filelist::addWordFiles(rows, prompts);
    EXPECT_EQ(rows.rows, Paths({"/docs/a.docx", "/docs/b.doc", "/docs/a.docx", "/docs/a.docx"}));
}

TEST_F(AddWordFiles, TooManyFilesIsExplainedAndAddsNothing) {
    prompts.queueOpenFailure(Error(static_cast<ErrorNumber>(20476), "too small"));
    filelist::addWordFiles(rows, prompts);
    EXPECT_TRUE(rows.rows.empty());
    ASSERT_EQ(prompts.boxes.size(), 1u);
    const ShownBox& box = prompts.boxes[0];
    EXPECT_EQ(box.text, "You've selected too many files to add.\r\r"
                        "Please try adding via the \"Add All\" button.");
    EXPECT_EQ(box.buttons, platform::Buttons::OK);
    EXPECT_EQ(box.icon, platform::Icon::None);
    EXPECT_EQ(box.title, "");
}

} // namespace
} // namespace pellucor::test
