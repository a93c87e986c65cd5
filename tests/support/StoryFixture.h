#pragma once

#include "DocxBuilder.h"
#include "word/Document.h"

#include <string>

namespace pellucor::test {

// The text of one story, its words joined.
inline std::string storyText(const word::Story& story) {
    std::string all;
    word::WordCollection words = story.Words();
    for (int32_t i = 1, count = words.Count(); i <= count; ++i)
        all += words(i).Text();
    return all;
}

inline word::EditOptions everyStory() {
    word::EditOptions options;
    options.allStories = true;
    return options;
}

// A text box as a drawing holds it: its content paragraphs in a w:txbxContent.
inline std::string textBox(const std::string& paragraphs) {
    return "<w:drawing><wp:inline><a:graphic><a:graphicData><wps:wsp><wps:txbx><w:txbxContent>" +
           paragraphs + "</w:txbxContent></wps:txbx></wps:wsp></a:graphicData></a:graphic>" +
           "</wp:inline></w:drawing>";
}

// The same text box shown in two forms: the drawing, and a shape for readers
// that know no drawings.
inline std::string twoFormTextBox(const std::string& paragraphs) {
    return "<mc:AlternateContent><mc:Choice Requires=\"wps\">" + textBox(paragraphs) +
           "</mc:Choice><mc:Fallback><w:pict><v:rect><v:textbox><w:txbxContent>" + paragraphs +
           "</w:txbxContent></v:textbox></v:rect></w:pict></mc:Fallback></mc:AlternateContent>";
}

// A document with a story of every kind: two headers and a footer named by
// two sections (and a header named by none), two footnotes after their
// separators, an endnote, a comment, and text boxes in the body (in two
// forms) and in a header. Every story's text has a mark with two spaces.
inline DocxBuilder everyStoryFixture() {
    const std::string ns =
        R"( xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main")"
        R"( xmlns:wp="http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing")"
        R"( xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main")"
        R"( xmlns:wps="http://schemas.microsoft.com/office/word/2010/wordprocessingShape">)";
    auto part = [&](const std::string& root, const std::string& inner) {
        return "<?xml version=\"1.0\"?><w:" + root + ns + inner + "</w:" + root + ">";
    };
    auto note = [](const char* kind, const char* id, const std::string& type,
                   const std::string& text) {
        return std::string("<w:") + kind + " w:id=\"" + id + "\"" +
               (type.empty() ? "" : " w:type=\"" + type + "\"") + ">" + text + "</w:" + kind + ">";
    };
    const std::string rels = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    auto rel = [&](const std::string& id, const std::string& type, const std::string& target) {
        return "<Relationship Id=\"" + id + "\" Type=\"" + rels + type + "\" Target=\"" + target +
               "\"/>";
    };
    const std::string separators = "<w:p><w:r><w:separator/></w:r></w:p>" +
                                   std::string("<w:p><w:r><w:t>Sep.  x</w:t></w:r></w:p>");
    return DocxBuilder(
               p({r("Body one.  Two"), "<w:r>" + twoFormTextBox(textP("Box one.  Two")) + "</w:r>"},
                 R"(<w:sectPr><w:headerReference w:type="default" r:id="rId10"/>)"
                 R"(<w:footerReference w:type="default" r:id="rId12"/></w:sectPr>)") +
               p({r("Body two."), R"(<w:r><w:footnoteReference w:id="1"/></w:r>)",
                  R"(<w:r><w:footnoteReference w:id="2"/></w:r>)",
                  R"(<w:r><w:endnoteReference w:id="1"/></w:r>)",
                  R"(<w:r><w:commentReference w:id="0"/></w:r>)"}) +
               R"(<w:sectPr><w:headerReference w:type="first" r:id="rId11"/>)"
               R"(<w:headerReference w:type="even" r:id="rId10"/>)"
               R"(<w:footerReference w:type="default" r:id="rId12"/></w:sectPr>)")
        .part("word/_rels/document.xml.rels",
              "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/"
              "package/2006/relationships\">" +
                  rel("rId1", "settings", "settings.xml") + rel("rId10", "header", "header1.xml") +
                  rel("rId11", "header", "header2.xml") + rel("rId12", "footer", "footer1.xml") +
                  rel("rId13", "header", "header3.xml") +
                  rel("rId14", "footnotes", "footnotes.xml") +
                  rel("rId15", "endnotes", "endnotes.xml") +
                  rel("rId16", "comments", "comments.xml") + "</Relationships>")
        .part("word/header1.xml",
              part("hdr",
                   p({r("Head one.  A"), "<w:r>" + textBox(textP("Head box.  B")) + "</w:r>"})))
        .part("word/header2.xml", part("hdr", textP("Head two.  C")))
        .part("word/header3.xml", part("hdr", textP("Unused.  D")))
        .part("word/footer1.xml", part("ftr", textP("At the foot.  E")))
        .part("word/footnotes.xml",
              part("footnotes", note("footnote", "-1", "separator", separators) +
                                    note("footnote", "0", "continuationSeparator", separators) +
                                    note("footnote", "1", "", textP("Note one.  F")) +
                                    note("footnote", "2", "normal", textP("Note two.  G"))))
        .part("word/endnotes.xml",
              part("endnotes", note("endnote", "0", "separator", separators) +
                                   note("endnote", "1", "", textP("The end.  H"))))
        .part("word/comments.xml",
              part("comments", note("comment", "0", "", textP("A remark.  I"))));
}

} // namespace pellucor::test
