#pragma once

#include "base/Error.h"
#include "support/DocxBuilder.h"
#include "support/TempDir.h"
#include "word/Application.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace pellucor::test {

// An engine instance and a scratch folder; fixture documents are written
// into the folder and opened from there.
class EngineTest : public ::testing::Test {
protected:
    void TearDown() override {
        try {
            app.Quit();
        } catch (const Error&) {
            // the test quit it already
        }
    }

    // Writes the fixture as `name` in the scratch folder and opens it.
    word::Document open(const DocxBuilder& fixture, const std::string& name = "doc.docx") {
        fixture.write(dir.file(name));
        return app.Documents().Open(dir.file(name));
    }
    word::Document reopen(const std::string& path) { return app.Documents().Open(path); }

    TempDir dir;
    word::Application app = word::Application::Create();
};

// Every word of the document, in order.
inline std::vector<std::string> wordsOf(const word::Document& document) {
    std::vector<std::string> words;
    word::WordCollection collection = document.Words();
    for (int32_t i = 1, count = collection.Count(); i <= count; ++i)
        words.push_back(collection(i).Text());
    return words;
}

inline std::string joined(const std::vector<std::string>& words) {
    std::string all;
    for (const auto& word : words)
        all += word;
    return all;
}

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

// The inflated bytes of one entry of a package; empty when it is missing.
inline std::string entryOf(const std::string& packagePath, const std::string& name) {
    for (const auto& entry : readPackage(packagePath))
        if (entry.name == name)
            return entry.data;
    return {};
}

// Replaces the one occurrence of `from` in text; fails the test when there is
// not exactly one.
inline std::string replacedOnce(std::string text, const std::string& from, const std::string& to) {
    auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << "\"" << from << "\" is not in the text";
    if (at == std::string::npos)
        return text;
    EXPECT_EQ(text.find(from, at + 1), std::string::npos) << "\"" << from << "\" occurs twice";
    return text.replace(at, from.size(), to);
}

// Runs `action` and returns the description of the Error it raises; fails the
// test when it raises nothing.
template <typename Action> std::string errorFrom(Action&& action) {
    try {
        action();
    } catch (const Error& error) {
        return error.description();
    }
    ADD_FAILURE() << "no Error was raised";
    return {};
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
