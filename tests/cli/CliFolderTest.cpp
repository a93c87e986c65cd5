// Folders as arguments: what the walk takes and skips, the output tree that
// mirrors the folders given, a folder with nothing to take, and the backup
// copies of --in-place=SUFFIX.

#include "CliProcess.h"

#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <unistd.h>

namespace pellucor::test {
namespace {

const std::string kSingle = "It ends. Then why? Because!";
const std::string kDoubled = "It ends.  Then why?  Because!";

// letters/ with documents at three levels, two of them of the same name, and
// what the walk must pass over.
class CliFolderTest : public CliTest {
protected:
    void SetUp() override {
        for (const char* folder : {"letters", "letters/2024", "letters/2024/june", "out"})
            makeFolder(folder);
        write("letters/a.docx", textP(kSingle));
        write("letters/B.DOCX", textP(kSingle));
        write("letters/2024/a.docx", textP(kSingle));
        write("letters/2024/june/c.dotx", textP(kDoubled));
        write("letters/2024/notes.rtf", textP(kSingle)); // not *.do*
        write("letters/~$a.docx", textP(kSingle));       // an open document's lock file
        write("letters/.hidden.docx", textP(kSingle));
        std::filesystem::permissions(dir.file("letters/.hidden.docx"),
                                     std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::remove);
        makeFolder("elsewhere");
        write("elsewhere/linked.docx", textP(kSingle));
        std::filesystem::create_directory_symlink(dir.file("elsewhere"), dir.file("letters/link"));
    }
};

TEST_F(CliFolderTest, AFolderIsWalkedAsAddAllWalksItAndItsTreeIsMirrored) {
    CliResult result = run({"--yes", "--jobs", "2", "--out", "out", "letters"});

    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "3 changed, 1 unchanged, 0 protected, 0 failed\n");
    EXPECT_EQ(treeOf(dir.file("out")),
              (std::vector<std::string>{"2024", "2024/a.docx", "2024/june", "2024/june/c.dotx",
                                        "B.DOCX", "a.docx"}))
        << "same names in different folders no longer clash; ~ names, hidden files, other "
           "extensions and linked folders are left out";
    EXPECT_EQ(documentText(dir.file("out/2024/a.docx")), kDoubled + "\r");
    EXPECT_EQ(documentText(dir.file("letters/2024/a.docx")), kSingle + "\r");
}

TEST_F(CliFolderTest, ExtChoosesTheExtensionsInAnyCase) {
    write("letters/2024/june/d.DocX", textP(kSingle));

    CliResult result = run({"--yes", "--ext", "txt,.DOCX", "--out", "out", "letters"});

    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "4 changed, 0 unchanged, 0 protected, 0 failed\n");
    EXPECT_EQ(treeOf(dir.file("out")),
              (std::vector<std::string>{"2024", "2024/a.docx", "2024/june", "2024/june/d.DocX",
                                        "B.DOCX", "a.docx"}));
}

TEST_F(CliFolderTest, AThreeLetterExtTakesTheLongerOnesItBegins) {
    makeFolder("out2");
    CliResult dot = run({"--yes", "--ext", "dot", "--out", "out", "letters"});
    CliResult docAndDotx = run({"--yes", "--ext", "DOC,dotx", "--out", "out2", "letters"});

    EXPECT_EQ(dot.status, 0) << dot.err;
    EXPECT_EQ(treeOf(dir.file("out")),
              (std::vector<std::string>{"2024", "2024/june", "2024/june/c.dotx"}));
    EXPECT_EQ(docAndDotx.status, 0) << docAndDotx.err;
    EXPECT_EQ(treeOf(dir.file("out2")),
              (std::vector<std::string>{"2024", "2024/a.docx", "2024/june", "2024/june/c.dotx",
                                        "B.DOCX", "a.docx"}));
}

TEST_F(CliFolderTest, AFolderWithNothingToTakeIsOneErrorLine) {
    makeFolder("empty");
    makeFolder("empty/inner");
    write("empty/inner/x.txt", textP(kSingle));

    CliResult result = run({"--yes", "--out", "out", "empty", "letters/a.docx"});

    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(linesOf(result.err),
              (std::vector<std::string>{"pellucor-cli: empty: no files matching *.do* in this "
                                        "folder or below it"}));
    EXPECT_EQ(result.out, "1 changed, 0 unchanged, 0 protected, 0 failed\n");
}

TEST_F(CliFolderTest, ClashesAndDuplicatesAcrossFoldersAndFilesAreRefused) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"--out", "out", "letters", "letters/2024/a.docx"}, "listed twice"},
        {{"--out", "out", "letters/2024", "letters/a.docx"}, "would both be saved as a.docx"},
        {{"--out", "out", "letters", "letters/2024"}, "listed twice"},
    };
    for (const auto& [args, message] : cases) {
        CliResult result = run(args);
        EXPECT_EQ(result.status, 2) << message;
        EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
    }
    EXPECT_TRUE(treeOf(dir.file("out")).empty());
}

TEST_F(CliFolderTest, InPlaceWithASuffixKeepsEachSourceFirst) {
    std::filesystem::remove(dir.file("letters/~$a.docx")); // else a.docx counts as open elsewhere
    const std::string before = readFile(dir.file("letters/2024/a.docx"));

    CliResult first = run({"--yes", "--in-place=.orig", "letters"});
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_TRUE(readFile(dir.file("letters/2024/a.docx.orig")) == before);
    CliResult second = run({"--yes", "--in-place=.orig", "letters"});

    EXPECT_EQ(documentText(dir.file("letters/2024/a.docx")), kDoubled + "\r");
    EXPECT_TRUE(std::filesystem::exists(dir.file("letters/2024/june/c.dotx.orig")));
    EXPECT_EQ(second.out, "0 changed, 4 unchanged, 0 protected, 0 failed\n")
        << "the copies are not taken as documents the second time";
    EXPECT_FALSE(std::filesystem::exists(dir.file("letters/a.docx.orig.orig")));
    EXPECT_EQ(documentText(dir.file("letters/a.docx.orig")), kDoubled + "\r")
        << "the second run copied the first run's result";

    CliResult bad = run({"--in-place=", "letters"});
    EXPECT_EQ(bad.status, 2);
}

// A document is worked on by one run at a time. One that another run holds
// is left to it, named, and no copy of it is kept; two runs at once over one
// folder keep the original as the copy of every document they met on.
TEST_F(CliFolderTest, TwoRunsAtOnceNeverShareADocumentOrItsCopy) {
    const std::string held = dir.file("letters/a.docx");
    const std::string before = readFile(held);
    const int fd = ::open(held.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    CliResult locked = run({"--yes", "--in-place=.bak", "letters/a.docx", "letters/B.DOCX"});
    ::close(fd);
    EXPECT_EQ(locked.out, "1 changed, 0 unchanged, 0 protected, 1 failed\n");
    EXPECT_NE(locked.err.find("letters/a.docx\" is in use by another run"), std::string::npos)
        << locked.err;
    EXPECT_TRUE(readFile(held) == before);
    EXPECT_FALSE(std::filesystem::exists(held + ".bak"));

    makeFolder("many");
    for (int k = 0; k < 60; ++k)
        write("many/d" + std::to_string(k) + ".docx", textP(kSingle));
    const std::string original = readFile(dir.file("many/d0.docx"));
    CliRun first({"--yes", "--in-place=.bak", "--report", "1.json", "many"}, dir.path());
    CliRun second({"--yes", "--in-place=.bak", "--report", "2.json", "many"}, dir.path());
    first.finish();
    second.finish();
    const auto paths = reportedNames(dir.file("1.json"), "path");
    const auto firstSaid = reportedNames(dir.file("1.json"), "status");
    const auto secondSaid = reportedNames(dir.file("2.json"), "status");
    ASSERT_EQ(firstSaid.size(), 60u);
    ASSERT_EQ(reportedNames(dir.file("2.json"), "path"), paths);
    for (size_t k = 0; k < paths.size(); ++k) {
        SCOPED_TRACE(paths[k] + ": " + firstSaid[k] + ", " + secondSaid[k]);
        EXPECT_EQ(documentText(dir.file(paths[k])), kDoubled + "\r");
        EXPECT_EQ((firstSaid[k] == "changed") + (secondSaid[k] == "changed"), 1);
        // A copy is of the original or of the other run's whole result (a run
        // that came to it only after the other had finished), never of a
        // document half-changed. Rarely, a run that meets the other on a
        // document still keeps a copy of its result and then stops.
        const std::string copy = readFile(dir.file(paths[k] + ".bak"));
        EXPECT_TRUE(copy == original ||
                    documentText(dir.file(paths[k] + ".bak")) == kDoubled + "\r");
        if (firstSaid[k] == "unchanged" || secondSaid[k] == "unchanged")
            continue;
        EXPECT_TRUE(copy == original || firstSaid[k] == "failed" || secondSaid[k] == "failed");
    }
}

// Links inside a folder are not followed: a linked file is left out with a
// note, a linked folder below the output folder is refused.
TEST_F(CliFolderTest, LinksInsideTheFoldersAreNeverFollowed) {
    std::filesystem::remove(dir.file("letters/~$a.docx"));
    std::filesystem::create_symlink("../elsewhere/linked.docx", dir.file("letters/linked.docx"));
    const std::string outside = readFile(dir.file("elsewhere/linked.docx"));

    CliResult inPlace = run({"--yes", "--in-place", "letters"});
    EXPECT_EQ(inPlace.status, 0) << inPlace.err;
    EXPECT_EQ(inPlace.out, "3 changed, 1 unchanged, 0 protected, 0 failed\n");
    EXPECT_EQ(linesOf(inPlace.err),
              (std::vector<std::string>{"pellucor-cli: letters/linked.docx: a symbolic link, left "
                                        "out (links inside a folder are not followed)"}));
    EXPECT_TRUE(readFile(dir.file("elsewhere/linked.docx")) == outside);

    std::filesystem::create_directory_symlink("../elsewhere", dir.file("out/2024"));
    CliResult out = run({"--yes", "--out", "out", "letters"});
    EXPECT_EQ(out.status, 1);
    EXPECT_EQ(out.out, "0 changed, 2 unchanged, 0 protected, 2 failed\n");
    EXPECT_NE(out.err.find("out/2024\" is a symbolic link"), std::string::npos) << out.err;
    EXPECT_EQ(treeOf(dir.file("elsewhere")), std::vector<std::string>{"linked.docx"});
}

TEST_F(CliFolderTest, APrivateDocumentGetsAPrivateCopy) {
    std::filesystem::permissions(dir.file("letters/2024/a.docx"), std::filesystem::perms(0600));
    CliResult result = run({"--yes", "--in-place=.orig", "letters/2024/a.docx"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(std::filesystem::status(dir.file("letters/2024/a.docx.orig")).permissions(),
              std::filesystem::perms(0600));
}

TEST_F(CliFolderTest, ADocumentWhoseCopyCannotBeKeptIsLeftAsItWas) {
    makeFolder("letters/a.docx.orig"); // a folder where the copy should go
    const std::string before = readFile(dir.file("letters/a.docx"));

    CliResult result = run({"--yes", "--in-place=.orig", "letters/a.docx", "letters/B.DOCX"});

    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "1 changed, 0 unchanged, 0 protected, 1 failed\n");
    EXPECT_EQ(result.err.rfind("pellucor-cli: letters/a.docx: ", 0), 0u) << result.err;
    EXPECT_TRUE(readFile(dir.file("letters/a.docx")) == before);

    // When no copy can be kept, each document still fails on its own.
    std::filesystem::remove(dir.file("letters/B.DOCX.orig"));
    makeFolder("letters/B.DOCX.orig");
    CliResult none = run(
        {"--yes", "--in-place=.orig", "--report", "run.json", "letters/a.docx", "letters/B.DOCX"});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, "0 changed, 0 unchanged, 0 protected, 2 failed\n");
    const std::vector<std::string> lines = linesOf(none.err);
    ASSERT_EQ(lines.size(), 2u) << none.err;
    EXPECT_EQ(lines[1].rfind("pellucor-cli: letters/B.DOCX: ", 0), 0u) << none.err;
    EXPECT_NE(readFile(dir.file("run.json")).find(R"("marks": {".": 0, "?": 0, "!": 0})"),
              std::string::npos)
        << "the run's marks, not an empty one";
}

TEST_F(CliFolderTest, ADeeplyNestedDocumentIsChangedAndTheNextOneToo) {
    makeFolder("deep");
    write("deep/a.docx", nested("<w:sdt><w:sdtContent>", "</w:sdtContent></w:sdt>",
                                kDeepNesting / 2, textP(kSingle)));
    write("deep/b.docx", textP(kSingle));
    CliResult result = run({"--yes", "--out", "out", "--report", "report.json", "deep"});
    EXPECT_EQ(result.out, "2 changed, 0 unchanged, 0 protected, 0 failed\n") << result.err;
    EXPECT_EQ(documentText(dir.file("out/b.docx")), kDoubled + "\r");
    const std::string report = readFile(dir.file("report.json"));
    EXPECT_NE(report.find("deep/a.docx"), std::string::npos) << report;
    EXPECT_NE(report.find("deep/b.docx"), std::string::npos) << report;
}

} // namespace
} // namespace pellucor::test
