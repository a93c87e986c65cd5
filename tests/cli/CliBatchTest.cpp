// What the command line's batch run leaves on disk: results in the output
// folder, on the desktop or over the sources; the same bytes whatever the
// number of jobs. Runs other than the first pass --yes, so that a word
// processor started meanwhile by someone else cannot stop them.

#include "CliProcess.h"

#include <filesystem>

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

} // namespace
} // namespace pellucor::test
