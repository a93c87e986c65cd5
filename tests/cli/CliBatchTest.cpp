// What the command line's batch run leaves on disk: results in the output
// folder, on the desktop or over the sources; the same bytes whatever the
// number of jobs. Runs other than the first pass --yes, so that a word
// processor started meanwhile by someone else cannot stop them.

#include "CliProcess.h"
#include "converter/ProcessRunner.h"
#include "support/ProcessTable.h"

#include <csignal>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>

namespace pellucor::test {
namespace {

const std::string kSingle = "It ends. Then why? Because it can! Mr. Smith waits. Done.";
const std::string kDoubled = "It ends.  Then why?  Because it can!  Mr. Smith waits.  Done.";

TEST_F(CliTest, AddSavesEveryMarkIntoTheOutputFolderAndLeavesTheSources) {
    std::string a = write("a.docx", textP(kSingle));
    std::string b = write("b.docx", textP("one? two! three. Four"));
    const std::string sourceA = readFile(a);
    makeFolder("out");

    CliResult result = run({"--out", "out", "a.docx", "b.docx"});

    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "2 changed, 0 unchanged, 0 protected, 0 failed\n");
    EXPECT_EQ(result.err, "") << "no progress or messages when stderr is no terminal";
    EXPECT_EQ(documentText(dir.file("out/a.docx")), kDoubled + "\r");
    EXPECT_EQ(documentText(dir.file("out/b.docx")), "one?  two!  three.  Four\r");
    EXPECT_EQ(readFile(a), sourceA) << "the source must stay as it was";
}

TEST_F(CliTest, MarksChooseTheCharactersInclusiveOfMultiByteOnes) {
    write("a.docx", textP("wait… why? no. yes! end"));
    makeFolder("out");

    CliResult result = run({"--yes", "--marks", "…?", "--out", "out/", "a.docx"});

    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(documentText(dir.file("out/a.docx")), "wait…  why?  no. yes! end\r");
}

TEST_F(CliTest, RemoveTakesOneOfTwoSpacesAway) {
    write("a.docx", textP(kDoubled + " and.   three"));
    makeFolder("out");

    CliResult result = run({"--yes", "--remove", "--out", "out", "a.docx"});

    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(documentText(dir.file("out/a.docx")), kSingle + " and.   three\r");
}

// Each change is a revision by the name given; a plain text cannot hold one,
// takes the change outright and is named on stderr.
TEST_F(CliTest, TrackedChangesAreRevisionsWhereTheFormatHoldsThem) {
    write("a.docx", textP(kSingle));
    writeFile(dir.file("b.txt"), kSingle + "\n");
    makeFolder("out");

    CliResult result = run({"--yes", "--track-changes=Ann", "--out", "out", "a.docx", "b.txt"});
    CliResult quiet = run({"--yes", "-q", "--track-changes", "--out", "out", "b.txt"});

    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "pellucor-cli: b.txt: its format cannot hold tracked changes; the "
                          "spaces were changed outright\n");
    EXPECT_EQ(quiet.err, "");
    EXPECT_EQ(documentText(dir.file("out/a.docx")), kDoubled + "\r");
    std::string main;
    for (const auto& entry : readPackage(dir.file("out/a.docx")))
        if (entry.name == "word/document.xml")
            main = entry.data;
    size_t revisions = 0;
    for (size_t at = main.find("<w:ins "); at != std::string::npos;
         at = main.find("<w:ins ", at + 1))
        revisions += main.compare(main.find("w:author=", at), 14, "w:author=\"Ann\"") == 0;
    EXPECT_EQ(revisions, 4u);
    EXPECT_EQ(readFile(dir.file("out/b.txt")), kDoubled + "\n");
}

TEST_F(CliTest, InPlaceOverwritesTheSourcesWithoutLookingForAFolder) {
    std::string a = write("a.docx", textP(kSingle));
    std::string b = write("b.docx", textP(kDoubled));

    // HOME has no desktop folder: the output folder must not matter.
    CliResult result = runCli({"--yes", "--in-place", "--jobs", "2", a, b}, dir.path(),
                              {"HOME=" + makeFolder("home"), "XDG_CONFIG_HOME=" + dir.path()});

    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "1 changed, 1 unchanged, 0 protected, 0 failed\n")
        << "b.docx had two spaces already";
    EXPECT_EQ(documentText(a), kDoubled + "\r");
    EXPECT_EQ(documentText(b), kDoubled + "\r");
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"a.docx", "b.docx", "home"}))
        << "nothing but the sources may be written";
}

// A result is never written through a link: one that points elsewhere or
// nowhere is refused, and both the link and what it names stay as they were.
TEST_F(CliTest, ResultsAreNeverSavedThroughLinks) {
    write("a.docx", textP(kSingle));
    write("b.docx", textP(kSingle));
    makeFolder("out");
    writeFile(dir.file("private.txt"), "kept");
    std::filesystem::create_symlink("../private.txt", dir.file("out/a.docx"));
    std::filesystem::create_symlink("../nothing.docx", dir.file("out/b.docx"));

    CliResult result = run({"--yes", "--out", "out", "a.docx", "b.docx"});

    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "0 changed, 0 unchanged, 0 protected, 2 failed\n");
    for (const char* name : {"out/a.docx", "out/b.docx"})
        EXPECT_NE(result.err.find(name + std::string("\": it is a symbolic link")),
                  std::string::npos)
            << result.err;
    EXPECT_TRUE(readFile(dir.file("private.txt")) == "kept");
    EXPECT_FALSE(std::filesystem::exists(dir.file("nothing.docx")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("out/a.docx")));
}

TEST_F(CliTest, WithoutOutTheResultsGoToTheDesktopFolder) {
    write("a.docx", textP(kSingle));
    std::string home = makeFolder("home");
    makeFolder("home/Desktop");

    CliResult result = runCli({"--yes", "a.docx"}, dir.path(),
                              {"HOME=" + home, "XDG_CONFIG_HOME=" + home + "/.config"});

    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(documentText(home + "/Desktop/a.docx"), kDoubled + "\r");
}

TEST_F(CliTest, TwoJobsGiveTheSameBytesAsOne) {
    std::vector<std::string> names;
    std::string text;
    for (int k = 1; k <= 6; ++k) {
        text += "Part " + std::to_string(k) + " ends. why? because! ";
        names.push_back("doc" + std::to_string(k) + ".docx");
        // Sizes differ, so that the jobs get different shares.
        write(names.back(), textP(text) + textP("Mr. Smith.  It ends.  Next"));
    }
    makeFolder("one");
    makeFolder("two");
    auto args = [&](const std::string& jobs, const std::string& out) {
        std::vector<std::string> all{"--yes", "--jobs", jobs, "--out", out};
        all.insert(all.end(), names.begin(), names.end());
        return all;
    };

    CliResult one = run(args("1", "one"));
    CliResult two = run(args("2", "two"));

    EXPECT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(two.status, 0) << two.err;
    EXPECT_EQ(two.out, one.out);
    for (const std::string& name : names) {
        EXPECT_EQ(readFile(dir.file("two/" + name)), readFile(dir.file("one/" + name))) << name;
        EXPECT_NE(readFile(dir.file("one/" + name)), readFile(dir.file(name)))
            << name << " should have been changed";
    }
}

// File names a hostile sender might choose, and as messages show them.
struct OddName {
    std::string raw;
    std::string shown;
};
const OddName kOddNames[] = {{"new\nline.docx", "new\\nline.docx"},
                             {"\x1b[31mred.docx", "\\x1b[31mred.docx"},
                             {"caf\xe9.docx", "caf\\xe9.docx"}};

// Names are bytes, given or found in a folder: each document is processed
// and saved under the same bytes, shown escaped in one line a problem, and
// kept exactly in the report.
TEST_F(CliTest, OddNamesAreProcessedShownEscapedAndReportedExactly) {
    makeFolder("out");
    std::vector<std::string> given, saved;
    for (const OddName& name : kOddNames) {
        write(name.raw, textP(kSingle));
        writeFile(dir.file("bad " + name.raw), std::string("\0\x01\x02\xFE\xFF", 5));
        given.insert(given.end(), {name.raw, "bad " + name.raw});
        saved.insert(saved.end(), {"out/" + name.raw, "null"});
    }
    // A part's name inside a document reaches the messages too.
    DocxBuilder(textP(kSingle))
        .mainPart("word/\u0085.xml")
        .part("word/\u0085.xml", "<w:document")
        .write(dir.file("part.docx"));
    makeFolder("odd/d\xe9j\xe0");
    write("odd/d\xe9j\xe0/" + kOddNames[2].raw, textP(kSingle));
    std::vector<std::string> args{"--yes", "--out", "out", "--report", "run.json"};
    args.insert(args.end(), given.begin(), given.end());
    args.insert(args.end(), {"part.docx", "odd"});
    given.insert(given.end(), {"part.docx", "odd/d\xe9j\xe0/" + kOddNames[2].raw});
    saved.insert(saved.end(), {"null", "out/d\xe9j\xe0/" + kOddNames[2].raw});

    CliResult result = run(args);

    EXPECT_EQ(result.out, "4 changed, 0 unchanged, 0 protected, 4 failed\n");
    const std::vector<std::string> lines = linesOf(result.err);
    ASSERT_EQ(lines.size(), 4u) << result.err;
    for (size_t k = 0; k < std::size(kOddNames); ++k) {
        const std::string shown = "bad " + kOddNames[k].shown;
        EXPECT_EQ(lines[k].rfind("pellucor-cli: " + shown + ": The document \"" + shown + "\"", 0),
                  0u);
        EXPECT_EQ(documentText(dir.file("out/" + kOddNames[k].raw)), kDoubled + "\r");
    }
    EXPECT_NE(lines[3].find(" its part word/\\u0085.xml "), std::string::npos) << lines[3];
    EXPECT_EQ(reportedNames(dir.file("run.json"), "path"), given);
    EXPECT_EQ(reportedNames(dir.file("run.json"), "output"), saved);
}

TEST_F(CliTest, ProgressIsShownOnATerminal) {
    write("a.docx", textP(kSingle));
    write("b.docx", textP(kSingle));
    makeFolder("out");

    CliResult result =
        runCliOnTerminal({"--yes", "--jobs", "1", "--out", "out", "a.docx", "b.docx"}, dir.path());

    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_NE(result.out.find("\r\033[K[0/2] Processing: a.docx"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("[1/2] Processing: b.docx, about "), std::string::npos)
        << "done of all, the current file and the time left: " << result.out;
    EXPECT_NE(result.out.find("\r\033[K2 changed, 0 unchanged, 0 protected, 0 failed"),
              std::string::npos)
        << "the progress line is cleared before the last line: " << result.out;
}

// SIGINT once the first of three marks of a large document was saved over it:
// the document takes its other marks too, the documents after it none, and
// the report and the summary say so.
TEST_F(CliTest, AnInterruptedInPlaceRunLeavesEachDocumentWholeAndSaysSo) {
    std::string body;
    for (int k = 0; k < 6000; ++k)
        body += textP(kSingle);
    std::vector<std::string> args{"--yes", "--jobs", "1", "--in-place", "--report", "run.json"};
    for (const char* name : {"a.docx", "b.docx", "c.docx"}) {
        write(name, body);
        args.push_back(name);
    }
    const std::string original = readFile(dir.file("a.docx"));
    struct stat before {};
    ASSERT_EQ(::stat(dir.file("a.docx").c_str(), &before), 0);

    CliRun run(args, dir.path());
    const bool firstMarkSaved = eventually(
        [&] {
            struct stat now {};
            return ::stat(dir.file("a.docx").c_str(), &now) == 0 && now.st_ino != before.st_ino;
        },
        std::chrono::seconds(60));
    ::kill(run.pid(), SIGINT);
    CliResult result = run.finish();

    ASSERT_TRUE(firstMarkSaved);
    EXPECT_EQ(result.status, 128 + SIGINT) << result.err;
    const std::string text = documentText(dir.file("a.docx"));
    EXPECT_EQ(text.find("ends. Then"), std::string::npos) << "a mark of the three is missing";
    EXPECT_EQ(text.find("can! Mr"), std::string::npos) << "a mark of the three is missing";
    EXPECT_NE(text.find(kDoubled), std::string::npos);
    EXPECT_TRUE(readFile(dir.file("b.docx")) == original);
    EXPECT_EQ(result.out, "1 changed, 0 unchanged, 0 protected, 0 failed, 2 not processed\n");
    EXPECT_EQ(linesOf(result.err),
              std::vector<std::string>{"pellucor-cli: 2 documents not processed"});
    EXPECT_EQ(reportedNames(dir.file("run.json"), "status"),
              (std::vector<std::string>{"changed", "not processed", "not processed"}));
    EXPECT_EQ(reportedNames(dir.file("run.json"), "output"),
              (std::vector<std::string>{"a.docx", "null", "null"}));
}

// Stopped while LibreOffice works on its documents: SIGTERM ends the run after
// the document in hand, with the report and the summary; SIGKILL at once.
// Either way no process of the run, private folder or pipe is left behind.
TEST_F(CliTest, AStoppedRunLeavesNoLibreOfficeFolderOrPipeBehind) {
    if (converter::findOnPath("soffice").empty())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed; install libreoffice-writer-nogui";
    const std::string tmp = makeFolder("tmp");
    std::vector<std::string> args{"--yes", "--jobs", "1", "--out", "out", "--report", "run.json"};
    for (const std::string name : {"a.doc", "b.doc", "c.doc", "d.doc"}) {
        copyFile(std::string(PELLUCOR_CORPUS_DIR) + "/phpword__docCzech.doc", dir.file(name));
        args.push_back(name);
    }
    makeFolder("out");
    for (int signal : {SIGTERM, SIGKILL}) {
        SCOPED_TRACE(strsignal(signal));
        CliRun run(args, dir.path(), {"TMPDIR=" + tmp});
        std::vector<std::string> pipes;
        const bool listening = eventually(
            [&] {
                for (int office : processesWhoseCommandHas({"soffice.bin", tmp}))
                    pipes = socketsOf(office);
                return pipes.size() >= 2; // LibreOffice's own and the one it listens on
            },
            std::chrono::seconds(60));
        ::kill(run.pid(), signal);
        CliResult result = run.finish();

        ASSERT_TRUE(listening) << "LibreOffice did not start";
        EXPECT_EQ(result.status, 128 + signal) << result.err;
        if (signal == SIGTERM) {
            EXPECT_EQ(result.out,
                      "0 changed, 0 unchanged, 0 protected, 1 failed, 3 not processed\n");
            EXPECT_NE(result.err.find("pellucor-cli: 3 documents not processed\n"),
                      std::string::npos)
                << "one line for the documents not begun: " << result.err;
            ASSERT_TRUE(std::filesystem::exists(dir.file("run.json"))) << "no report";
            const std::string report = readFile(dir.file("run.json"));
            EXPECT_NE(report.find("the run was stopped"), std::string::npos) << report;
            EXPECT_NE(report.find("\"status\": \"not processed\""), std::string::npos) << report;
        }
        EXPECT_TRUE(eventually([&] { return processesWhoseCommandHas({tmp}).empty(); },
                               std::chrono::seconds(20)))
            << "a process of the run outlived it";
        EXPECT_TRUE(
            eventually([&] { return std::filesystem::is_empty(tmp); }, std::chrono::seconds(10)))
            << "a private folder outlived the run";
        for (const std::string& pipe : pipes)
            EXPECT_TRUE(eventually(
                [&] { return !std::filesystem::exists(std::filesystem::symlink_status(pipe)); },
                std::chrono::seconds(5)))
                << pipe;
    }
}

} // namespace
} // namespace pellucor::test
