// A .doc, a .dot and a web page made from a .docx fixture: adding the spaces
// and removing them again gives back the words the document had, and each
// stays in its format (a template stays a template, a page shows the spaces).
#include "BatchOfOne.h"
#include "converter/WordBinary.h"
#include "LegacySupport.h"
#include "support/DocxBuilder.h"
#include "support/StoryFixture.h"
#include "support/TempDir.h"
#include "support/TestConversions.h"

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <map>

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
    const int changed =
        tools::runBatchOn(doc, dir.file("added.doc"), ".", Word1::Mode::Add, {}, &testConversions())
            .wordsRewritten();
    EXPECT_GT(changed, 0);
    std::vector<std::string> added = wordsOfFile(dir.file("added.doc"));
    EXPECT_EQ(std::count(added.begin(), added.end(), ".  "), changed);
    EXPECT_EQ(tools::runBatchOn(dir.file("added.doc"), dir.file("back.doc"), ".",
                                Word1::Mode::Remove, {}, &testConversions())
                  .wordsRewritten(),
              changed);
    EXPECT_EQ(wordsOfFile(dir.file("back.doc")), original);
    EXPECT_FALSE(converter::readWordBinaryFacts(readFile(dir.file("back.doc"))).isTemplate);
}

// The notes, headers and comments of a .doc take the change as its body
// does, mark after mark (the second mark must find the first one's
// changes), and the saved file reads back.
TEST_F(LegacyRoundTrip, EveryStoryOfADocTakesTheChange) {
    everyStoryFixture().write(dir.file("stories.docx"));
    convertWithLibreOffice(dir.file("stories.docx"), "doc:MS Word 97", dir.file("made"),
                           dir.file("profile"));
    const std::string fewer = dir.file("fewer.doc");
    const int removed = tools::runBatchOn(dir.file("made/stories.doc"), fewer, ".",
                                          Word1::Mode::Remove, everyStory(), &testConversions())
                            .wordsRewritten();
    tools::runBatchOn(fewer, fewer, "?", Word1::Mode::Add, everyStory(), &testConversions());
    auto app = word::Application::Create(&testConversions());
    std::map<std::string, std::string> texts;
    word::StoryCollection stories =
        app.Documents().Open(dir.file("fewer.doc"), everyStory()).Stories();
    for (int32_t i = 1; i <= stories.Count(); ++i)
        texts[std::string(word::storyKindName(stories(i).Kind())) + " " +
              std::to_string(stories(i).Number())] = storyText(stories(i));
    app.Quit();
    EXPECT_EQ(texts["footnote 1"], "\x02Note one. F\r"); // the note's own mark first
    EXPECT_EQ(texts["footnote 2"], "\x02Note two. G\r");
    EXPECT_EQ(texts["endnote 1"], "\x02The end. H\r");
    EXPECT_EQ(texts["comment 1"], "A remark. I\r");
    EXPECT_EQ(texts["footer 1"], "At the foot. E\r");
    EXPECT_TRUE(texts["header 1"].starts_with("Head one. A")) << texts["header 1"];
    EXPECT_GE(removed, 8);
}

TEST_F(LegacyRoundTrip, AWebPageShowsTheAddedSpacesAndGivesThemBack) {
    const std::string page = make("html:HTML (StarWriter)");
    const std::vector<std::string> original = wordsOfFile(page);
    const std::string added = dir.file("made/added.html"), back = dir.file("made/back.html");
    const int changed =
        tools::runBatchOn(page, added, ".", Word1::Mode::Add, {}, &testConversions())
            .wordsRewritten();
    EXPECT_GT(changed, 0);
    const std::vector<std::string> words = wordsOfFile(added);
    EXPECT_EQ(std::count(words.begin(), words.end(), ".  "), changed);
    EXPECT_NE(readFile(added).find(".&nbsp; "), std::string::npos);
    EXPECT_EQ(tools::runBatchOn(added, back, ".", Word1::Mode::Remove, {}, &testConversions())
                  .wordsRewritten(),
              changed);
    EXPECT_EQ(wordsOfFile(back), original);
    EXPECT_EQ(readFile(back).find("&nbsp;"), std::string::npos);
}

TEST_F(LegacyRoundTrip, ATemplateIsSavedAsATemplate) {
    const std::string dot = make("dot:MS Word 97 Vorlage");
    ASSERT_TRUE(converter::readWordBinaryFacts(readFile(dot)).isTemplate);
    EXPECT_GT(
        tools::runBatchOn(dot, dir.file("added.dot"), ".", Word1::Mode::Add, {}, &testConversions())
            .wordsRewritten(),
        0);
    auto facts = converter::readWordBinaryFacts(readFile(dir.file("added.dot")));
    EXPECT_EQ(facts.kind, converter::WordBinaryFacts::Kind::Document);
    EXPECT_TRUE(facts.isTemplate);
}

// A place over two runs, one in a table and two in an earlier reviewer's
// insertion (not in the last paragraph after a table, where LibreOffice's .doc
// export drops a recorded insertion).
const DocxBuilder kSpaced(p({r("It ends.  Next", "<w:b/>"), r(" one. ", "<w:i/>"),
                             r(" Two.  three. And one. more.")}) +
                          p({R"(<w:ins w:id="1" w:author="Bo" w:date="2020-01-01T00:00:00Z">)" +
                             r("Theirs.  here. too") + "</w:ins>"}) +
                          tbl({{textP("In a cell.  Here.")}}));

// The kinds of one author's changes.
std::string kindsBy(const std::string& author, const std::string& kinds) {
    std::string theirs;
    for (size_t at = 0; at < kinds.size(); at = kinds.find(',', at) + 1) {
        const std::string kind = kinds.substr(at, kinds.find(',', at) - at);
        if (kind.starts_with(author + "/"))
            theirs += (theirs.empty() ? "" : ",") + kind;
        if (kinds.find(',', at) == std::string::npos)
            break;
    }
    return theirs;
}

// The changes LibreOffice lists in each file ("author/type:count", comma-
// separated), its accepted and rejected text beside it.
std::map<std::string, std::string> reviewed(const std::vector<std::string>& paths) {
    std::string command = "/usr/bin/python3 " PELLUCOR_REVISIONS_SCRIPT;
    for (const std::string& path : paths)
        command += " '" + path + "'";
    std::map<std::string, std::string> files;
    FILE* out = ::popen(command.c_str(), "r");
    char line[4096];
    while (out && std::fgets(line, sizeof line, out)) {
        std::string text(line);
        const size_t tab = text.find('\t'), second = text.find('\t', tab + 1);
        files[text.substr(0, tab)] = text.substr(second + 1, text.find('\n') - second - 1);
    }
    EXPECT_EQ(out ? ::pclose(out) : -1, 0) << command;
    return files;
}

// Changes saved as revisions are LibreOffice's recorded changes in every
// format: one a place, by the reviewer, beside the earlier reviewer's;
// accepting all gives the plain run's text and rejecting all the original's.
TEST_F(LegacyRoundTrip, TrackedChangesAreRecordedChangesInEveryFormat) {
    const word::EditOptions options{false, word::Revisor{"Reviewer", "2026-12-08T09:30:00Z"}};
    kSpaced.write(dir.file("spaced.docx"));
    std::vector<std::string> sources{dir.file("spaced.docx")};
    for (const char* filter : {"doc:MS Word 97", "odt:writer8", "rtf:Rich Text Format"}) {
        convertWithLibreOffice(dir.file("spaced.docx"), filter, dir.file("made"),
                               dir.file("profile"));
        sources.push_back(dir.file("made/spaced." + std::string(filter).substr(0, 3)));
    }
    struct Walk {
        std::string source, plain, revised;
        int changed;
        const char* kind;
    };
    std::vector<Walk> walks;
    std::vector<std::string> files;
    for (const std::string& source : sources)
        for (int mode : {1, 2}) {
            if (mode == 1 && source != sources[0])
                continue; // insertions through LibreOffice's formats: one round trip is enough
            const std::string name = std::to_string(mode) + source.substr(source.rfind('.'));
            Walk walk{source, dir.file("plain" + name), dir.file("revised" + name), 0,
                      mode == 1 ? "Reviewer/Insert" : "Reviewer/Delete"};
            const auto spacing = static_cast<Word1::Mode>(mode);
            walk.changed =
                tools::runBatchOn(source, walk.revised, ".", spacing, options, &testConversions())
                    .wordsRewritten();
            EXPECT_EQ(tools::runBatchOn(source, walk.plain, ".", spacing, {}, &testConversions())
                          .wordsRewritten(),
                      walk.changed);
            EXPECT_GT(walk.changed, 0) << walk.revised;
            walks.push_back(walk);
            files.insert(files.end(), {walk.source, walk.plain, walk.revised});
        }
    const auto listed = reviewed(files);
    for (const Walk& walk : walks) {
        SCOPED_TRACE(walk.revised + ": " + listed.at(walk.revised));
        ASSERT_EQ(listed.count(walk.revised), 1u);
        EXPECT_EQ(kindsBy("Reviewer", listed.at(walk.revised)),
                  walk.kind + (":" + std::to_string(walk.changed)));
        EXPECT_EQ(kindsBy("Bo", listed.at(walk.revised)).substr(0, 10), "Bo/Insert:");
        EXPECT_EQ(readFile(walk.revised + ".accepted.txt"), readFile(walk.plain + ".accepted.txt"));
        EXPECT_EQ(readFile(walk.revised + ".rejected.txt"),
                  readFile(walk.source + ".rejected.txt"));
    }
}

} // namespace
} // namespace pellucor::test
