// What the main story's text is made of: which items give characters, which
// give none, and which containers are part of the story.

#include "WordTestSupport.h"

namespace pellucor::test {
namespace {

using Words = std::vector<std::string>;

struct StoryCase {
    std::string name;
    std::string body;
    Words words;
};

std::ostream& operator<<(std::ostream& out, const StoryCase& c) {
    return out << c.name;
}

std::string run(const std::string& inner) {
    return "<w:r>" + inner + "</w:r>";
}

std::string textBox(const std::string& text) {
    std::string content = "<w:txbxContent>" + textP(text) + "</w:txbxContent>";
    return run("<mc:AlternateContent><mc:Choice Requires=\"wps\"><w:drawing><wp:anchor>"
               "<wp:docPr id=\"1\" name=\"Box\"/><a:graphic><a:graphicData><wps:wsp><wps:txbx>" +
               content +
               "</wps:txbx></wps:wsp></a:graphicData></a:graphic></wp:anchor></w:drawing>"
               "</mc:Choice><mc:Fallback><w:pict><v:shape><v:textbox>" +
               content + "</v:textbox></v:shape></w:pict></mc:Fallback></mc:AlternateContent>");
}

const std::string kPicture =
    run(R"(<w:drawing><wp:inline><wp:extent cx="10" cy="10"/><wp:docPr id="2" name="Pic"/>)"
        R"(</wp:inline></w:drawing>)");

std::string field(const std::string& instruction, const std::string& result) {
    return run(R"(<w:fldChar w:fldCharType="begin"/>)") +
           run("<w:instrText xml:space=\"preserve\">" + instruction + "</w:instrText>") +
           run(R"(<w:fldChar w:fldCharType="separate"/>)") + r(result) +
           run(R"(<w:fldChar w:fldCharType="end"/>)");
}

std::vector<StoryCase> itemCases() {
    return {
        {"TabIsACharacter", p({r("a"), run("<w:tab/>"), r("b")}), {"a", "\t", "b", "\r"}},
        {"LineBreakIsVerticalTab", p({r("a"), run("<w:br/>"), r("b")}), {"a", "\v", "b", "\r"}},
        {"CarriageReturnItemIsVerticalTab",
         p({r("a"), run("<w:cr/>"), r("b")}),
         {"a", "\v", "b", "\r"}},
        {"PageBreakIsFormFeed",
         p({r("a"), run(R"(<w:br w:type="page"/>)"), r("b")}),
         {"a", "\f", "b", "\r"}},
        {"ColumnBreakIsFormFeed",
         p({r("a"), run(R"(<w:br w:type="column"/>)"), r("b")}),
         {"a", "\f", "b", "\r"}},
        {"FootnoteReference",
         p({r("Note"), run(R"(<w:footnoteReference w:id="1"/>)"), r(" here")}),
         {"Note", "\x02 ", "here", "\r"}},
        {"EndnoteReference",
         p({r("Note"), run(R"(<w:endnoteReference w:id="1"/>)"), r(".")}),
         {"Note", "\x02", ".", "\r"}},
        {"NotesOwnMarksAreCharactersOfTheirOwn",
         p({run("<w:footnoteRef/>"), r(". starts"), run("<w:endnoteRef/>"),
            run("<w:annotationRef/>"), r("end")}),
         {"\x02", ". ", "starts", "\x02", "\x02", "end", "\r"}},
        {"SpacesAtTheEndsOfATextThatDoesNotPreserveThemAreNotShown",
         p({"<w:r><w:t> Lead. </w:t></w:r>", "<w:r><w:t xml:space=\"preserve\"> kept </w:t></w:r>",
            "<w:r><w:t>\n\tNext</w:t></w:r>"}),
         {"Lead", ". ", "kept ", "Next", "\r"}},
        {"PictureIsOneCharacter",
         p({r("See "), kPicture, r(" now")}),
         {"See ", "\x01 ", "now", "\r"}},
        {"TextBoxIsOneCharacterAndItsTextIsNotInTheStory",
         p({r("Before "), textBox("Inside the box."), r(" after")}),
         {"Before ", "\x01 ", "after", "\r"}},
        {"AlternateContentBetweenRunsIsOneCharacter",
         p({r("a "), R"(<mc:AlternateContent><mc:Choice Requires="w14">)" + r("choice") +
                         "</mc:Choice><mc:Fallback>" + r("fallback") +
                         "</mc:Fallback></mc:AlternateContent>"}),
         {"a ", "\x01", "\r"}},
        {"RubyIsOneCharacter",
         p({r("a "), run("<w:ruby><w:rubyPr/><w:rt>" + r("kan") + "</w:rt><w:rubyBase>" + r("漢") +
                         "</w:rubyBase></w:ruby>")}),
         {"a ", "\x01", "\r"}},
        {"PositionalTabIsATab",
         p({r("a"), run(R"(<w:ptab w:relativeTo="margin" w:alignment="right"/>)"), r("b")}),
         {"a", "\t", "b", "\r"}},
        {"EmbeddedObjectsAreOneCharacterEach",
         p({r("a "), run("<w:object/>"), r(" b "), run("<w:embedObject/>")}),
         {"a ", "\x01 ", "b ", "\x01", "\r"}},
        {"ItemsOutsideARunGiveNothing",
         p({r("a"), "<w:tab/><w:t>lost</w:t><w:rPr/>", r("b")}),
         {"ab", "\r"}},
        {"SymbolIsOneCharacter",
         p({r("a "), run(R"(<w:sym w:font="Wingdings" w:char="F04A"/>)")}),
         {"a ", "\x01", "\r"}},
        {"EquationIsOneCharacter",
         p({r("x "), "<m:oMath><m:r><m:t>y=2</m:t></m:r></m:oMath>", r(" z")}),
         {"x ", "\x01 ", "z", "\r"}},
        {"NoBreakHyphenAndSoftHyphen",
         p({r("a"), run("<w:noBreakHyphen/>"), r("b"), run("<w:softHyphen/>"), r("c")}),
         {"a", "\x1E", "b", "\x1F", "c", "\r"}},
        {"FieldInstructionIsNotTextButItsResultIs",
         p({r("Page "), field(" PAGE ", "3"), r(".")}),
         {"Page ", "3", ".", "\r"}},
        {"SimpleFieldResultIsText",
         p({r("Today is "), R"(<w:fldSimple w:instr=" DATE ">)" + r("Monday") + "</w:fldSimple>",
            r(".")}),
         {"Today ", "is ", "Monday", ".", "\r"}},
        {"DeletedTextIsNotTextInsertedTextIs",
         p({r("Keep "),
            R"(<w:del w:id="1" w:author="A"><w:r><w:delText>gone </w:delText></w:r></w:del>)",
            R"(<w:ins w:id="2" w:author="A">)" + r("new ") + "</w:ins>", r("end")}),
         {"Keep ", "new ", "end", "\r"}},
        {"MovedTextCountsOnlyWhereItArrived",
         p({R"(<w:moveFrom w:id="3" w:author="A">)" + r("old ") + "</w:moveFrom>",
            R"(<w:moveTo w:id="4" w:author="A">)" + r("moved ") + "</w:moveTo>", r("on")}),
         {"moved ", "on", "\r"}},
        {"HyperlinkTextIsText",
         p({r("Go "), R"(<w:hyperlink r:id="rId9">)" + r("there") + "</w:hyperlink>", r(".")}),
         {"Go ", "there", ".", "\r"}},
        {"TextOfEveryInlineWrapperIsText",
         p({"<w:smartTag>" + r("one ") + "</w:smartTag>",
            "<w:customXml>" + r("two ") + "</w:customXml>",
            R"(<w:bdo w:val="rtl">)" + r("three ") + "</w:bdo>",
            R"(<w:dir w:val="ltr">)" + r("four") + "</w:dir>"}),
         {"one ", "two ", "three ", "four", "\r"}},
        {"InlineContentControlTextIsText",
         p({r("Name: "),
            R"(<w:sdt><w:sdtPr><w:alias w:val="n"/></w:sdtPr><w:sdtContent>)" + r("Ann") +
                "</w:sdtContent></w:sdt>",
            r(".")}),
         {"Name", ": ", "Ann", ".", "\r"}},
    };
}

std::string blockControl(const std::string& content) {
    return R"(<w:sdt><w:sdtPr><w:tag w:val="t"/></w:sdtPr><w:sdtContent>)" + content +
           "</w:sdtContent></w:sdt>";
}

std::vector<StoryCase> containerCases() {
    return {
        {"TableCellsInRowOrder",
         textP("Before") + tbl({{textP("A1"), textP("B1")}, {textP("A2"), textP("B2")}}) +
             textP("After"),
         {"Before", "\r", "A1", "\r", "B1", "\r", "A2", "\r", "B2", "\r", "After", "\r"}},
        {"NestedTable",
         tbl({{textP("Outer") + tbl({{textP("Inner")}}) + textP("Tail")}}),
         {"Outer", "\r", "Inner", "\r", "Tail", "\r"}},
        {"BlockContentControl",
         blockControl(textP("Inside control")),
         {"Inside ", "control", "\r"}},
        {"TableInsideContentControl",
         blockControl(tbl({{textP("Cell")}})) + textP("End"),
         {"Cell", "\r", "End", "\r"}},
        {"SectionPropertiesAddNothing",
         textP("Last") + R"(<w:sectPr><w:pgSz w:w="12240" w:h="15840"/></w:sectPr>)",
         {"Last", "\r"}},
        {"TextBoxParagraphsAreNotStoryParagraphs",
         p({textBox("One.")}) + textP("Two"),
         {"\x01", "\r", "Two", "\r"}},
    };
}

class StoryItems : public EngineTest, public ::testing::WithParamInterface<StoryCase> {};

TEST_P(StoryItems, GiveTheirCharacters) {
    word::Document document = open(DocxBuilder(GetParam().body));
    EXPECT_EQ(wordsOf(document), GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(Items, StoryItems, ::testing::ValuesIn(itemCases()),
                         [](const auto& test) { return test.param.name; });
INSTANTIATE_TEST_SUITE_P(Containers, StoryItems, ::testing::ValuesIn(containerCases()),
                         [](const auto& test) { return test.param.name; });

} // namespace
} // namespace pellucor::test
