// The sample documents: LoadSampleFiles over a program folder of our own,
// and the documents that come with the program.

#include "Samples.h"

#include "BatchRun.h"
#include "FileListTestSupport.h"
#include "support/SavedText.h"
#include "support/ScriptedServices.h"
#include "support/TempDir.h"
#include "word/Application.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace pellucor::test {
namespace {

using Paths = std::vector<std::string>;
using platform::Answer;

class LoadSamples : public ::testing::Test {
protected:
    void load(Answer answer) {
        prompts.queue(answer);
        Main::LoadSampleFiles(rows, program.path(), prompts,
                              [this](const std::string& folder) { opened.push_back(folder); });
    }
    void makeSamples(std::initializer_list<std::string> names) {
        std::filesystem::create_directories(program.file("Samples"));
        for (const std::string& name : names)
            writeFile(samples + name, "x");
    }
    void expectQuestions(size_t count) {
        ASSERT_EQ(prompts.boxes.size(), count);
        for (const ShownBox& box : prompts.boxes) {
            EXPECT_EQ(box.text, "Would you like this software to open the folder where these "
                                "sample files are stored (so that you can view them before "
                                "working with them)?");
            EXPECT_EQ(box.buttons, platform::Buttons::YesNo);
            EXPECT_EQ(box.icon, platform::Icon::None);
            EXPECT_EQ(box.title, "");
        }
    }

    TempDir program;
    const std::string samples = program.path() + "/Samples/";
    VectorRows rows;
    ScriptedPrompts prompts;
    Paths opened;
};

TEST_F(LoadSamples, DocumentsAreAddedInListingOrderOnceThenTheQuestion) {
    makeSamples({"b.docx", ".hidden.docx", "A.docx"});
    std::string otherCase = program.path() + "/SAMPLES/b.docx"; // not the same text
    rows.rows = {otherCase};
    load(Answer::No);
    Paths expected{otherCase, samples + ".hidden.docx", samples + "A.docx", samples + "b.docx"};
    EXPECT_EQ(rows.rows, expected);
    EXPECT_TRUE(opened.empty());
    load(Answer::Yes);
    EXPECT_EQ(rows.rows, expected) << "a second load added duplicates";
    EXPECT_EQ(opened, Paths({samples}));
    expectQuestions(2);
}

TEST_F(LoadSamples, MissingOrEmptyFolderAddsNothingButStillAsks) {
    load(Answer::Yes);
    std::filesystem::create_directories(program.file("Samples/inner"));
    load(Answer::Yes);
    EXPECT_TRUE(rows.rows.empty());
    EXPECT_EQ(opened, Paths({samples, samples}));
    expectQuestions(2);
}

// The documents shipped beside the program, run through "Start Changing"
// with ".", "?" and "!" ticked and "Add space after sentence punctuation".
TEST(ShippedSamples, ShowTheJob) {
    Paths names;
    for (const auto& entry : std::filesystem::directory_iterator(PELLUCOR_SAMPLES_DIR))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    ASSERT_EQ(names,
              Paths({"1 Sentence spacing.docx", "2 Table and frame.docx",
                     "3 Protected without password.docx", "4 Protected with password.docx"}));
    TempDir out;
    ScriptedServices run;
    for (const std::string& name : names)
        run.window.files.push_back(std::string(PELLUCOR_SAMPLES_DIR) + "/" + name);
    run.window.marks = {{".", true}, {"?", true}, {"!", true}};
    run.window.option1 = run.window.option3 = true;
    run.window.text2 = out.path() + "/";
    RunBatch(run.services);

    EXPECT_EQ(out.entries(), Paths(names.begin(), names.begin() + 3));
    EXPECT_TRUE(run.prompts.errorReports().empty()) << run.prompts.errorReports()[0].text;
    auto said = [&](const std::string& words) {
        for (const std::string& text : run.prompts.texts())
            if (text.find(words) != std::string::npos)
                return true;
        return false;
    };
    EXPECT_TRUE(said("4 Protected with password.docx is protected."));
    std::string changed = textOf(out.file("1 Sentence spacing.docx"));
    for (const char* expected :
         {"sentence.  Is", "for?  Some", "two!  Pellucor", "Mr. Hale", "Note: the"})
        EXPECT_NE(changed.find(expected), std::string::npos) << "no \"" << expected << "\"";
}

} // namespace
} // namespace pellucor::test
