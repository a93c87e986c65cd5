// A .doc, a .dot and a web page made from a .docx fixture: adding the spaces
// and removing them again gives back the words the document had, and each
// stays in its format (a template stays a template, a page shows the spaces).
#include "converter/WordBinary.h"
#include "LegacySupport.h"
#include "SpacingWalk.h"
#include "support/DocxBuilder.h"
#include "support/StoryFixture.h"
#include "support/TempDir.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace pellucor::test {
namespace {

const DocxBuilder kFixture(textP("It ends. Next one starts. Mr. Smith came.") +
                           textP("Two spaces. Stay as they are. Wait... what") +
                           tbl({{textP("In a cell. Here.")}}));

class LegacyRoundTrip : public ::testing::Test {
protected:
    void SetUp() override {
        if (!libreOfficeInstalled())
            GTEST_SKIP() << "LibreOffice (soffice) is not installed; install "
                            "libreoffice-writer-nogui";
        kFixture.write(dir.file("fixture.docx"));
    }
    std::string make(const std::string& filter) {
        convertWithLibreOffice(dir.file("fixture.docx"), filter, dir.file("made"),
                               dir.file("profile"));
        return dir.file("made/fixture." + filter.substr(0, filter.find(':')));
    }
    TempDir dir;
};

TEST_F(LegacyRoundTrip, AddingThenRemovingTheSpacesGivesBackTheWordsOfADoc) {
    const std::string doc = make("doc:MS Word 97");
    const std::vector<std::string> original = wordsOfFile(doc);
    ASSERT_EQ(std::count(original.begin(), original.end(), ".  "), 0);
    const int changed = tools::walkDocument(doc, dir.file("added.doc"), ".", 1).changed;
    EXPECT_GT(changed, 0);
    std::vector<std::string> added = wordsOfFile(dir.file("added.doc"));
    EXPECT_EQ(std::count(added.begin(), added.end(), ".  "), changed);
    EXPECT_EQ(tools::walkDocument(dir.file("added.doc"), dir.file("back.doc"), ".", 2).changed,
              changed);
    EXPECT_EQ(wordsOfFile(dir.file("back.doc")), original);
    EXPECT_FALSE(converter::readWordBinaryFacts(readFile(dir.file("back.doc"))).isTemplate);
}

// The notes, headers and comments of a .doc take the change as its body
// does, through a batch's marks on the one converted document (the second
// mark must find the first one's changes), and the saved file reads back.
TEST_F(LegacyRoundTrip, EveryStoryOfADocTakesTheChange) {
    everyStoryFixture().write(dir.file("stories.docx"));
    convertWithLibreOffice(dir.file("stories.docx"), "doc:MS Word 97", dir.file("made"),
                           dir.file("profile"));
    const std::string fewer = dir.file("fewer.doc");
    word::Application::BeginDocument();
    const int removed =
        tools::walkDocument(dir.file("made/stories.doc"), fewer, ".", 2, everyStory()).changed;
    tools::walkDocument(fewer, fewer, "?", 1, everyStory());
    word::Application::FinishDocument();
    auto app = word::Application::Create();
    std::map<std::string, std::string> texts;
    word::StoryCollection stories =
        app.Documents().Open(dir.file("fewer.doc"), everyStory()).Stories();
    for (int32_t i = 1; i <= stories.Count(); ++i)
        texts[std::string(word::storyKindName(stories(i).Kind())) + " " +
              std::to_string(stories(i).Number())] = storyText(stories(i));
    app.Quit();
    EXPECT_EQ(texts["footnote 1"], "Note one. F\r");
    EXPECT_EQ(texts["footnote 2"], "Note two. G\r");
    EXPECT_EQ(texts["endnote 1"], "The end. H\r");
    EXPECT_EQ(texts["comment 1"], "A remark. I\r");
    EXPECT_EQ(texts["footer 1"], "At the foot. E\r");
    EXPECT_TRUE(texts["header 1"].starts_with("Head one. A")) << texts["header 1"];
    EXPECT_GE(removed, 8);
}

TEST_F(LegacyRoundTrip, AWebPageShowsTheAddedSpacesAndGivesThemBack) {
    const std::string page = make("html:HTML (StarWriter)");
    const std::vector<std::string> original = wordsOfFile(page);
    const std::string added = dir.file("made/added.html"), back = dir.file("made/back.html");
    const int changed = tools::walkDocument(page, added, ".", 1).changed;
    EXPECT_GT(changed, 0);
    const std::vector<std::string> words = wordsOfFile(added);
    EXPECT_EQ(std::count(words.begin(), words.end(), ".  "), changed);
    EXPECT_NE(readFile(added).find(".&nbsp; "), std::string::npos);
    EXPECT_EQ(tools::walkDocument(added, back, ".", 2).changed, changed);
    EXPECT_EQ(wordsOfFile(back), original);
    EXPECT_EQ(readFile(back).find("&nbsp;"), std::string::npos);
}

TEST_F(LegacyRoundTrip, ATemplateIsSavedAsATemplate) {
    const std::string dot = make("dot:MS Word 97 Vorlage");
    ASSERT_TRUE(converter::readWordBinaryFacts(readFile(dot)).isTemplate);
    EXPECT_GT(tools::walkDocument(dot, dir.file("added.dot"), ".", 1).changed, 0);
    auto facts = converter::readWordBinaryFacts(readFile(dir.file("added.dot")));
    EXPECT_EQ(facts.kind, converter::WordBinaryFacts::Kind::Document);
    EXPECT_TRUE(facts.isTemplate);
}

} // namespace
} // namespace pellucor::test
