// Instances: documents they hold, and objects that outlive a Quit.

#include "WordTestSupport.h"

#include <functional>

namespace pellucor::test {
namespace {

TEST_F(EngineTest, ActiveDocumentIsTheLastOpenedAndKnowsItsName) {
    EXPECT_THROW(app.ActiveDocument(), Error);
    open(DocxBuilder(textP("One")), "first.docx");
    open(DocxBuilder(textP("Two")), "second.docx");
    EXPECT_EQ(app.Documents().Count(), 2);
    EXPECT_EQ(app.ActiveDocument().name(), "second.docx");
    EXPECT_EQ(app.ActiveDocument().FullName(), dir.file("second.docx"));
    // Words taken from a handle that goes at once keep the document's own.
    word::WordCollection words = app.ActiveDocument().Words();
    EXPECT_EQ(words.Count(), app.ActiveDocument().Words().Count());
    EXPECT_EQ(words(1).Text(), "Two");
    EXPECT_EQ(app.ActiveDocument().name(), "second.docx");
    EXPECT_EQ(app.Name(), word::Application::kName);
}

TEST_F(EngineTest, EveryObjectRaisesAfterQuit) {
    word::Document document = open(DocxBuilder(framedP("Framed.") + floatingTbl("Table")));
    word::WordCollection words = document.Words();
    word::WordRange first = words(1);
    word::FrameCollection frames = document.Frames();
    word::Frame frame = frames(1);
    word::FrameRange tableRange = frames(2).Range();
    word::TableItem table = tableRange.Tables(1);
    word::TableRows rows = table.Rows();
    app.Quit();

    const std::vector<std::pair<std::string, std::function<void()>>> uses{
        {"Application.Name", [&] { app.Name(); }},
        {"Application.Documents", [&] { app.Documents(); }},
        {"Application.ActiveDocument", [&] { app.ActiveDocument(); }},
        {"Application.DisplayAlerts", [&] { app.DisplayAlerts(); }},
        {"Application.SetDisplayAlerts", [&] { app.SetDisplayAlerts(false); }},
        {"Application.Quit", [&] { app.Quit(); }},
        {"Document.ProtectionType", [&] { document.ProtectionType(); }},
        {"Document.Unprotect", [&] { document.Unprotect(); }},
        {"Document.name", [&] { document.name(); }},
        {"Document.FullName", [&] { document.FullName(); }},
        {"Document.Words", [&] { document.Words(); }},
        {"Document.Words of a handle about to go", [&] { word::Document(document).Words(); }},
        {"Document.Frames", [&] { document.Frames(); }},
        {"Document.SaveAs", [&] { document.SaveAs(dir.file("after-quit.docx")); }},
        {"Words.Count", [&] { words.Count(); }},
        {"Words.Item", [&] { words.Item(1); }},
        {"Word.Text", [&] { first.Text(); }},
        {"Word.SetText", [&] { first.SetText("x"); }},
        {"Frames.Count", [&] { frames.Count(); }},
        {"Frames.Item", [&] { frames.Item(1); }},
        {"Frame.Range", [&] { frame.Range(); }},
        {"Frame.Delete", [&] { frame.Delete(); }},
        {"Range.Information", [&] { tableRange.Information(word::wdWithInTable); }},
        {"Range.Tables", [&] { tableRange.Tables(1); }},
        {"Table.Rows", [&] { table.Rows(); }},
        {"Rows.WrapAroundText", [&] { rows.WrapAroundText(); }},
        {"Rows.SetWrapAroundText", [&] { rows.SetWrapAroundText(false); }},
    };
    for (const auto& [name, use] : uses) {
        std::string description = errorFrom(use);
        EXPECT_FALSE(description.empty()) << name << " after Quit";
    }
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"doc.docx"});
}

TEST_F(EngineTest, QuitOfOneInstanceLeavesAnotherWorking) {
    word::Application other = word::Application::Create();
    DocxBuilder(textP("Still here.")).write(dir.file("other.docx"));
    word::Document kept = other.Documents().Open(dir.file("other.docx"));
    app.Quit();
    EXPECT_EQ(joined(wordsOf(kept)), "Still here.\r");
    other.Quit();
}

} // namespace
} // namespace pellucor::test
