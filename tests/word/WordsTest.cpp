// How a paragraph's text is cut into words: the cases the spacing engine
// relies on when it looks for a mark followed by spaces.

#include "word/WordSegmenter.h"
#include "WordTestSupport.h"

namespace pellucor::test {
namespace {

using Words = std::vector<std::string>;

struct WordsCase {
    std::string name;
    std::string body;
    Words words;
};

std::ostream& operator<<(std::ostream& out, const WordsCase& c) {
    return out << c.name;
}

std::vector<WordsCase> paragraphCases() {
    return {
        {"MarkFollowedByTwoSpaces", textP("It ends.  Next"), {"It ", "ends", ".  ", "Next", "\r"}},
        {"AbbreviationKeepsItsPeriodApart", textP("Mr. Smith"), {"Mr", ". ", "Smith", "\r"}},
        {"PeriodsInsideAnAbbreviation", textP("e.g. this"), {"e.g", ". ", "this", "\r"}},
        {"DecimalNumberIsOneWord", textP("3.5"), {"3.5", "\r"}},
        {"EllipsisIsThreeWords", textP("Wait... what"), {"Wait", ".", ".", ". ", "what", "\r"}},
        {"SpacesAtParagraphStartAreAWord", textP("  Hello world"), {"  ", "Hello ", "world", "\r"}},
        {"ParagraphOfSpacesOnly", textP("   "), {"   ", "\r"}},
        {"SpacesBetweenWordsFollowTheWord", textP("a   b"), {"a   ", "b", "\r"}},
        {"EmptyParagraphIsItsMark", "<w:p/>", {"\r"}},
        {"ParagraphWithPropertiesOnly", p({}, R"(<w:jc w:val="center"/>)"), {"\r"}},
        {"AccentedCapitals", textP("À l'école. Élise"), {"À ", "l'école", ". ", "Élise", "\r"}},
        {"NoBreakSpaceIsNotASpace", textP("Mr.\u00A0Smith"), {"Mr", ".", "\u00A0", "Smith", "\r"}},
        {"WideSpaceAfterASpaceStartsAWord", textP("x \u2003y"), {"x", " \u2003", "y", "\r"}},
        {"ClosingQuoteAfterMark", textP("end.\u201D Then"), {"end", ".", "\u201D ", "Then", "\r"}},
        {"EscapedCharacters", textP("Tom & Jerry <3"), {"Tom ", "& ", "Jerry ", "<", "3", "\r"}},
        {"IdeographicText", textP("日本語です。次"), {"日本語", "です", "。", "次", "\r"}},
        {"EmojiAfterAWord", textP("wow😀 ok"), {"wow", "😀 ", "ok", "\r"}},
        {"TwoParagraphs", textP("One.") + textP("Two"), {"One", ".", "\r", "Two", "\r"}},
        {"WordSplitAcrossRuns", p({r("Hel"), r("lo "), r("world")}), {"Hello ", "world", "\r"}},
        {"MarkAndSpacesSplitAcrossRuns",
         p({r("ends."), r(" "), r(" Next")}),
         {"ends", ".  ", "Next", "\r"}},
        {"MarkersInsideAWordGiveNoCharacter",
         p({r("Hel"), R"(<w:proofErr w:type="spellStart"/><w:bookmarkStart w:id="0" w:name="b"/>)",
            "<w:r><w:lastRenderedPageBreak/>" + t("lo.") + "</w:r>", R"(<w:bookmarkEnd w:id="0"/>)",
            R"(<w:commentRangeStart w:id="1"/>)", r(" End"), R"(<w:commentRangeEnd w:id="1"/>)",
            R"(<w:r><w:commentReference w:id="1"/></w:r>)"}),
         {"Hello", ". ", "End", "\r"}},
    };
}

class ParagraphWords : public EngineTest, public ::testing::WithParamInterface<WordsCase> {};

TEST_P(ParagraphWords, AreCutAtWordBoundariesWithTheirSpaces) {
    word::Document document = open(DocxBuilder(GetParam().body));
    EXPECT_EQ(wordsOf(document), GetParam().words);
}

TEST_P(ParagraphWords, ReadTheSameInAStrictDocument) {
    word::Document document = open(DocxBuilder(GetParam().body).strict());
    EXPECT_EQ(wordsOf(document), GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(Words, ParagraphWords, ::testing::ValuesIn(paragraphCases()),
                         [](const auto& test) { return test.param.name; });

// The segmenter's quick path for common scripts must cut exactly where the
// full boundary rules do.
// clang-format off
const char* const kSegmenterTexts[] = {
    "It ends.  Next", "Mr. Smith", "e.g. this", "3.5", "Wait... what", "  lead", "a:b",
    "U.S.A. next", "1,000.50 is", "can't stop", "don't. Do", "Hi! Yes? No.", "x — y",
    "end.\u201D Then", "(see 3.) And", "well_known 42_b", "a.b", "A.b", "1.a", "a'", "'a",
    "x \u2003y", "Mr.\u00A0Smith", "tab\there", "ÉCOLE. Été", "\u00BFQué? Sí.", "a \u2019b",
    "x. \u2026 y", "5. 6", "a  ,b", "Ω.  Ψ", "Привет. Мир", "\u05E9\u05DC\u05D5\u05DD. x",
    "me@x.org. Then", "5:30 pm", "$5.00. And", "x'y'z", "\"Quoted.\"  Next"};
// clang-format on

TEST(WordSegmenterQuickPath, AgreesWithTheFullBoundaryRules) {
    word::WordSegmenter segmenter;
    for (const char* text : kSegmenterTexts) {
        std::vector<uint32_t> quick, rules;
        segmenter.wordStarts(text, quick);
        segmenter.wordStartsByRules(text, rules);
        EXPECT_EQ(quick, rules) << "for \"" << text << "\"";
    }
}

TEST_F(EngineTest, WordsAreNumberedFromOneToCount) {
    word::Document document = open(DocxBuilder(textP("It ends.")));
    word::WordCollection words = document.Words();
    ASSERT_EQ(words.Count(), 4);
    EXPECT_EQ(words.Item(1).Text(), "It ");
    EXPECT_EQ(words(4).Text(), "\r");
    for (int32_t outside : {0, -1, 5})
        EXPECT_THROW(words.Item(outside), Error) << "word " << outside;
}

// The walk compares every word in place; that must read what Text() reads,
// paragraph marks, the last word and rewritten words included.
TEST_F(EngineTest, InPlaceComparisonAgreesWithText) {
    word::Document document = open(DocxBuilder(textP("It ends.") + textP("Next.  ")));
    word::WordCollection words = document.Words();
    words(2).SetText("ends  ");
    for (int32_t i = 1; i <= words.Count(); ++i) {
        const std::string text = words(i).Text();
        EXPECT_TRUE(words.textIs(i, text)) << "word " << i;
        EXPECT_TRUE(words.textIs(i, text.substr(0, 1), text.substr(1))) << "word " << i;
        EXPECT_FALSE(words.textIs(i, text, " ")) << "word " << i;
        EXPECT_FALSE(words.textIs(i, text.substr(1))) << "word " << i;
    }
    for (int32_t outside : {0, words.Count() + 1})
        EXPECT_EQ(errorFrom([&] { words.textIs(outside, "x"); }),
                  errorFrom([&] { words(outside).Text(); }));
}

// Each story's text and its place among the stories, as the fixture with a
// story of every kind lists them; a separator note and a header no section
// names are no stories.
struct StoryCase {
    word::StoryKind kind;
    int32_t number;
    std::string text;
};

const std::vector<StoryCase> kEveryStory = {
    {word::StoryKind::Main, 1, "Body one.  Two\x01\rBody two.\x02\x02\x02\r"},
    {word::StoryKind::Header, 1, "Head one.  A\x01\r"},
    {word::StoryKind::Footer, 1, "At the foot.  E\r"},
    {word::StoryKind::Header, 2, "Head two.  C\r"},
    {word::StoryKind::Footnote, 1, "Note one.  F\r"},
    {word::StoryKind::Footnote, 2, "Note two.  G\r"},
    {word::StoryKind::Endnote, 1, "The end.  H\r"},
    {word::StoryKind::Comment, 1, "A remark.  I\r"},
    {word::StoryKind::TextBox, 1, "Box one.  Two\r"},
    {word::StoryKind::TextBox, 2, "Head box.  B\r"},
};

TEST_F(EngineTest, EveryStoryIsListedInOrderWithItsOwnWords) {
    everyStoryFixture().write(dir.file("doc.docx"));
    word::StoryCollection stories =
        app.Documents().Open(dir.file("doc.docx"), everyStory()).Stories();
    ASSERT_EQ(stories.Count(), static_cast<int32_t>(kEveryStory.size()));
    for (int32_t i = 1; i <= stories.Count(); ++i) {
        const StoryCase& expected = kEveryStory[static_cast<size_t>(i - 1)];
        EXPECT_EQ(stories(i).Kind(), expected.kind) << "story " << i;
        EXPECT_EQ(stories(i).Number(), expected.number) << "story " << i;
        EXPECT_EQ(storyText(stories(i)), expected.text) << "story " << i;
    }
    for (int32_t outside : {0, stories.Count() + 1})
        EXPECT_THROW(stories(outside), Error) << "story " << outside;

    word::Document mainOnly = reopen(dir.file("doc.docx"));
    ASSERT_EQ(mainOnly.Stories().Count(), 1);
    EXPECT_EQ(joined(wordsOf(mainOnly)), kEveryStory[0].text);
}

// A note's own reference mark is its first character, a word of its own: a
// mark right after it is no first word.
TEST_F(EngineTest, NoteStartsWithItsOwnMark) {
    const std::string ns =
        "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";
    everyStoryFixture()
        .part("word/footnotes.xml", "<w:footnotes " + ns + "><w:footnote w:id=\"1\"><w:p>" +
                                        "<w:r><w:footnoteRef/></w:r>" + r(". starts") +
                                        "</w:p></w:footnote></w:footnotes>")
        .write(dir.file("doc.docx"));
    word::StoryCollection stories =
        app.Documents().Open(dir.file("doc.docx"), everyStory()).Stories();
    EXPECT_EQ(stories(5).Kind(), word::StoryKind::Footnote);
    EXPECT_EQ(storyText(stories(5)), "\x02. starts\r");
    EXPECT_EQ(stories(5).Words()(2).Text(), ". ");
}

// A damaged notes part, or one declaring a document type, is refused by name
// when every story is walked; the main story alone never reads it.
TEST_F(EngineTest, DamagedStoryPartIsRefusedOnlyWhenStoriesAreWalked) {
    for (const std::string notes : {"<w:footnotes><w:footnote>", "<!DOCTYPE x [<!ENTITY e \"a\">]>"
                                                                 "<w:footnotes/>"}) {
        everyStoryFixture().part("word/footnotes.xml", notes).write(dir.file("doc.docx"));
        EXPECT_EQ(reopen(dir.file("doc.docx")).Stories().Count(), 1);
        const std::string error = errorFrom(
            [&] { app.Documents().Open(dir.file("doc.docx"), everyStory()).Stories().Count(); });
        EXPECT_NE(error.find("doc.docx"), std::string::npos) << error;
        EXPECT_NE(error.find("word/footnotes.xml"), std::string::npos) << error;
    }
}

// Text boxes within text boxes as deep as a hostile document nests them: each
// is a story of its own, found and read without following the nesting.
TEST_F(EngineTest, TextBoxesNestedDeeplyAreStoriesOneByOne) {
    const std::string open = "<w:p><w:r><w:drawing><wps:txbx><w:txbxContent>";
    const std::string close = "</w:txbxContent></wps:txbx></w:drawing></w:r></w:p>";
    DocxBuilder(nested(open, close, kDeepNesting, textP("Deep.  x"))).write(dir.file("doc.docx"));
    word::StoryCollection stories =
        app.Documents().Open(dir.file("doc.docx"), everyStory()).Stories();
    ASSERT_EQ(stories.Count(), kDeepNesting + 1);
    EXPECT_EQ(stories(2).Number(), 1);
    EXPECT_EQ(storyText(stories(2)), "\x01\r");
    EXPECT_EQ(stories(kDeepNesting + 1).Number(), kDeepNesting);
    EXPECT_EQ(storyText(stories(kDeepNesting + 1)), "Deep.  x\r");
}

TEST_F(EngineTest, DocumentWithoutParagraphsHasNoWords) {
    word::Document document = open(DocxBuilder(""));
    EXPECT_EQ(document.Words().Count(), 0);
    EXPECT_EQ(document.Frames().Count(), 0);
}

TEST_F(EngineTest, MainPartUnderAnotherNameIsFoundThroughTheRelationships) {
    word::Document document = open(DocxBuilder(textP("Found. Here")).mainPart("word/main.xml"));
    EXPECT_EQ(wordsOf(document), (Words{"Found", ". ", "Here", "\r"}));
}

// Documents written by other tools bind the main namespace to another prefix
// or make it the default one.
TEST_F(EngineTest, MainNamespaceUnderAnyPrefixReadsAndWritesAlike) {
    const std::string ns = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
    for (const std::string& prefix : {std::string("ns0:"), std::string()}) {
        const std::string xmlns = prefix.empty() ? "xmlns" : "xmlns:" + prefix.substr(0, 3);
        auto tag = [&](const std::string& name) { return prefix + name; };
        const std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<" + tag("document") +
                                " " + xmlns + "=\"" + ns + "\"><" + tag("body") + "><" + tag("p") +
                                "><" + tag("r") + "><" + tag("t") + ">Hi.  There</" + tag("t") +
                                "></" + tag("r") + "></" + tag("p") + "></" + tag("body") + "></" +
                                tag("document") + ">";
        word::Document document = open(DocxBuilder().part("word/document.xml", xml));
        EXPECT_EQ(wordsOf(document), (Words{"Hi", ".  ", "There", "\r"})) << "prefix " << prefix;
        document.Words()(2).SetText(". ");
        document.SaveAs(dir.file("out.docx"));
        EXPECT_EQ(entryOf(dir.file("out.docx"), "word/document.xml"),
                  replacedOnce(xml, "Hi.  There", "Hi. There"))
            << "prefix " << prefix;
    }
}

} // namespace
} // namespace pellucor::test
