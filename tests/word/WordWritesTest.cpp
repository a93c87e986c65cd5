// Setting a word's text: where the new text goes, what happens to the runs it
// spanned, and that the numbering stays right afterwards.

#include "base/XmlText.h"
#include "WordTestSupport.h"

#include <filesystem>

namespace pellucor::test {
namespace {

using Words = std::vector<std::string>;

struct WriteCase {
    std::string name;
    std::string body;
    int32_t index;
    std::string text;
    Words after;
    std::string savedBody; // the body exactly as the saved main part holds it
};

std::ostream& operator<<(std::ostream& out, const WriteCase& c) {
    return out << c.name;
}

std::string preserved(const std::string& text, const std::string& rPr = "") {
    return "<w:r>" + (rPr.empty() ? "" : "<w:rPr>" + rPr + "</w:rPr>") +
           "<w:t xml:space=\"preserve\">" + text + "</w:t></w:r>";
}

// Content controls, tables, hyperlinks and inline wrappers nested past any call stack.
const std::string kBlocks = "<w:sdt><w:sdtContent><w:tbl><w:tr><w:tc>";
const std::string kBlocksEnd = "</w:tc></w:tr></w:tbl></w:sdtContent></w:sdt>";
const std::string kInline = "<w:hyperlink><w:smartTag><w:customXml><w:ins><w:fldSimple><w:moveTo>"
                            "<w:sdt><w:sdtContent>";
const std::string kInlineEnd = "</w:sdtContent></w:sdt></w:moveTo></w:fldSimple></w:ins>"
                               "</w:customXml></w:smartTag></w:hyperlink>";

std::vector<WriteCase> writeCases() {
    return {
        {"MarkAndSpacesOverThreeRuns", p({r("It ends."), r(" "), r(" Next")}), 3, ". ",
         Words{"It ", "ends", ". ", "Next", "\r"}, p({preserved("It ends. "), preserved("Next")})},
        {"NewTextTakesTheFormattingOfTheFirstRun",
         p({r("end"), r(".", "<w:i/>"), r("  Next", "<w:b/>")}), 2, ". ",
         Words{"end", ". ", "Next", "\r"},
         p({r("end"), preserved(". ", "<w:i/>"), preserved("Next", "<w:b/>")})},
        {"RunLeftEmptyIsRemovedWithItsFormatting", p({r("end."), r("  ", "<w:b/>"), r("Next")}), 2,
         ". ", Words{"end", ". ", "Next", "\r"}, p({preserved("end. "), r("Next")})},
        {"WordOverSeveralRunsGoesIntoTheFirst",
         p({r("Hel", "<w:b/>"), r("lo", "<w:i/>"), r(" world")}), 1, "Howdy ",
         Words{"Howdy ", "world", "\r"}, p({preserved("Howdy ", "<w:b/>"), preserved("world")})},
        {"SpacesAddedAtTheEndOfARunArePreserved", p({r("Hello"), r(" world")}), 1, "Hi  ",
         Words{"Hi  ", "world", "\r"}, p({preserved("Hi  "), preserved("world")})},
        {"RunSplitInsideAWordKeepsItsOtherText", p({r("It en"), r("ds.  Next")}), 2, "closes",
         Words{"It ", "closes", ".  ", "Next", "\r"}, p({r("It closes"), r(".  Next")})},
        {"WriteThatSplitsAWord", textP("It ends.  Next"), 2, "a b",
         Words{"It ", "a ", "b", ".  ", "Next", "\r"}, textP("It a b.  Next")},
        {"WriteOfNothing", textP("It ends.  Next"), 1, "", Words{"ends", ".  ", "Next", "\r"},
         textP("ends.  Next")},
        {"WriteThatJoinsTwoWords", textP("a. b"), 2, ".", Words{"a.b", "\r"}, textP("a.b")},
        {"WriteThatJoinsWithTheWordAfterNext", textP("1.b"), 1, "a", Words{"a.b", "\r"},
         textP("a.b")},
        {"WriteThatJoinsWithTheWordBeforeLast", textP("b.1"), 3, "a", Words{"b.a", "\r"},
         textP("b.a")},
        {"OnlyRunEmptiedLeavesAnEmptyParagraph", textP("Hi"), 1, "", Words{"\r"}, "<w:p/>"},
        {"WriteInANestedTable", tbl({{tbl({{textP("In.  Out")}})}}), 2, ". ",
         Words{"In", ". ", "Out", "\r"}, tbl({{tbl({{textP("In. Out")}})}})},
        {"EmptyTextElementBetweenRunsStays", p({r("end."), "<w:r><w:t/></w:r>", r("  Next")}), 2,
         ". ", Words{"end", ". ", "Next", "\r"},
         p({preserved("end. "), "<w:r><w:t/></w:r>", preserved("Next")})},
        {"WordThatLeavesAHyperlink",
         p({R"(<w:hyperlink r:id="rId9">)" + r("end.") + "</w:hyperlink>", r("  Next")}), 2, ". ",
         Words{"end", ". ", "Next", "\r"},
         p({R"(<w:hyperlink r:id="rId9">)" + preserved("end. ") + "</w:hyperlink>",
            preserved("Next")})},
        {"HiddenSpacesOfATextStayHiddenWhenItIsRewritten",
         p({"<w:r><w:t> Lead 2012.  This </w:t></w:r>"}), 3, ". ",
         Words{"Lead ", "2012", ". ", "This", "\r"}, textP("Lead 2012. This")},
        {"AccentedText", textP("a b"), 1, "été ", Words{"été ", "b", "\r"}, textP("été b")},
        {"TextIsEscapedOnSave", textP("a b"), 1, "<&> ", Words{"<", "&", "> ", "b", "\r"},
         textP("<&> b")},
        {"WriteInAnInlineContentControl",
         p({"<w:sdt><w:sdtContent>" + r("Yes.  No") + "</w:sdtContent></w:sdt>"}), 2, ". ",
         Words{"Yes", ". ", "No", "\r"},
         p({"<w:sdt><w:sdtContent>" + r("Yes. No") + "</w:sdtContent></w:sdt>"})},
        {"DeeplyNestedBlocks",
         nested(kBlocks, kBlocksEnd, kDeepNesting / 5, textP("a.  b")) + textP("c"), 2, ". ",
         Words{"a", ". ", "b", "\r", "c", "\r"},
         nested(kBlocks, kBlocksEnd, kDeepNesting / 5, textP("a. b")) + textP("c")},
        {"DeeplyNestedInlineWrappers",
         p({nested(kInline, kInlineEnd, kDeepNesting / 8, r("a.  ")), r("b")}), 2, ". ",
         Words{"a", ". ", "b", "\r"},
         p({nested(kInline, kInlineEnd, kDeepNesting / 8, preserved("a. ")), r("b")})},
        {"DeepMarkupInsideAText",
         p({"<w:r><w:t>a.  b" + nested("<x>", "</x>", kDeepNesting) + "</w:t></w:r>"}), 2, ". ",
         Words{"a", ". ", "b", "\r"}, textP("a. b")},
        {"RunWithDeepFormattingLeftEmpty",
         p({r("end."), r("  ", nested("<w:i>", "</w:i>", kDeepNesting)), r("Next")}), 2, ". ",
         Words{"end", ". ", "Next", "\r"}, p({preserved("end. "), r("Next")})},
    };
}

class WordWrites : public EngineTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(WordWrites, ChangeExactlyTheWordsCharacters) {
    const WriteCase& c = GetParam();
    word::Document document = open(DocxBuilder(c.body));
    document.Words()(c.index).SetText(c.text);
    EXPECT_EQ(wordsOf(document), c.after) << "numbering right after the write";

    document.SaveAs(dir.file("out.docx"));
    EXPECT_EQ(entryOf(dir.file("out.docx"), "word/document.xml"),
              DocxBuilder(c.savedBody).documentXml());
    EXPECT_EQ(wordsOf(reopen(dir.file("out.docx"))), c.after) << "after saving and opening again";
}

INSTANTIATE_TEST_SUITE_P(Words, WordWrites, ::testing::ValuesIn(writeCases()),
                         [](const auto& test) { return test.param.name; });

// Saved after every write, and after runs of writes that cut the words of
// several paragraphs anew in between.
TEST_F(EngineTest, NumberingMatchesTheSavedDocumentAfterEveryWrite) {
    word::Document document =
        open(DocxBuilder(p({r("It ends."), r(" "), r(" Next one.")}) + textP("Mr. Smith.  Yes") +
                         tbl({{textP("Cell. Text"), textP("  Lead")}}) + textP("Last.  Word")));
    const std::vector<std::string> texts{"", "a b", ". ", "x", "  ", " y", "z  ", "q.r"};
    uint32_t seed = 12345;
    for (int step = 0; step < 80; ++step) {
        seed = seed * 1103515245u + 12345u;
        word::WordCollection words = document.Words();
        int32_t index =
            1 + static_cast<int32_t>((seed >> 8) % static_cast<uint32_t>(words.Count()));
        if (words(index).Text() == "\r")
            continue;
        const std::string& text = texts[(seed >> 20) % texts.size()];
        words(index).SetText(text);
        if (step >= 40 && step % 8 != 7)
            continue;
        const Words written = wordsOf(document);
        document.SaveAs(dir.file("step.docx"));
        ASSERT_EQ(written, wordsOf(reopen(dir.file("step.docx"))))
            << "after step " << step << ": word " << index << " set to \"" << text << "\"";
    }
}

// With a revisor, writes are saved as revisions: numbered from above the
// highest id of the document (the 7 of an earlier reviewer's insertion).
const word::EditOptions kTracked{false, word::Revisor{"Ann", "2026-12-08T09:30:00Z"}};
const std::string kTheirs = R"(w:author="Bo" w:date="2020-01-01T00:00:00Z")";

std::string revision(const char* kind, int id, const std::string& run) {
    return std::string("<w:") + kind + " w:id=\"" + std::to_string(id) +
           R"(" w:author="Ann" w:date="2026-12-08T09:30:00Z">)" + run + "</w:" + kind + ">";
}

std::string deleted(const std::string& text, const std::string& rPr = "") {
    return "<w:r>" + (rPr.empty() ? "" : "<w:rPr>" + rPr + "</w:rPr>") + "<w:delText" +
           (text.find(' ') != std::string::npos ? " xml:space=\"preserve\"" : "") + ">" + text +
           "</w:delText></w:r>";
}

std::string theirIns(int id, const std::string& runs) {
    return "<w:ins w:id=\"" + std::to_string(id) + "\" " + kTheirs + ">" + runs + "</w:ins>";
}

std::vector<WriteCase> trackedCases() {
    return {
        {"AddedSpaceKeepsTheFormatting", p({r("It ends. Next", "<w:b/>")}), 3, ".  ",
         Words{"It ", "ends", ".  ", "Next", "\r"},
         p({r("It ends. ", "<w:b/>"), revision("ins", 0, r(" ", "<w:b/>")), r("Next", "<w:b/>")})},
        {"RemovedSpaceKeepsTheFormatting", p({r("It ends.  Next", "<w:i/>")}), 3, ". ",
         Words{"It ", "ends", ". ", "Next", "\r"},
         p({r("It ends. ", "<w:i/>"), revision("del", 0, deleted(" ", "<w:i/>")),
            r("Next", "<w:i/>")})},
        {"AddedAfterASpaceInTheNextRun", p({r("end.", "<w:i/>"), r(" Next", "<w:b/>")}), 2, ".  ",
         Words{"end", ".  ", "Next", "\r"},
         p({r("end.", "<w:i/>"), r(" ", "<w:b/>"), revision("ins", 0, r(" ", "<w:b/>")),
            r("Next", "<w:b/>")})},
        {"RemovedFromTheRunOfTheSpaces", p({r("end."), r("  ", "<w:b/>"), r("Next")}), 2, ". ",
         Words{"end", ". ", "Next", "\r"},
         p({r("end."), r(" ", "<w:b/>"), revision("del", 0, deleted(" ", "<w:b/>")), r("Next")})},
        {"InsertionInsideTheirsSplitsIt", p({theirIns(7, r("end. Next"))}), 2, ".  ",
         Words{"end", ".  ", "Next", "\r"},
         p({theirIns(8, r("end. ")), revision("ins", 9, r(" ")), theirIns(7, r("Next"))})},
        {"DeletionInsideTheirInsertionStaysInIt", p({theirIns(7, r("end.  Next"))}), 2, ". ",
         Words{"end", ". ", "Next", "\r"},
         p({theirIns(7, r("end. ") + revision("del", 8, deleted(" ")) + r("Next"))})},
        {"InsertionAtTheStartOfTheirs", p({r("a "), theirIns(7, r("xy. b"))}), 2, "zxy",
         Words{"a ", "zxy", ". ", "b", "\r"},
         p({r("a "), revision("ins", 9, r("z")), theirIns(7, r("xy. b"))})},
        {"InsertionAtTheEndOfTheirs", p({theirIns(7, r("end. ")), r("Next")}), 2, ".  ",
         Words{"end", ".  ", "Next", "\r"},
         p({theirIns(7, r("end. ")), revision("ins", 9, r(" ")), r("Next")})},
        {"ChangedFormattingIsNumberedAnew",
         p({r("a.  b", R"(<w:b/><w:rPrChange w:id="3" )" + kTheirs + "><w:rPr/></w:rPrChange>")}),
         2, ". ", Words{"a", ". ", "b", "\r"},
         p({r("a. ", R"(<w:b/><w:rPrChange w:id="3" )" + kTheirs + "><w:rPr/></w:rPrChange>"),
            revision("del", 4,
                     deleted(" ", R"(<w:b/><w:rPrChange w:id="5" )" + kTheirs +
                                      "><w:rPr/></w:rPrChange>")),
            r("b", R"(<w:b/><w:rPrChange w:id="6" )" + kTheirs + "><w:rPr/></w:rPrChange>")})},
        {"HiddenSpacesOfATextStayHidden", p({"<w:r><w:t> Lead 2012.  This </w:t></w:r>"}), 3, ". ",
         Words{"Lead ", "2012", ". ", "This", "\r"},
         p({r("Lead 2012. "), revision("del", 0, deleted(" ")), r("This")})},
        {"WordReplacedWholeAtTheStartOfARun", p({r("a "), r("xy. b")}), 2, "z",
         Words{"a ", "z", ". ", "b", "\r"},
         p({r("a "), revision("del", 0, deleted("xy")), revision("ins", 1, r("z")), r(". b")})},
    };
}

class TrackedWrites : public EngineTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(TrackedWrites, AreSavedAsRevisionsOfTheRunsFormatting) {
    const WriteCase& c = GetParam();
    DocxBuilder(c.body).write(dir.file("doc.docx"));
    word::Document document = app.Documents().Open(dir.file("doc.docx"), kTracked);
    document.Words()(c.index).SetText(c.text);
    EXPECT_EQ(wordsOf(document), c.after) << "numbering right after the write";
    document.SaveAs(dir.file("out.docx"));
    EXPECT_EQ(entryOf(dir.file("out.docx"), "word/document.xml"),
              DocxBuilder(c.savedBody).documentXml());
    EXPECT_EQ(wordsOf(reopen(dir.file("out.docx"))), c.after) << "the accepted text";
}

INSTANTIATE_TEST_SUITE_P(Words, TrackedWrites, ::testing::ValuesIn(trackedCases()),
                         [](const auto& test) { return test.param.name; });

// Each place splits off what comes before it; the rest keeps their number.
TEST_F(EngineTest, PlacesInsideOneInsertionSplitItInOrder) {
    DocxBuilder(p({theirIns(7, r("a. b. c"))})).write(dir.file("doc.docx"));
    word::Document document = app.Documents().Open(dir.file("doc.docx"), kTracked);
    document.Words()(2).SetText(".  ");
    document.Words()(4).SetText(".  ");
    document.SaveAs(dir.file("out.docx"));
    EXPECT_EQ(
        entryOf(dir.file("out.docx"), "word/document.xml"),
        DocxBuilder(p({theirIns(8, r("a. ")), revision("ins", 9, r(" ")), theirIns(10, r("b. ")),
                       revision("ins", 11, r(" ")), theirIns(7, r("c"))}))
            .documentXml());
}

// Deleted and moved-away text gives no words: a deleted ". " is no place.
TEST_F(EngineTest, DeletedMarkIsNoWord) {
    const std::string gone = "<w:r><w:delText>.  </w:delText></w:r>";
    word::Document document = open(DocxBuilder(
        p({r("end"), "<w:del w:id=\"1\" " + kTheirs + ">" + gone + "</w:del>",
           "<w:moveFrom w:id=\"2\" " + kTheirs + ">" + gone + "</w:moveFrom>", r("Next")})));
    EXPECT_EQ(wordsOf(document), (Words{"endNext", "\r"}));
}

// Revisions of two marks and of a part holding `id` never share a number:
// every part the relationships reach is read (one reached at `target`, in
// any folder), a number whatever its length; a part none reaches is not.
// With no number left, the save is refused.
struct NumberingCase {
    std::string name, target, id;
    std::vector<std::string> ours;
};

std::ostream& operator<<(std::ostream& out, const NumberingCase& c) {
    return out << c.name;
}

class RevisionNumbers : public EngineTest, public ::testing::WithParamInterface<NumberingCase> {};

TEST_P(RevisionNumbers, AreNeverUsedTwice) {
    const NumberingCase& c = GetParam();
    const std::string type = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    std::string rels = R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/)"
                       R"(relationships"><Relationship Id="rId1" Target="settings.xml" Type=")" +
                       type + R"(settings"/>)";
    if (!c.target.empty())
        rels +=
            R"(<Relationship Id="rId2" Target=")" + c.target + "\" Type=\"" + type + "comments\"/>";
    DocxBuilder(textP("a.  b.  c"))
        .part("word/_rels/document.xml.rels", rels + "</Relationships>")
        .part(c.target.starts_with("../") ? c.target.substr(3) : "word/comments.xml",
              "<w:comments><w:bookmarkStart w:id=\"" + c.id + "\"/></w:comments>")
        .write(dir.file("doc.docx"));
    word::Document document = app.Documents().Open(dir.file("doc.docx"), kTracked);
    if (c.ours.empty()) {
        EXPECT_NE(errorFrom([&] {
                      document.Words()(2).SetText(". ");
                      document.SaveAs(dir.file("one.docx"));
                  }).find("too few numbers"),
                  std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(dir.file("one.docx")));
        return;
    }
    document.Words()(2).SetText(". ");
    document.SaveAs(dir.file("one.docx"));
    word::Document next = app.Documents().Open(dir.file("one.docx"), kTracked);
    next.Words()(4).SetText(". ");
    next.SaveAs(dir.file("two.docx"));
    for (const std::string& id : c.ours) {
        size_t uses = 0;
        for (const auto& entry : readPackage(dir.file("two.docx")))
            for (size_t at = entry.data.find("w:id=\"" + id + "\""); at != std::string::npos;
                 at = entry.data.find("w:id=\"" + id + "\"", at + 1))
                ++uses;
        EXPECT_EQ(uses, 1u) << "number " << id;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tracked, RevisionNumbers,
    ::testing::Values(
        NumberingCase{"AboveTheirComments", "comments.xml", "41", {"42", "43"}},
        NumberingCase{
            "EighteenDigitsArePassedOver", "comments.xml", "999999999999999999", {"0", "1"}},
        NumberingCase{"LeadingZeros", "comments.xml", "000000000000000000042", {"43", "44"}},
        NumberingCase{"PartOutsideTheMainFolder", "../other/comments.xml", "41", {"42", "43"}},
        NumberingCase{"PartNoRelationshipReaches", "", "41", {"0", "1"}},
        NumberingCase{"NoNumberLeft", "comments.xml", "2147483647", {}},
        NumberingCase{"TooFewNumbersLeft", "comments.xml", "2147483646", {}}),
    [](const auto& test) { return test.param.name; });

struct UnsettableCase {
    std::string name;
    std::string body;
    int32_t index;
};

std::ostream& operator<<(std::ostream& out, const UnsettableCase& c) {
    return out << c.name;
}

std::string repeated(const std::string& text, int times) {
    std::string all;
    for (int k = 0; k < times; ++k)
        all += text;
    return all;
}

class UnsettableWords : public EngineTest, public ::testing::WithParamInterface<UnsettableCase> {};

TEST_P(UnsettableWords, RaiseAndChangeNothing) {
    word::Document document = open(DocxBuilder(GetParam().body));
    const Words before = wordsOf(document);
    EXPECT_THROW(document.Words()(GetParam().index).SetText(". "), Error);
    EXPECT_EQ(wordsOf(document), before);
    document.SaveAs(dir.file("out.docx"));
    EXPECT_EQ(readFile(dir.file("out.docx")), readFile(dir.file("doc.docx")));
}

INSTANTIATE_TEST_SUITE_P(
    Words, UnsettableWords,
    ::testing::Values(
        UnsettableCase{"Tab", p({r("a"), "<w:r><w:tab/></w:r>", r("b")}), 2},
        UnsettableCase{"PictureWithTheSpaceAfterIt", p({"<w:r><w:drawing/></w:r>", r(" after")}),
                       1},
        UnsettableCase{"FootnoteReferenceWithSpaces",
                       p({r("Note"), R"(<w:r><w:footnoteReference w:id="1"/></w:r>)", r("  Next")}),
                       2},
        UnsettableCase{"ParagraphMark", textP("End."), 3},
        UnsettableCase{"TabFarIntoAParagraphOfManySlices",
                       p({r(repeated("x. ", 30000)), "<w:r><w:tab/></w:r>", r("b")}), 60001}),
    [](const auto& test) { return test.param.name; });

TEST_F(EngineTest, SettingAWordToItsOwnTextLeavesTheFileAsItWas) {
    word::Document document = open(DocxBuilder(p({r("It ends."), r("  Next")})));
    document.Words()(3).SetText(".  ");
    document.SaveAs(dir.file("out.docx"));
    EXPECT_EQ(readFile(dir.file("out.docx")), readFile(dir.file("doc.docx")));
}

// Only the text elements that hold part of a changed word are rewritten, each
// with the new text of every changed word that starts in it.
TEST_F(EngineTest, WritesToSeveralWordsOfOneParagraph) {
    word::Document document =
        open(DocxBuilder(p({r("a. b.  c", "<w:b/>"), r("d. ", "<w:i/>"), r("e"), r(" f. g")})));
    word::WordCollection words = document.Words();
    ASSERT_EQ(wordsOf(document),
              (Words{"a", ". ", "b", ".  ", "cd", ". ", "e ", "f", ". ", "g", "\r"}));
    words(2).SetText(".  ");
    words(4).SetText(". ");
    words(5).SetText("xy");
    words(9).SetText(".  ");
    document.SaveAs(dir.file("out.docx"));
    EXPECT_EQ(entryOf(dir.file("out.docx"), "word/document.xml"),
              DocxBuilder(p({r("a.  b. xy", "<w:b/>"), preserved(". ", "<w:i/>"), r("e"),
                             preserved(" f.  g")}))
                  .documentXml());
}

// Writes of more distinct texts than are kept beside the XML: those made so
// far go into it to make room, and none is lost.
TEST_F(EngineTest, WritesOfManyDistinctTextsAreAllKept) {
    std::string body;
    for (int k = 0; k < 100; ++k)
        body += textP("w" + std::to_string(k) + ".  Next");
    word::Document document = open(DocxBuilder(body));
    Words expected = wordsOf(document);
    for (int k = 0; k < 100; ++k) {
        const std::string text = "n" + std::to_string(k);
        document.Words()(4 * k + 3).SetText(text);
        expected[static_cast<size_t>(4 * k + 2)] = text;
    }
    EXPECT_EQ(wordsOf(document), expected);
    document.SaveAs(dir.file("out.docx"));
    EXPECT_EQ(wordsOf(reopen(dir.file("out.docx"))), expected);
}

TEST_F(EngineTest, LastOfTwoWritesToTheSameWordWins) {
    word::Document document = open(DocxBuilder(textP("It ends.  Next")));
    document.Words()(3).SetText(". ");
    document.Words()(3).SetText(".   ");
    document.SaveAs(dir.file("out.docx"));
    EXPECT_EQ(wordsOf(reopen(dir.file("out.docx"))), (Words{"It ", "ends", ".   ", "Next", "\r"}));
}

TEST_F(EngineTest, EditsInADocumentThatRecordsRevisionsMakeNoRevisionMarks) {
    word::Document document =
        open(DocxBuilder(textP("It ends.  Next")).settings("<w:trackRevisions/>"));
    document.Words()(3).SetText(". ");
    document.SaveAs(dir.file("out.docx"));
    const std::string saved = entryOf(dir.file("out.docx"), "word/document.xml");
    EXPECT_EQ(saved, DocxBuilder(textP("It ends. Next")).documentXml());
    EXPECT_EQ(entryOf(dir.file("out.docx"), "word/settings.xml"),
              entryOf(dir.file("doc.docx"), "word/settings.xml"));
}

// Every revision copies its run's formatting: thousands of places in a run of
// huge formatting would take far beyond the budget, and are refused unwritten.
TEST_F(EngineTest, TrackedWritesBeyondTheBudgetAreRefused) {
    DocxBuilder(p({r(repeated("a.  ", 2000), repeated("<w:x/>", 2000))}))
        .write(dir.file("doc.docx"));
    word::Document document = app.Documents().Open(dir.file("doc.docx"), kTracked);
    for (int32_t i = 2; i <= 4000; i += 2)
        document.Words()(i).SetText(". ");
    EXPECT_NE(errorFrom([&] { document.SaveAs(dir.file("out.docx")); }).find("too large"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.docx")));
}

// A name or text from outside that XML cannot hold never reaches a saved
// part: the save is refused naming the document, and nothing is written.
TEST_F(EngineTest, WhatXmlCannotHoldIsNeverSaved) {
    const struct {
        std::string author, body;
    } cases[] = {
        {"Ann\x1bLee", textP("It ends. Next")},
        {"Ann\x01", textP("It ends. Next")},
        {"\xff\xfe", textP("It ends. Next")},
        {"Ann\xef\xbf\xbe", textP("It ends. Next")},
        {"", textP("It ends. Next") + "<w:p><w:r><w:t>x&#27;y</w:t></w:r></w:p>"},
    };
    for (const auto& c : cases) {
        DocxBuilder(c.body).write(dir.file("doc.docx"));
        word::EditOptions options;
        if (!c.author.empty())
            options.trackedBy = word::Revisor{c.author, "2026-12-08T09:30:00Z"};
        word::Document document = app.Documents().Open(dir.file("doc.docx"), options);
        document.Words()(3).SetText(".  ");
        const std::string error = errorFrom([&] { document.SaveAs(dir.file("out.docx")); });
        EXPECT_NE(error.find("doc.docx\" cannot be saved"), std::string::npos) << error;
        EXPECT_NE(error.find("XML cannot hold"), std::string::npos) << error;
        EXPECT_FALSE(std::filesystem::exists(dir.file("out.docx"))) << c.author;
        std::filesystem::remove(dir.file("out.docx"));
    }
    // A text written that XML cannot hold is refused before it reaches the document.
    word::Document document = open(DocxBuilder(textP("It ends. Next")));
    for (const char* text : {".\x01 ", ".\xef\xbf\xbf ", ".\xff "})
        EXPECT_NE(errorFrom([&] { document.Words()(3).SetText(text); }).find("is not plain text"),
                  std::string::npos)
            << text;
}

// The check reads what is written piece by piece, as the serialiser hands it
// over: a reference is a character in text and attributes, only text in
// comments, CDATA sections and instructions.
TEST(XmlOutputCheck, FindsWhatXmlCannotHoldWhereverThePiecesBreak) {
    const std::pair<std::string, std::string> cases[] = {
        {"<a>x&#27;y</a>", "the control character U+001B"},
        {"<a b=\"&#01;\"/>", "the control character U+0001"},
        {"<a>\x1b</a>", "the control character U+001B"},
        {"<a>&#xFFFE;</a>", "U+FFFE (not a character)"},
        {"<a>\xef\xbf\xbf</a>", "U+FFFF (not a character)"},
        {"<a>\xff</a>", "the byte 0xff (not UTF-8)"},
        {"<a>\xed\xa0\x80</a>",
         "a character written in too many bytes or out of range (not UTF-8)"},
        {"<a>\xe2\x82", "a character cut short (not UTF-8)"},
        {"<!-- &#1; -->\n<?pi &#1;?><a><![CDATA[&#1;]]>&#09;&#10;&#13;&amp;&#xFFFD;\xc3\xa9</a>",
         ""},
        {"<!-- --->&#1;<a/>", "the control character U+0001"},
        {"<![CDATA[]]]>&#2;", "the control character U+0002"},
    };
    for (const auto& [xml, problem] : cases) {
        text::XmlOutputCheck whole, bytes;
        whole.feed(xml);
        for (char c : xml)
            bytes.feed(std::string_view(&c, 1));
        EXPECT_EQ(whole.problem(), problem) << xml;
        EXPECT_EQ(bytes.problem(), problem) << xml;
    }
    // Long pieces are read sixteen bytes at a time: wherever a block ends.
    for (size_t pad = 0; pad < 20; ++pad) {
        text::XmlOutputCheck clean, dirty;
        const std::string before(pad, 'x'), after(40, 'y');
        clean.feed(before + "<!--&#1;--><a b='\xc3\xa9'>x</a>" + after);
        dirty.feed(before + "<?a &#2;?><a>\x1f</a>" + after);
        EXPECT_EQ(clean.problem(), "") << pad;
        EXPECT_EQ(dirty.problem(), "the control character U+001F") << pad;
    }
}

} // namespace
} // namespace pellucor::test
