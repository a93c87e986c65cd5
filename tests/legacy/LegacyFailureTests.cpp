// A conversion that cannot happen — LibreOffice missing, hanging, failing,
// producing nothing or a file that does not read back as the document — is an
// error that names the file and says why; nothing is written, no process is left running and no
// temporary file is left behind. These run with one LibreOffice process per conversion;
// LegacyServiceTests covers the LibreOffice shared by the program.
#include "base/Error.h"
#include "converter/ReadBack.h"
#include "LegacySupport.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace pellucor::test {
namespace {

const std::string kCorpusDoc = "phpword__docCzech.doc";

class LegacyFailure : public ::testing::Test {
protected:
    LegacyFailure() : tmp(scratch.file("tmp")), bin(scratch.file("bin")) {
        std::filesystem::create_directories(tmp);
        std::filesystem::create_directories(bin);
        copyFile(std::string(PELLUCOR_CORPUS_DIR) + "/" + kCorpusDoc, work.file("in.doc"));
    }

    // Opens in.doc with only the stand-in folder on PATH; returns the error.
    std::string openFails(const std::string& timeout = "60") {
        ScopedEnv path("PATH", bin);
        ScopedEnv limit("PELLUCOR_CONVERT_TIMEOUT", timeout);
        auto app = word::Application::Create();
        std::string description;
        try {
            app.Documents().Open(work.file("in.doc"));
            ADD_FAILURE() << "the document opened";
        } catch (const Error& error) {
            description = error.description();
        }
        app.Quit();
        EXPECT_NE(description.find(work.file("in.doc")), std::string::npos) << description;
        EXPECT_EQ(work.entries(), std::vector<std::string>{"in.doc"});
        EXPECT_TRUE(std::filesystem::is_empty(tmp)) << "temporary files were left behind";
        return description;
    }

    TempDir scratch, work;
    std::string tmp, bin;
    ScopedEnv tmpdir{"TMPDIR", tmp};
    ScopedEnv converter{"PELLUCOR_CONVERTER", "process"};
};

TEST_F(LegacyFailure, WithoutLibreOfficeTheErrorSaysWhatToInstall) {
    const std::string error = openFails();
    EXPECT_NE(error.find("needs LibreOffice"), std::string::npos) << error;
    EXPECT_NE(error.find("libreoffice-writer-nogui"), std::string::npos) << error;
    EXPECT_NE(error.find(".doc documents"), std::string::npos) << error;
}

TEST_F(LegacyFailure, AHangingConversionIsStoppedAtTheTimeLimitWithItsProcesses) {
    writeScript(bin + "/soffice", "/bin/sleep 60 &\necho $! > " + scratch.file("child") + "\nwait");
    const std::string error = openFails("1");
    EXPECT_NE(error.find("within 1 second"), std::string::npos) << error;
    const int child = std::stoi(readFile(scratch.file("child")));
    EXPECT_FALSE(processRuns(child)) << "the stand-in's child process " << child << " still runs";
}

TEST_F(LegacyFailure, AConversionThatFailsOrProducesNothingIsAnError) {
    writeScript(bin + "/soffice", "exit 0");
    EXPECT_NE(openFails().find("produced no document"), std::string::npos);
    writeScript(bin + "/soffice", "echo 'Error: source file could not be loaded'\nexit 1");
    EXPECT_NE(openFails().find("source file could not be loaded"), std::string::npos);
}

// A LibreOffice that converts the document but writes a file that reads back
// without a paragraph (the stand-in's text conversions of what was meant and
// of what was saved), and one whose export fails.
const char* kLostParagraph =
    "while [ $# -gt 1 ]; do case $1 in --convert-to) to=$2;; --outdir) out=$2;; esac; shift; "
    "done\n"
    "name=${1##*/}; stem=${name%.*}\n"
    "case $to in txt*) case $name in *.docx) printf 'One.\\nTwo.\\n';; *) printf 'One.\\n';; "
    "esac > \"$out/$stem.txt\";;\n"
    "*) echo saved > \"$out/$stem.${to%%:*}\";; esac";

TEST_F(LegacyFailure, AFailedSaveLeavesTheTargetAsItWasAndQuitCleansUp) {
    if (!libreOfficeInstalled())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed; install libreoffice-writer-nogui";
    writeFile(work.file("target.doc"), "the old content");
    auto app = word::Application::Create();
    word::Document document = app.Documents().Open(work.file("in.doc"));
    EXPECT_FALSE(std::filesystem::is_empty(tmp)) << "the private profile should be in TMPDIR";
    word::WordCollection words = document.Words();
    words(1).SetText(words(1).Text() + "x");
    for (const auto& [script, said] : {std::pair<std::string, std::string>{
                                           "echo 'Error: export failed'\nexit 1", "export failed"},
                                       {kLostParagraph, "paragraph 2 (\"Two.\") is missing"}}) {
        writeScript(bin + "/soffice", script);
        ScopedEnv path("PATH", bin);
        try {
            document.SaveAs(work.file("target.doc"));
            ADD_FAILURE() << "the save succeeded";
        } catch (const Error& error) {
            EXPECT_NE(error.description().find("target.doc"), std::string::npos);
            EXPECT_NE(error.description().find(said), std::string::npos) << error.description();
        }
    }
    // An author's name that XML cannot hold is refused before LibreOffice sees it.
    word::EditOptions tracked;
    tracked.trackedBy = word::Revisor{"Ann\x1bLee", "2026-12-08T09:30:00Z"};
    word::Document signedBy = app.Documents().Open(work.file("in.doc"), tracked);
    signedBy.Words()(1).SetText(signedBy.Words()(1).Text() + "x");
    try {
        signedBy.SaveAs(work.file("target.doc"));
        ADD_FAILURE() << "the save succeeded";
    } catch (const Error& error) {
        EXPECT_NE(error.description().find("U+001B, which XML cannot hold"), std::string::npos)
            << error.description();
    }
    EXPECT_EQ(readFile(work.file("target.doc")), "the old content");
    EXPECT_EQ(work.entries(), (std::vector<std::string>{"in.doc", "target.doc"}));
    app.Quit();
    EXPECT_TRUE(std::filesystem::is_empty(tmp)) << "Quit left temporary files behind";
}

// What LibreOffice's own round trip changes passes; a difference in the
// spacing after punctuation, or a paragraph lost or gained, is told.
TEST(LegacyReadBack, OnlyWhatTheRoundTripItselfChangesPasses) {
    const struct {
        const char* intended;
        const char* readBack;
        const char* said; // "" when they read as the same
    } cases[] = {
        {"It ends.  Next\n", "It ends.\xC2\xA0 Next\n", ""},
        {"\xEF\xBB\xBF  Runs  of\tblanks.\n\n", "Runs of blanks.  \n", ""},
        {"It ends.  Next\n", "It ends. Next\n", "paragraph 1 reads back as \"It·ends.·Next\""},
        {"One.\nTwo.\n", "One.\n", "paragraph 2 (\"Two.\") is missing"},
        {"One.\n", "One.\r\nTwo.\r\n", "a paragraph more (\"Two.\")"},
    };
    for (const auto& c : cases) {
        const std::string said = converter::readBackDifference(c.intended, c.readBack);
        if (*c.said)
            EXPECT_NE(said.find(c.said), std::string::npos) << said;
        else
            EXPECT_EQ(said, "") << c.intended;
    }
}

TEST_F(LegacyFailure, AnEngineDroppedWithoutQuitRemovesItsTemporaryFiles) {
    if (!libreOfficeInstalled())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed; install libreoffice-writer-nogui";
    {
        auto app = word::Application::Create();
        app.Documents().Open(work.file("in.doc"));
    }
    EXPECT_TRUE(std::filesystem::is_empty(tmp));
}

} // namespace
} // namespace pellucor::test
