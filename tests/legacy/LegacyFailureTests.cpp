// A conversion that cannot happen — LibreOffice missing, hanging, failing,
// producing nothing or a file that does not read back as the document — is an
// error that names the file and says why; nothing is written, no process is left running and no
// temporary file is left behind. These run with one LibreOffice process per conversion;
// LegacyServiceTests covers the LibreOffice shared by the program.
#include "base/Error.h"
#include "BatchRun.h"
#include "converter/PrivatePathCheck.h"
#include "converter/PrivateProfile.h"
#include "converter/ReadBack.h"
#include "LegacySupport.h"
#include "support/ScriptedServices.h"
#include "support/TempDir.h"
#include "support/TestConversions.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

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
        auto app = word::Application::Create(&testConversions());
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
// of what was saved), where its round trip of the unchanged document (the
// .docx it made itself) keeps every paragraph, and one whose export fails.
const char* kLostParagraph =
    "while [ $# -gt 1 ]; do case $1 in --convert-to) to=$2;; --outdir) out=$2;; esac; shift; "
    "done\n"
    "name=${1##*/}; stem=${name%.*}\n"
    "case $to in txt*) case $name in *.docx) read -r made < \"$1\"; if [ \"$made\" = saved ]; then "
    "printf 'One.\\n'; else printf 'One.\\nTwo.\\n'; fi;; *) printf 'One.\\n';; "
    "esac > \"$out/$stem.txt\";;\n"
    "*) echo saved > \"$out/$stem.${to%%:*}\";; esac";

TEST_F(LegacyFailure, AFailedSaveLeavesTheTargetAsItWasAndQuitCleansUp) {
    if (!libreOfficeInstalled())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed; install libreoffice-writer-nogui";
    writeFile(work.file("target.doc"), "the old content");
    auto app = word::Application::Create(&testConversions());
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
// spacing after punctuation, or a paragraph lost or gained, is told. Where the
// unchanged document's own round trip is given, what it shows passes too,
// and only what it does not explain is told.
TEST(LegacyReadBack, OnlyWhatTheRoundTripItselfChangesPasses) {
    const struct {
        const char* intended;
        const char* readBack;
        const char* said;                   // "" when they read as the same
        const char* unchangedIntended = ""; // the unchanged document's round trip,
        const char* unchangedReadBack = ""; // when both are given
    } cases[] = {
        {"It ends.  Next\n", "It ends.\xC2\xA0 Next\n", ""},
        {"\xEF\xBB\xBF  Runs  of\tblanks.\n\n", "Runs of blanks.  \n", ""},
        {"It ends.  Next\n", "It ends. Next\n", "paragraph 1 reads back as \"It·ends.·Next\""},
        {"One.\nTwo.\n", "One.\n", "paragraph 2 (\"Two.\") is missing"},
        {"One.\n", "One.\r\nTwo.\r\n", "a paragraph more (\"Two.\")"},
        // A contents entry the round trip drops, and the rest shifted up.
        {"Contents\n0. Contents\t2\n1. Highlights\nIt ends.  Next\n",
         "Contents\n1. Highlights\nIt ends.  Next\n", "",
         "Contents\n0. Contents\t2\n1. "
         "Highlights\nIt ends. Next\n",
         "Contents\n1. Highlights\nIt ends. Next\n"},
        // The same, but the spacing meant is lost too.
        {"Contents\n0. Contents\t2\nIt ends.  Next\n", "Contents\nIt ends. Next\n",
         "paragraph 2 reads back as \"It·ends.·Next\" instead of \"It·ends.··Next\"",
         "Contents\n0. Contents\t2\nIt ends. Next\n", "Contents\nIt ends. Next\n"},
        // A paragraph lost that the round trip keeps, and words changed.
        {"A.\nB.\n", "A.\n", "paragraph 2 (\"B.\") of LibreOffice's own round trip", "A.\nB.\n",
         "A.\nB.\n"},
        {"A file.\n", "A fille.\n", "reads back as \"A·fille.\" where", "A file.\n", "A file.\n"},
    };
    for (const auto& c : cases) {
        const std::string said =
            *c.unchangedIntended
                ? converter::unexplainedReadBackDifference(c.intended, c.readBack,
                                                           c.unchangedIntended, c.unchangedReadBack)
                : converter::readBackDifference(c.intended, c.readBack);
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
        auto app = word::Application::Create(&testConversions());
        app.Documents().Open(work.file("in.doc"));
    }
    EXPECT_TRUE(std::filesystem::is_empty(tmp));
}

// A field that shows the document's file name with its folders in a footer,
// and in the body, a header and a note, as RTF and flat text write it.
const char* kFooterField = R"({\rtf1\ansi\deff0{\fonttbl{\f0 Times;}}
{\footer\pard Footer {\field{\*\fldinst FILENAME \\p}{\fldrslt held-report.rtf}}\par}
\pard It ends here. Next one starts.\par})";

const char* kFieldEverywhere = R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.text">
<office:automatic-styles><style:page-layout style:name="pm1"/></office:automatic-styles>
<office:master-styles><style:master-page style:name="Standard" style:page-layout-name="pm1"><style:header><text:p>Header <text:file-name text:display="full">/home/held/report.fodt</text:file-name></text:p></style:header><style:footer><text:p>Footer <text:file-name text:display="full">/home/held/report.fodt</text:file-name></text:p></style:footer></style:master-page></office:master-styles>
<office:body><office:text><text:p>It ends here. Next one starts, in <text:file-name text:display="full">/home/held/report.fodt</text:file-name>.<text:note text:id="n1" text:note-class="footnote"><text:note-citation>1</text:note-citation><text:note-body><text:p>A note. In <text:file-name text:display="full">/home/held/report.fodt</text:file-name>.</text:p></text:note-body></text:note></text:p></office:text></office:body></office:document>
)";

struct FieldCase {
    const char* name;
    const char* source; // the document written, or the one LibreOffice makes it from
    const char* madeAs; // LibreOffice's --convert-to target, or ""
};

void PrintTo(const FieldCase& c, std::ostream* out) {
    *out << c.name;
}

class LegacyFileNameField : public ::testing::TestWithParam<FieldCase> {};

// The file-name field is filled in by LibreOffice from where it has the
// document, the private folder: with the shared LibreOffice and with one of
// its own, that never reaches a saved file; such a save is refused, naming
// the file, and nothing is written.
TEST_P(LegacyFileNameField, ThePrivateFolderNeverReachesASavedFile) {
    if (!libreOfficeInstalled())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed; install libreoffice-writer-nogui";
    const FieldCase& c = GetParam();
    TempDir dir;
    writeFile(dir.file("footer.rtf"), kFooterField);
    writeFile(dir.file("everywhere.fodt"), kFieldEverywhere);
    if (*c.madeAs) {
        converter::writePrivateProfile(dir.file("profile"));
        convertWithLibreOffice(dir.file(c.source), c.madeAs, dir.path(), dir.file("profile"));
    }
    const std::vector<std::string> privateNames = {
        "/proc/self/root", "pellucor-" + std::to_string(::getpid()) + "-lo"};
    for (const char* mode : {"shared", "process"}) {
        ScopedEnv converter("PELLUCOR_CONVERTER", mode);
        ScriptedServices scripted;
        scripted.window.files = {dir.file(c.name)};
        scripted.window.marks = {{".", true}};
        scripted.window.option1 = scripted.window.option3 = true;
        scripted.window.text2 = dir.file(mode);
        std::filesystem::create_directory(scripted.window.text2);
        const BatchOutcome outcome = RunBatch(scripted.services);
        ASSERT_EQ(outcome.documents.size(), 1u);
        const std::string saved = dir.file(mode + std::string("/") + c.name);
        if (std::filesystem::exists(saved)) {
            EXPECT_EQ(converter::firstNameHeld(readFile(saved), privateNames, saved), "") << mode;
            continue;
        }
        ASSERT_EQ(outcome.documents[0].result(), MarkOutcome::Result::Failed) << mode;
        const std::string said = outcome.documents[0].marks.at(0).failures.at(0).description;
        EXPECT_NE(said.find(saved), std::string::npos) << said;
        EXPECT_TRUE(said.find("private temporary folder") != std::string::npos ||
                    said.find("does not read back") != std::string::npos)
            << said;
    }
}

INSTANTIATE_TEST_SUITE_P(Fields, LegacyFileNameField,
                         ::testing::Values(FieldCase{"footer.rtf", "footer.rtf", ""},
                                           FieldCase{"footer.doc", "footer.rtf", "doc:MS Word 97"},
                                           FieldCase{"everywhere.fodt", "everywhere.fodt", ""},
                                           FieldCase{"everywhere.doc", "everywhere.fodt",
                                                     "doc:MS Word 97"}),
                         [](const ::testing::TestParamInfo<FieldCase>& param) {
                             std::string name = param.param.name;
                             return name.replace(name.find('.'), 1, "_");
                         });

} // namespace
} // namespace pellucor::test
