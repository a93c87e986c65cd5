// Writes, a save and a new reading: only the intended bytes change, and a
// second pass over the saved document changes nothing.

#include "BatchOfOne.h"
#include "WordTestSupport.h"

#include <zip.h>

namespace pellucor::test {
namespace {

using Words = std::vector<std::string>;

struct StoredEntry {
    std::string name;
    int method = 0;
    std::string compressed;
};

// The entries of a package as stored: names, methods and compressed bytes.
std::vector<StoredEntry> storedEntries(const std::string& path) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (!archive)
        throw std::runtime_error("cannot open the package " + path);
    std::vector<StoredEntry> entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(archive, i, 0, &st);
        StoredEntry entry{st.name, st.comp_method, std::string(st.comp_size, '\0')};
        zip_file_t* file = zip_fopen_index(archive, i, ZIP_FL_COMPRESSED);
        if (file) {
            zip_fread(file, entry.compressed.data(), st.comp_size);
            zip_fclose(file);
        }
        entries.push_back(std::move(entry));
    }
    zip_close(archive);
    return entries;
}

// The general purpose flags of every local header, walked from the start of
// the file; only valid while no entry uses a data descriptor.
std::vector<std::pair<std::string, uint16_t>> localHeaderFlags(const std::string& bytes) {
    auto number = [&](size_t at, int size) {
        uint32_t value = 0;
        for (int k = size - 1; k >= 0; --k)
            value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<size_t>(k)]);
        return value;
    };
    std::vector<std::pair<std::string, uint16_t>> flags;
    size_t at = 0;
    while (at + 30 <= bytes.size() && bytes.compare(at, 4, "PK\x03\x04") == 0) {
        uint32_t nameLength = number(at + 26, 2), extraLength = number(at + 28, 2);
        flags.emplace_back(bytes.substr(at + 30, nameLength), number(at + 6, 2));
        at += 30 + nameLength + extraLength + number(at + 18, 4);
    }
    return flags;
}

std::string pseudoRandomBytes(size_t size) {
    std::string bytes(size, '\0');
    uint32_t state = 7;
    for (char& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

const std::string kBodyBefore = textP("It ends.  Next one.  Mr. Smith") +
                                tbl({{textP("Cell.  Text"), p({r("Split."), r("  "), r("Run")})}});
const std::string kBodyAfter = textP("It ends. Next one. Mr. Smith") +
                               tbl({{textP("Cell. Text"), p({r("Split. "), r("Run")})}});

DocxBuilder fixtureWithParts(const std::string& body) {
    return DocxBuilder(body)
        .settings(R"(<w:zoom w:percent="100"/><w:defaultTabStop w:val="720"/>)")
        .part("docProps/core.xml", "<?xml version=\"1.0\"?><cp:coreProperties "
                                   "xmlns:cp=\"urn:x\"><cp:title>T</cp:title></cp:coreProperties>")
        .part("word/media/image1.png", pseudoRandomBytes(5000));
}

class RoundTrip : public EngineTest {
protected:
    void setEveryMarkWithTwoSpacesToOne(word::Document& document) {
        word::WordCollection words = document.Words();
        for (int32_t i = 1; i <= words.Count(); ++i)
            if (words(i).Text() == ".  ")
                words(i).SetText(". ");
    }
};

TEST_F(RoundTrip, SavedDocumentReadsWithTheNewWords) {
    word::Document document = open(fixtureWithParts(kBodyBefore));
    setEveryMarkWithTwoSpacesToOne(document);
    document.SaveAs(dir.file("out.docx"));
    EXPECT_EQ(joined(wordsOf(reopen(dir.file("out.docx")))),
              "It ends. Next one. Mr. Smith\rCell. Text\rSplit. Run\r");
}

TEST_F(RoundTrip, OnlyTheMainPartChangesAndOnlyWhereTheWordsWere) {
    word::Document document = open(fixtureWithParts(kBodyBefore));
    setEveryMarkWithTwoSpacesToOne(document);
    document.SaveAs(dir.file("out.docx"));

    const auto before = storedEntries(dir.file("doc.docx"));
    const auto after = storedEntries(dir.file("out.docx"));
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(after[i].name, before[i].name) << "entry " << i;
        if (before[i].name == "word/document.xml")
            continue;
        EXPECT_EQ(after[i].method, before[i].method) << before[i].name;
        EXPECT_TRUE(after[i].compressed == before[i].compressed)
            << before[i].name << " was not copied byte for byte";
    }
    EXPECT_EQ(entryOf(dir.file("out.docx"), "word/document.xml"),
              fixtureWithParts(kBodyAfter).documentXml());
}

// Every story's marks are changed, the text box's fallback alike; the parts
// of the separators and of the header no section names stay as they were.
TEST_F(RoundTrip, EveryStoryIsSavedWithItsNewWords) {
    everyStoryFixture().write(dir.file("doc.docx"));
    word::Document document = app.Documents().Open(dir.file("doc.docx"), everyStory());
    word::StoryCollection stories = document.Stories();
    for (int32_t i = 1; i <= stories.Count(); ++i) {
        word::WordCollection words = stories(i).Words();
        for (int32_t k = 1; k <= words.Count(); ++k)
            if (words(k).Text() == ".  ")
                words(k).SetText(". ");
    }
    document.SaveAs(dir.file("out.docx"));

    word::StoryCollection saved =
        app.Documents().Open(dir.file("out.docx"), everyStory()).Stories();
    ASSERT_EQ(saved.Count(), 10);
    std::string all;
    for (int32_t i = 1; i <= saved.Count(); ++i)
        all += storyText(saved(i));
    EXPECT_EQ(
        all,
        "Body one. Two\x01\rBody two.\x02\x02\x02\rHead one. A\x01\rAt the foot. E\rHead two. C\r"
        "Note one. F\rNote two. G\rThe end. H\rA remark. I\rBox one. Two\rHead box. B\r");
    const std::string main = entryOf(dir.file("out.docx"), "word/document.xml");
    EXPECT_EQ(main.find("Box one.  Two"), std::string::npos) << "the fallback kept its spaces";
    for (const char* same : {"word/header3.xml", "word/styles.xml"})
        EXPECT_EQ(entryOf(dir.file("out.docx"), same), entryOf(dir.file("doc.docx"), same)) << same;
    EXPECT_NE(entryOf(dir.file("out.docx"), "word/footnotes.xml").find("Sep.  x"),
              std::string::npos);
}

TEST_F(RoundTrip, RewrittenPackageHasSizesInEveryLocalHeader) {
    word::Document document = open(fixtureWithParts(kBodyBefore));
    setEveryMarkWithTwoSpacesToOne(document);
    document.SaveAs(dir.file("out.docx"));
    const auto flags = localHeaderFlags(readFile(dir.file("out.docx")));
    ASSERT_EQ(flags.size(), storedEntries(dir.file("out.docx")).size());
    for (const auto& [name, value] : flags)
        EXPECT_EQ(value & 0x0008, 0) << name << " has a data descriptor";
}

TEST_F(RoundTrip, EditsAfterASaveGoIntoTheNextSave) {
    word::Document document = open(DocxBuilder(textP("One.  Two.  Three")));
    document.Words()(2).SetText(". ");
    document.SaveAs(dir.file("first.docx"));
    document.Words()(4).SetText(". ");
    document.SaveAs(dir.file("second.docx"));
    EXPECT_EQ(joined(wordsOf(reopen(dir.file("first.docx")))), "One. Two.  Three\r");
    EXPECT_EQ(joined(wordsOf(reopen(dir.file("second.docx")))), "One. Two. Three\r");
}

TEST_F(RoundTrip, StrictDocumentKeepsItsNamespacesThroughAWrite) {
    const DocxBuilder strict = DocxBuilder(textP("It ends.  Next")).strict();
    word::Document document = open(strict);
    document.Words()(3).SetText(". ");
    document.SaveAs(dir.file("out.docx"));
    EXPECT_EQ(entryOf(dir.file("out.docx"), "word/document.xml"),
              replacedOnce(strict.documentXml(), "ends.  Next", "ends. Next"));
}

TEST_F(RoundTrip, SecondPassOverTheSavedDocumentChangesNothing) {
    DocxBuilder(kBodyBefore).write(dir.file("in.docx"));
    auto first =
        tools::runBatchOn(dir.file("in.docx"), dir.file("once.docx"), ".", Word1::Mode::Remove);
    auto second =
        tools::runBatchOn(dir.file("once.docx"), dir.file("twice.docx"), ".", Word1::Mode::Remove);
    EXPECT_EQ(first.wordsRewritten(), 2); // not after "Cell" or "Split", which begin with a capital
    EXPECT_EQ(second.wordsRewritten(), 0);
    EXPECT_EQ(readFile(dir.file("twice.docx")), readFile(dir.file("once.docx")));
}

TEST_F(RoundTrip, AddingSpacesThenRemovingThemGivesTheWordsBack) {
    DocxBuilder(kBodyAfter).write(dir.file("in.docx"));
    tools::runBatchOn(dir.file("in.docx"), dir.file("added.docx"), ".", Word1::Mode::Add);
    tools::runBatchOn(dir.file("added.docx"), dir.file("back.docx"), ".", Word1::Mode::Remove);
    EXPECT_EQ(wordsOf(reopen(dir.file("back.docx"))), wordsOf(reopen(dir.file("in.docx"))));
    EXPECT_NE(readFile(dir.file("added.docx")), readFile(dir.file("in.docx")));
}

// Saved as revisions, the changes read as the plain pass's; nothing else of
// the package changes (tracking is not switched on for later edits), and a
// second pass finds nothing left to change.
TEST_F(RoundTrip, TrackedPassReadsAsThePlainPassAndChangesOnlyTheMainPart) {
    const word::EditOptions tracked{false, word::Revisor{"Ann", "2026-12-08T09:30:00Z"}};
    fixtureWithParts(kBodyBefore).write(dir.file("in.docx"));
    const int plain =
        tools::runBatchOn(dir.file("in.docx"), dir.file("plain.docx"), ".", Word1::Mode::Remove)
            .wordsRewritten();
    EXPECT_EQ(tools::runBatchOn(dir.file("in.docx"), dir.file("once.docx"), ".",
                                Word1::Mode::Remove, tracked)
                  .wordsRewritten(),
              plain);
    EXPECT_EQ(wordsOf(reopen(dir.file("once.docx"))), wordsOf(reopen(dir.file("plain.docx"))));
    const auto before = storedEntries(dir.file("in.docx"));
    const auto after = storedEntries(dir.file("once.docx"));
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_TRUE(before[i].name == "word/document.xml" ||
                    after[i].compressed == before[i].compressed)
            << before[i].name;
    EXPECT_EQ(tools::runBatchOn(dir.file("once.docx"), dir.file("twice.docx"), ".",
                                Word1::Mode::Remove, tracked)
                  .wordsRewritten(),
              0);
}

} // namespace
} // namespace pellucor::test
