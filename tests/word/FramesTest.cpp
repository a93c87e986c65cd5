// Frames: which paragraphs and tables make one, and how the spacing engine's
// removal loop takes them away without losing text.

#include "word/FrameList.h"
#include "WordTestSupport.h"

namespace pellucor::test {
namespace {

const std::string kOtherFrame = R"(w:w="3000" w:h="1000" w:hAnchor="page")";
const std::string kBoxedStyle =
    R"(<w:style w:type="paragraph" w:styleId="Boxed"><w:name w:val="Boxed"/>)"
    R"(<w:pPr><w:framePr w:w="2000" w:h="1000" w:hAnchor="page"/></w:pPr></w:style>)";

struct FrameCountCase {
    std::string name;
    std::string body;
    int32_t frames;
};

std::ostream& operator<<(std::ostream& out, const FrameCountCase& c) {
    return out << c.name;
}

std::vector<FrameCountCase> countCases() {
    return {
        {"AdjacentIdenticalFramedParagraphsAreOneFrame", framedP("a") + framedP("b"), 1},
        {"SamePropertiesInAnotherOrderAreOneFrame",
         framedP("a", R"(w:w="2000" w:h="1000")") + framedP("b", R"(w:h="1000" w:w="2000")"), 1},
        {"DifferentPropertiesAreTwoFrames", framedP("a") + framedP("b", kOtherFrame), 2},
        {"SeparatedByAPlainParagraphAreTwoFrames", framedP("a") + textP("x") + framedP("b"), 2},
        {"SeparatedByATableAreTwoFrames", framedP("a") + tbl({{textP("cell")}}) + framedP("b"), 2},
        {"FramedParagraphInATableCellIsNotAFrame", tbl({{framedP("in cell"), framedP("x")}}), 0},
        {"FramePropertiesOnlyFromAStyleAreNotAFrame",
         p({r("styled")}, R"(<w:pStyle w:val="Boxed"/>)"), 0},
        {"FloatingTableIsAFrame", floatingTbl("float"), 1},
        {"TableWithoutPositionIsNotAFrame", tbl({{textP("plain")}}), 0},
        {"FramedParagraphInABlockContentControl",
         "<w:sdt><w:sdtContent>" + framedP("a") + "</w:sdtContent></w:sdt>", 1},
        {"FramesAndFloatingTablesTogether",
         framedP("a") + floatingTbl("t") + framedP("b") + framedP("c", kOtherFrame), 4},
        {"FloatingTableDeepInControlsAndCells",
         nested("<w:sdt><w:sdtContent><w:tbl><w:tr><w:tc>",
                "</w:tc></w:tr></w:tbl></w:sdtContent></w:sdt>", kDeepNesting / 5,
                floatingTbl("t") + framedP("in cell")) +
             framedP("after"),
         2},
    };
}

class FrameCount : public EngineTest, public ::testing::WithParamInterface<FrameCountCase> {};

TEST_P(FrameCount, FollowsGroupingRules) {
    word::Document document = open(DocxBuilder(GetParam().body).styles(kBoxedStyle));
    EXPECT_EQ(document.Frames().Count(), GetParam().frames);
}

INSTANTIATE_TEST_SUITE_P(Frames, FrameCount, ::testing::ValuesIn(countCases()),
                         [](const auto& test) { return test.param.name; });

// Documents whose bytes never name a frame are not walked for frames; the
// names must be found wherever they stand, block edges and the end included.
TEST(FrameNames, AreFoundAtEveryPlace) {
    for (size_t before = 0; before < 40; ++before)
        for (size_t after : {0, 1, 9, 17})
            for (std::string name : {"framePr", "tblpPr"}) {
                const std::string filler = "epPr";
                std::string text;
                while (text.size() < before)
                    text += filler[text.size() % filler.size()];
                text += name + std::string(after, 'r');
                EXPECT_TRUE(word::FrameList::mayBeNamedIn(text)) << text;
                EXPECT_FALSE(
                    word::FrameList::mayBeNamedIn(text.substr(0, before + name.size() - 1)))
                    << text;
                text[before + 1] = 'x';
                EXPECT_FALSE(word::FrameList::mayBeNamedIn(text)) << text;
            }
    EXPECT_FALSE(word::FrameList::mayBeNamedIn(""));
}

// A main part in UTF-16 keeps no name among the bytes it was read from.
TEST_F(EngineTest, FramesOfAPartInAnotherEncodingAreFound) {
    const DocxBuilder utf8(framedP("a") + floatingTbl("t"));
    std::string xml = utf8.documentXml();
    xml.replace(xml.find("UTF-8"), 5, "UTF-16");
    std::string utf16 = "\xff\xfe";
    for (char c : xml)
        utf16 += std::string{c, '\0'};
    word::Document document = open(DocxBuilder(utf8).part("word/document.xml", utf16));
    EXPECT_EQ(document.Frames().Count(), 2);
}

TEST_F(EngineTest, OnlyFloatingTablesAreWithinATable) {
    word::Document document =
        open(DocxBuilder(framedP("a") + floatingTbl("t") + framedP("b", kOtherFrame)));
    word::FrameCollection frames = document.Frames();
    ASSERT_EQ(frames.Count(), 3);
    EXPECT_FALSE(frames(1).Range().Information(word::wdWithInTable));
    EXPECT_TRUE(frames(2).Range().Information(word::wdWithInTable));
    EXPECT_FALSE(frames(3).Range().Information(word::wdWithInTable));
    EXPECT_THROW(frames.Item(0), Error);
    EXPECT_THROW(frames.Item(4), Error);
}

TEST_F(EngineTest, StoppingWrapRemovesTablePositionAndOverlap) {
    word::Document document = open(DocxBuilder(textP("Before") + floatingTbl("Floating text")));
    document.Frames()(1).Range().Tables(1).Rows().SetWrapAroundText(false);
    EXPECT_EQ(document.Frames().Count(), 0);

    document.SaveAs(dir.file("out.docx"));
    EXPECT_EQ(entryOf(dir.file("out.docx"), "word/document.xml"),
              DocxBuilder(textP("Before") + tbl({{textP("Floating text")}})).documentXml());
    EXPECT_EQ(reopen(dir.file("out.docx")).Frames().Count(), 0);
}

TEST_F(EngineTest, DeleteRemovesFramePropertiesOfTheWholeGroupButKeepsText) {
    word::Document document =
        open(DocxBuilder(framedP("First line.") + framedP("Second line.") + textP("Outside")));
    const auto words = wordsOf(document);
    document.Frames()(1).Delete();
    EXPECT_EQ(document.Frames().Count(), 0);

    document.SaveAs(dir.file("out.docx"));
    const std::string saved = entryOf(dir.file("out.docx"), "word/document.xml");
    EXPECT_EQ(saved.find("framePr"), std::string::npos) << saved;
    word::Document again = reopen(dir.file("out.docx"));
    EXPECT_EQ(wordsOf(again), words);
    EXPECT_EQ(again.Frames().Count(), 0);
}

TEST_F(EngineTest, RemovedFrameCannotBeUsedAgain) {
    word::Document document = open(DocxBuilder(framedP("a") + textP("x") + framedP("b")));
    word::Frame first = document.Frames()(1);
    first.Delete();
    EXPECT_THROW(first.Delete(), Error);
    EXPECT_THROW(first.Range(), Error);
    EXPECT_EQ(document.Frames().Count(), 1);
}

TEST_F(EngineTest, DeletingALaterFrameKeepsTheOthersInOrder) {
    word::Document document =
        open(DocxBuilder(framedP("a") + textP("x") + floatingTbl("t") + framedP("b")));
    document.Frames()(2).Range().Tables(1).Rows().SetWrapAroundText(false);
    ASSERT_EQ(document.Frames().Count(), 2);
    EXPECT_FALSE(document.Frames()(1).Range().Information(word::wdWithInTable));
    document.Frames()(2).Delete();
    document.Frames()(1).Delete();
    EXPECT_EQ(document.Frames().Count(), 0);
    EXPECT_EQ(joined(wordsOf(document)), "a\rx\rt\rb\r");
}

TEST_F(EngineTest, ParagraphFrameHasNoTable) {
    word::Document document = open(DocxBuilder(framedP("a")));
    EXPECT_THROW(document.Frames()(1).Range().Tables(1), Error);
}

// The loop the spacing engine runs before it changes spaces.
int removeAllFrames(word::Document& document) {
    int rounds = 0;
    while (document.Frames().Count() != 0 && rounds < 100) {
        word::Frame frame = document.Frames()(1);
        if (frame.Range().Information(word::wdWithInTable))
            frame.Range().Tables(1).Rows().SetWrapAroundText(false);
        else
            frame.Delete();
        ++rounds;
    }
    return rounds;
}

TEST_F(EngineTest, RemovalLoopEndsWithNoFramesAndTheTextUnchanged) {
    const std::string body = framedP("Boxed.") + framedP("Boxed too.") + textP("Plain.  Text") +
                             floatingTbl("Float one.") + floatingTbl("Float two.", false) +
                             framedP("Other.", kOtherFrame) +
                             tbl({{framedP("Cell frame."), textP("Cell")}}) + framedP("Last.");
    word::Document document = open(DocxBuilder(body));
    const auto words = wordsOf(document);
    ASSERT_EQ(document.Frames().Count(), 5);

    EXPECT_EQ(removeAllFrames(document), 5);
    EXPECT_EQ(document.Frames().Count(), 0);
    EXPECT_EQ(wordsOf(document), words);

    document.SaveAs(dir.file("out.docx"));
    word::Document again = reopen(dir.file("out.docx"));
    EXPECT_EQ(again.Frames().Count(), 0);
    EXPECT_EQ(wordsOf(again), words);
}

TEST_F(EngineTest, FramesHoldingDeepMarkupAreRemoved) {
    const std::string deep = nested("<w:x>", "</w:x>", kDeepNesting);
    word::Document document =
        open(DocxBuilder(p({r("Boxed.")}, "<w:framePr>" + deep + "</w:framePr>") +
                         tbl({{textP("Float.")}}, "<w:tblpPr>" + deep + "</w:tblpPr>")));
    EXPECT_EQ(removeAllFrames(document), 2);
    document.SaveAs(dir.file("out.docx"));
    EXPECT_EQ(entryOf(dir.file("out.docx"), "word/document.xml"),
              DocxBuilder("<w:p><w:pPr/>" + r("Boxed.") + "</w:p>" + tbl({{textP("Float.")}}))
                  .documentXml());
}

TEST_F(EngineTest, FrameRemovalAndWordWritesAreBothSaved) {
    word::Document document = open(DocxBuilder(framedP("It ends.  Next") + floatingTbl("T")));
    removeAllFrames(document);
    document.Words()(3).SetText(". ");
    document.SaveAs(dir.file("out.docx"));
    word::Document again = reopen(dir.file("out.docx"));
    EXPECT_EQ(again.Frames().Count(), 0);
    EXPECT_EQ(joined(wordsOf(again)), "It ends. Next\rT\r");
}

} // namespace
} // namespace pellucor::test
