// How the command line reports: failed documents, the exit status of each
// way a run can end, bad usage, and the word list.

#include "Author.h"
#include "base/Error.h"
#include "CliProcess.h"
#include "support/TestConversions.h"
#include "word/Application.h"

#include <array>
#include <filesystem>

namespace pellucor::test {
namespace {

std::string openFailure(const std::string& path) {
    word::Application app = word::Application::Create(&testConversions());
    std::string description;
    try {
        app.Documents().Open(path);
        ADD_FAILURE() << path << " opened although it should not";
    } catch (const Error& error) {
        description = error.description();
    }
    app.Quit();
    return description;
}

TEST_F(CliTest, DamagedAndProtectedDocumentsAreToldOnceEachWithStatusOne) {
    write("good.docx", textP("It ends. Next"));
    write("plain.docx", textP("Nothing to change"));
    std::string whole = readFile(write("damaged.docx", textP("It ends. Next")));
    writeFile(dir.file("damaged.docx"), whole.substr(0, whole.size() / 2));
    DocxBuilder(textP("It ends. Next"))
        .settings(R"(<w:documentProtection w:edit="readOnly" w:enforcement="1" )"
                  R"(w:hash="c2VjcmV0" w:salt="AAAA"/>)")
        .write(dir.file("locked.docx"));
    makeFolder("out");

    CliResult result = run({"--yes", "--jobs", "1", "--marks", ".?", "--out", "out", "good.docx",
                            dir.file("damaged.docx"), "locked.docx", "plain.docx"});

    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "1 changed, 1 unchanged, 1 protected, 1 failed\n");
    const std::string damaged =
        "pellucor-cli: " + dir.file("damaged.docx") + ": " + openFailure(dir.file("damaged.docx"));
    const std::string locked = "pellucor-cli: locked.docx: protected, and its protection cannot "
                               "be removed without its password; left as it was";
    EXPECT_EQ(linesOf(result.err), (std::vector<std::string>{damaged, locked}))
        << "one line per document and error, however many marks met it";
    EXPECT_TRUE(std::filesystem::exists(dir.file("out/good.docx")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("out/damaged.docx")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("out/locked.docx")));
}

TEST_F(CliTest, AMissingOutputFolderStopsBeforeAnyDocumentWithStatusTwo) {
    std::string a = write("a.docx", textP("It ends. Next"));
    const std::string source = readFile(a);
    std::string home = makeFolder("home"); // without a Desktop folder

    CliResult named = run({"--yes", "--out", "missing", "a.docx"});
    CliResult desktop = runCli({"--yes", "a.docx"}, dir.path(),
                               {"HOME=" + home, "XDG_CONFIG_HOME=" + home + "/.config"});

    for (const CliResult& result : {named, desktop}) {
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.out, "");
        ASSERT_FALSE(linesOf(result.err).empty());
        EXPECT_NE(linesOf(result.err)[0].find("does not exist"), std::string::npos) << result.err;
    }
    EXPECT_NE(desktop.err.find(home + "/Desktop"), std::string::npos)
        << "the message names the folder it looked for: " << desktop.err;
    writeFile(dir.file("plain"), "");
    CliResult file = run({"--yes", "-o", "plain", "a.docx"});
    EXPECT_EQ(file.status, 2);
    EXPECT_NE(file.err.find("\"plain\" is a file, not a folder"), std::string::npos) << file.err;
    EXPECT_EQ(readFile(a), source);
}

TEST_F(CliTest, ARunningWordProcessorStopsTheRunUnlessYesIsGiven) {
    write("a.docx", textP("It ends. Next"));
    makeFolder("out");
    CliResult stopped;
    CliResult proceeded;
    {
        FakeWordProcessor word("WINWORD.EXE");
        stopped = run({"--out", "out", "a.docx"});
        proceeded = run({"--yes", "--out", "out/", "a.docx"});
    }
    EXPECT_EQ(stopped.status, 3) << stopped.err;
    EXPECT_EQ(stopped.out, "");
    ASSERT_FALSE(linesOf(stopped.err).empty());
    EXPECT_NE(linesOf(stopped.err)[0].find("--yes"), std::string::npos) << stopped.err;

    EXPECT_EQ(proceeded.status, 0) << proceeded.err;
    EXPECT_EQ(proceeded.out, "1 changed, 0 unchanged, 0 protected, 0 failed\n");
    EXPECT_EQ(documentText(dir.file("out/a.docx")), "It ends.  Next\r");
}

TEST_F(CliTest, BadUsageExitsWithStatusTwoAndTouchesNothing) {
    std::string a = write("a.docx", textP("It ends. Next"));
    const std::string source = readFile(a);
    makeFolder("out");
    makeFolder("sub");
    write("sub/a.docx", textP("x"));
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"--bogus", "a.docx"}, "unknown option --bogus"},
        {{"--jobs", "0", "a.docx"}, "--jobs"},
        {{"--jobs", "two", "a.docx"}, "--jobs"},
        {{"--add", "--remove", "a.docx"}, "--add and --remove"},
        {{"--out", "out", "--in-place", "a.docx"}, "--out and --in-place"},
        {{"--marks", "", "a.docx"}, "--marks"},
        {{"--marks", "\xff", "a.docx"}, "--marks"},
        {{"--out"}, "--out needs a value"},
        {{"--out", "out", "sub", "a.docx"}, "would both be saved as a.docx"},
        {{"--ext", "docx,,rtf", "sub"}, "--ext"},
        {{"--dry-run=yes", "a.docx"}, "--dry-run takes no value"},
        {{"--out", "out", "a.docx", "sub/a.docx"}, "would both be saved as a.docx"},
        {{"-n", "--out", "out", "a.docx", "sub/a.docx"}, "would both be saved as a.docx"},
        {{"--in-place", "a.docx", "./a.docx"}, "listed twice"},
        {{"--words", "a.docx", "sub/a.docx"}, "--words"},
        {{"--out", "out"}, "give the documents"},
        {{"-"}, "--files-from -"},
        {{"-nx", "a.docx"}, "unknown option -x"},
        {{"--re", "a.docx"}, "option --re is ambiguous"},
        {{"-0", "a.docx"}, "--null goes with --files-from"},
        {{"-qv", "a.docx"}, "--quiet and --verbose"},
        {{"--files-from", "gone.txt"}, "gone.txt: the list of files cannot be read"},
        {{"-o", ".", "a.docx"}, "would replace itself; give --in-place"},
        {{"-o", "sub", "sub"}, "would replace itself"},
        {{"-o", "sub", "."}, " in sub would replace "},
        {{"--stories", "some", "a.docx"}, "--stories takes main or all, not \"some\""},
        {{"--stories"}, "--stories needs a value"},
        {{"--track-changes=", "a.docx"}, "--track-changes= needs the author's name"},
        {{"--track-changes=Ann\x1bLee", "a.docx"}, "the control character U+001B at character 4"},
        {{"--track-changes=Ann\x01", "a.docx"}, "the control character U+0001"},
        {{"--track-changes=\xff\xfe", "a.docx"}, "the byte 0xff (not UTF-8)"},
        {{"--track-changes=Ann\xef\xbf\xbe", "a.docx"}, "U+FFFE (not a character)"},
        {{"--track-changes=Ann\tLee", "a.docx"}, "the control character U+0009"},
        {{"--track-changes=Ann\xc2\x85", "a.docx"}, "the control character U+0085"},
        {{"--track-changes=\xef\xb7\x90", "a.docx"}, "U+FDD0 (not a character)"},
        {{"--track-changes=\xf0\x9f\xbf\xbf", "a.docx"}, "U+1FFFF (not a character)"},
        {{"--track-changes=\xed\xa0\x80", "a.docx"}, "the byte 0xed (not UTF-8)"},
    };
    for (const auto& [args, message] : cases) {
        CliResult result = run(args);
        EXPECT_EQ(result.status, 2) << message;
        EXPECT_EQ(result.out, "") << message;
        EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
    }
    // A memory limit that cannot be read is refused, never replaced by another.
    for (const char* limit : {"100 ", "garbage", "0", "-1", "63", "1.5G", "100K", "4G "}) {
        CliResult result = runCli({"--in-place", "a.docx"}, dir.path(),
                                  {std::string("PELLUCOR_MEMORY_LIMIT=") + limit});
        EXPECT_EQ(result.status, 2) << limit;
        EXPECT_NE(result.err.find("PELLUCOR_MEMORY_LIMIT is"), std::string::npos) << result.err;
    }
    for (const char* author : {"Zoë Ørsted", "李雷", "Ann \xf0\x9f\x98\x80"})
        EXPECT_EQ(run({"-n", std::string("--track-changes=") + author, "a.docx"}).status, 0)
            << author;
    for (const char* limit : {"64", "100M", "2G", "512MiB"})
        EXPECT_EQ(runCli({"--dry-run", "a.docx"}, dir.path(),
                         {std::string("PELLUCOR_MEMORY_LIMIT=") + limit})
                      .status,
                  0)
            << limit;
    EXPECT_TRUE(std::filesystem::is_empty(dir.file("out")));
    EXPECT_EQ(readFile(a), source);
    EXPECT_EQ(documentText(dir.file("sub/a.docx")), "x\r");
}

// Tracked changes are signed with the full name of the user's entry (the
// comment field up to its first comma), else the login name, and dated in UTC.
TEST(CliAuthor, IsTheFullNameElseTheLoginAndTheDateIsUtc) {
    const std::vector<std::array<std::string, 3>> cases{
        {"Ann Lee,Room 4,555-1234,,", "ann", "Ann Lee"},
        {"Ann Lee", "ann", "Ann Lee"},
        {",Room 4", "ann", "ann"},
        {"", "ann", "ann"},
        {"Zoë Ørsted,", "zoe", "Zoë Ørsted"},
        // What a document cannot hold is left out of a name from the system.
        {"Ann\x1bLee,Room 4", "ann", "AnnLee"},
        {"\xff\xfe\x01,", "ann\x7f", "ann"},
        {"Ann\xef\xbf\xbe Lee", "ann", "Ann Lee"},
    };
    for (const auto& [comment, login, author] : cases)
        EXPECT_EQ(cli::authorOf(comment, login), author) << comment;
    EXPECT_EQ(cli::utcTimestamp(0), "1970-01-01T00:00:00Z");
    EXPECT_EQ(cli::utcTimestamp(1796722200), "2026-12-08T09:30:00Z");
}

TEST_F(CliTest, WordsPrintsEachWordAsAJsonString) {
    write("a.docx", p({r("wait… he said \"x\\y\""), "<w:r><w:tab/></w:r>", r("ok.")}));

    CliResult result = run({"--words", "a.docx"});

    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(linesOf(result.out),
              (std::vector<std::string>{R"("wait")", R"("… ")", R"("he ")", R"("said ")", R"("\"")",
                                        R"("x")", R"("\\")", R"("y")", R"("\"")", R"("\t")",
                                        R"("ok")", R"(".")", R"("\r")"}));

    CliResult missing = run({"--words", "gone.docx"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err.rfind("pellucor-cli: gone.docx: ", 0), 0u) << missing.err;
}

} // namespace
} // namespace pellucor::test
