// Editing restrictions and the password to modify.

#include "word/BatchDocument.h"
#include "WordTestSupport.h"

namespace pellucor::test {
namespace {

std::string protection(const std::string& attributes) {
    return "<w:documentProtection " + attributes + "/>";
}

std::string settingsPartOf(const DocxBuilder& fixture) {
    for (const auto& [name, bytes] : fixture.entries())
        if (name == "word/settings.xml")
            return bytes;
    return {};
}

struct ProtectionCase {
    std::string name;
    std::string settings;
    int type;
};

std::ostream& operator<<(std::ostream& out, const ProtectionCase& c) {
    return out << c.name;
}

std::vector<ProtectionCase> protectionCases() {
    return {
        {"NoRestriction", "", -1},
        {"TrackedChanges", protection(R"(w:edit="trackedChanges" w:enforcement="1")"), 0},
        {"Comments", protection(R"(w:edit="comments" w:enforcement="1")"), 1},
        {"Forms", protection(R"(w:edit="forms" w:enforcement="1")"), 2},
        {"ReadOnly", protection(R"(w:edit="readOnly" w:enforcement="1")"), 3},
        {"EditNone", protection(R"(w:edit="none" w:enforcement="1")"), -1},
        {"EnforcementZero", protection(R"(w:edit="readOnly" w:enforcement="0")"), -1},
        {"EnforcementFalse", protection(R"(w:edit="readOnly" w:enforcement="false")"), -1},
        {"EnforcementOff", protection(R"(w:edit="readOnly" w:enforcement="off")"), -1},
        {"EnforcementMissingCountsAsOn", protection(R"(w:edit="forms")"), 2},
        {"EnforcementTrue", protection(R"(w:edit="comments" w:enforcement="true")"), 1},
        {"EnforcementOn", protection(R"(w:edit="comments" w:enforcement="on")"), 1},
        {"EditMissing", protection(R"(w:enforcement="1")"), -1},
    };
}

class ProtectionType : public EngineTest, public ::testing::WithParamInterface<ProtectionCase> {};

TEST_P(ProtectionType, FollowsEditAndEnforcement) {
    word::Document document = open(DocxBuilder(textP("x")).settings(GetParam().settings));
    EXPECT_EQ(document.ProtectionType(), GetParam().type);
}

TEST_P(ProtectionType, ReadsTheSameInAStrictDocument) {
    word::Document document = open(DocxBuilder(textP("x")).strict().settings(GetParam().settings));
    EXPECT_EQ(document.ProtectionType(), GetParam().type);
}

INSTANTIATE_TEST_SUITE_P(Protection, ProtectionType, ::testing::ValuesIn(protectionCases()),
                         [](const auto& test) { return test.param.name; });

TEST_F(EngineTest, DocumentWhoseSettingsPartIsMissingIsUnprotected) {
    word::Document document = open(DocxBuilder(textP("x")).without("word/settings.xml"));
    EXPECT_EQ(document.ProtectionType(), -1);
    EXPECT_NO_THROW(document.Unprotect());
}

TEST_F(EngineTest, UnprotectWithoutPasswordRemovesOnlyTheRestriction) {
    const std::string zoom = R"(<w:zoom w:percent="100"/>)";
    const std::string tabs = R"(<w:defaultTabStop w:val="720"/>)";
    word::Document document =
        open(DocxBuilder(textP("x"))
                 .settings(zoom + protection(R"(w:edit="readOnly" w:enforcement="1" w:hash="")") +
                           tabs));
    document.Unprotect();
    EXPECT_EQ(document.ProtectionType(), -1);

    document.SaveAs(dir.file("out.docx"));
    EXPECT_EQ(entryOf(dir.file("out.docx"), "word/settings.xml"),
              settingsPartOf(DocxBuilder(textP("x")).settings(zoom + tabs)));
    EXPECT_EQ(entryOf(dir.file("out.docx"), "word/document.xml"),
              entryOf(dir.file("doc.docx"), "word/document.xml"));
    EXPECT_EQ(reopen(dir.file("out.docx")).ProtectionType(), -1);
}

TEST_F(EngineTest, UnprotectRemovesARestrictionHoldingDeepMarkup) {
    const std::string zoom = R"(<w:zoom w:percent="100"/>)";
    word::Document document =
        open(DocxBuilder(textP("x"))
                 .settings(zoom + "<w:documentProtection w:edit=\"readOnly\">" +
                           nested("<w:x>", "</w:x>", kDeepNesting) + "</w:documentProtection>"));
    document.Unprotect();
    document.SaveAs(dir.file("out.docx"));
    EXPECT_EQ(entryOf(dir.file("out.docx"), "word/settings.xml"),
              settingsPartOf(DocxBuilder(textP("x")).settings(zoom)));
}

TEST_F(EngineTest, UnprotectOfAnUnprotectedDocumentDoesNothing) {
    word::Document document = open(DocxBuilder(textP("x")));
    document.Unprotect();
    document.SaveAs(dir.file("out.docx"));
    EXPECT_EQ(readFile(dir.file("out.docx")), readFile(dir.file("doc.docx")));
}

class PasswordProtected : public EngineTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(PasswordProtected, UnprotectRaisesAndChangesNothing) {
    word::Document document =
        open(DocxBuilder(textP("x"))
                 .settings(protection(R"(w:edit="readOnly" w:enforcement="1" )" + GetParam() +
                                      R"(="c2VjcmV0" w:salt="AAAA")")));
    std::string description = errorFrom([&] { document.Unprotect(); });
    EXPECT_NE(description.find("password"), std::string::npos) << description;
    EXPECT_EQ(document.ProtectionType(), 3);
    document.SaveAs(dir.file("out.docx"));
    EXPECT_EQ(readFile(dir.file("out.docx")), readFile(dir.file("doc.docx")));
}

INSTANTIATE_TEST_SUITE_P(Protection, PasswordProtected, ::testing::Values("w:hash", "w:hashValue"),
                         [](const auto& test) { return test.param.substr(2); });

const std::string kPasswordToModify =
    R"(<w:writeProtection w:cryptProviderType="rsaAES" w:cryptAlgorithmClass="hash" )"
    R"(w:hashValue="c2VjcmV0" w:saltValue="AAAA" w:cryptSpinCount="100000"/>)";

TEST_F(EngineTest, PasswordToModifyRefusesSavingOverTheOwnFile) {
    word::Document document =
        open(DocxBuilder(textP("It ends.  Next")).settings(kPasswordToModify));
    const std::string original = readFile(dir.file("doc.docx"));
    document.Words()(3).SetText(". ");
    for (const std::string& samePath : {dir.file("doc.docx"), dir.path() + "/./doc.docx"}) {
        std::string description = errorFrom([&] { document.SaveAs(samePath); });
        EXPECT_NE(description.find("doc.docx"), std::string::npos) << description;
    }
    EXPECT_EQ(readFile(dir.file("doc.docx")), original);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"doc.docx"});
}

TEST_F(EngineTest, PasswordToModifyAllowsSavingElsewhere) {
    word::Document document =
        open(DocxBuilder(textP("It ends.  Next")).settings(kPasswordToModify));
    document.Words()(3).SetText(". ");
    document.SaveAs(dir.file("copy.docx"));
    EXPECT_EQ(joined(wordsOf(reopen(dir.file("copy.docx")))), "It ends. Next\r");
}

// The next mark of a run opens the copy it saved and saves over it; a copy
// read afresh is the author's file again.
TEST_F(EngineTest, PasswordToModifyAllowsSavingOverTheCopyJustSaved) {
    DocxBuilder(textP("It ends.  Next. Then"))
        .settings(kPasswordToModify)
        .write(dir.file("a.docx"));
    {
        word::BatchDocument batch(dir.file("a.docx"));
        app.Documents().Open(dir.file("a.docx"), {}, &batch).SaveAs(dir.file("copy.docx"));
        app.Quit();
        app = word::Application::Create();
        word::Document copy = app.Documents().Open(dir.file("copy.docx"), {}, &batch);
        copy.Words()(3).SetText(". ");
        copy.SaveAs(dir.file("copy.docx"));
        app.Quit();
    }
    app = word::Application::Create();
    EXPECT_FALSE(
        errorFrom([&] { reopen(dir.file("copy.docx")).SaveAs(dir.file("copy.docx")); }).empty());
}

TEST_F(EngineTest, ReadOnlyRecommendedAloneAllowsSavingOverTheOwnFile) {
    word::Document document = open(
        DocxBuilder(textP("It ends.  Next")).settings(R"(<w:writeProtection w:recommended="1"/>)"));
    document.Words()(3).SetText(". ");
    document.SaveAs(dir.file("doc.docx"));
    EXPECT_EQ(joined(wordsOf(reopen(dir.file("doc.docx")))), "It ends. Next\r");
}

} // namespace
} // namespace pellucor::test
