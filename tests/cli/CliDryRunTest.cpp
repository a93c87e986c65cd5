// Dry runs, --check and the JSON report: a dry run writes nothing anywhere,
// tells each place that would change, and counts what a real run changes, on
// fixtures and on every document of the shared corpus.

#include "CliProcess.h"
#include "corpus/CorpusManifest.h"
#include "corpus/SpacingOracle.h"
#include "support/StoryFixture.h"

#include <filesystem>
#include <map>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace pellucor::test {
namespace {

const std::string kSingle = "It ends. Then why? Because!";

// Every path below the folder with its bytes.
std::map<std::string, std::string> snapshot(const std::string& root) {
    std::map<std::string, std::string> files;
    for (const std::string& path : treeOf(root))
        files[path] =
            std::filesystem::is_directory(root + "/" + path) ? "/" : readFile(root + "/" + path);
    return files;
}

QJsonObject reportOf(const std::string& path) {
    QJsonParseError error;
    QJsonDocument json = QJsonDocument::fromJson(QByteArray::fromStdString(readFile(path)), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    return json.object();
}

// The Unicode library costs more to load than a small document to change: it
// is opened only when a document's text needs the full word boundary rules.
TEST_F(CliTest, TheUnicodeLibraryIsOpenedOnlyForTextThatNeedsIt) {
    write("latin.docx", textP("Caf\u00E9 cr\u00E8me. \u00C0 bient\u00F4t. \u201CYes.\u201D"));
    write("thai.docx", textP("\u0E2A\u0E27\u0E31\u0E2A\u0E14\u0E35. \u0E44\u0E1B"));
    for (const auto& [name, opens] : {std::pair{"latin.docx", false}, {"thai.docx", true}}) {
        CliResult result = runCli({"--yes", "--dry-run", name}, dir.path(), {"LD_DEBUG=files"});
        EXPECT_EQ(result.status, 0) << name;
        EXPECT_EQ(result.err.find("libicuuc") != std::string::npos, opens) << name;
    }
}

TEST_F(CliTest, ADryRunTellsEachPlaceAndWritesNothingAnywhere) {
    makeFolder("letters");
    makeFolder("letters/sub");
    write("letters/a.docx", textP(kSingle));
    write("letters/sub/b.docx", textP("one.  two"));
    write("letters/new\nline.docx", textP(kSingle));
    // A character beyond the 16-bit range is one character of its word.
    write("smile.docx", textP("I like \U0001F600. Then \U0001F44D\U0001F3FD. x"));
    std::string home = makeFolder("home"); // without a desktop folder
    const auto before = snapshot(dir.path());

    CliResult result =
        runCli({"--dry-run", "--marks", ".?", "--out", "out", "letters", "smile.docx"}, dir.path(),
               {"HOME=" + home, "XDG_CONFIG_HOME=" + home});

    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(linesOf(result.out),
              (std::vector<std::string>{
                  "letters/a.docx: word 3: …It·ends.·Then·… -> …It·ends.··Then·…",
                  "letters/a.docx: word 6: …Then·why?·Because… -> …Then·why?··Because…",
                  "letters/new\\nline.docx: word 3: …It·ends.·Then·… -> …It·ends.··Then·…",
                  "letters/new\\nline.docx: word 6: …Then·why?·Because… -> …Then·why?··Because…",
                  "smile.docx: word 4: …like·\U0001F600.·Then·… -> …like·\U0001F600.··Then·…",
                  "smile.docx: word 7: …Then·\U0001F44D\U0001F3FD.·x… -> "
                  "…Then·\U0001F44D\U0001F3FD.··x…",
                  "3 changed, 1 unchanged, 0 protected, 0 failed"}));
    EXPECT_EQ(snapshot(dir.path()), before) << "not even the output folder may appear";
}

// Places are printed as they are found, yet in the order of the documents:
// a job whose document is not next keeps a bounded number of lines and then
// waits for its turn.
TEST_F(CliTest, DryRunPlacesKeepTheOrderOfTheDocumentsWhateverTheJobs) {
    std::string many;
    while (many.size() < 210000)
        many += "x. ";
    const std::vector<std::string> names{"many.docx", "few.docx", "more.docx"};
    write("many.docx", textP(many));
    write("few.docx", textP(kSingle));
    write("more.docx", textP(many + many));
    std::vector<std::string> args{"--dry-run", "--marks", ".", "--jobs"};

    args.push_back("1");
    args.insert(args.end(), names.begin(), names.end());
    CliResult one = run(args);
    args[4] = "2";
    CliResult two = run(args);

    EXPECT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(two.status, 0) << two.err;
    const std::vector<std::string> lines = linesOf(two.out);
    EXPECT_EQ(lines.size(), 70000u + 1u + 140000u + 1u);
    EXPECT_EQ(lines[70000].substr(0, 10), "few.docx: ");
    EXPECT_TRUE(two.out == one.out) << "two jobs printed otherwise than one";
}

// Under --track-changes a dry run names on stderr exactly the documents whose
// format would take the change outright, as the run does.
TEST_F(CliTest, DryRunNamesWhatWouldChangeOutrightAsTheRunDoes) {
    write("a.docx", textP(kSingle));
    writeFile(dir.file("b.txt"), kSingle + "\n");
    writeFile(dir.file("c.txt"), "Nothing to change\n");
    makeFolder("out");
    const std::vector<std::string> names{"a.docx", "b.txt", "c.txt"};
    auto withNames = [&](std::vector<std::string> args) {
        args.insert(args.end(), names.begin(), names.end());
        return args;
    };

    CliResult real = run(withNames({"--yes", "--track-changes=Ann", "--out", "out"}));
    CliResult dry = run(withNames({"--dry-run", "--track-changes=Ann"}));

    EXPECT_EQ(real.status, 0) << real.err;
    EXPECT_EQ(dry.status, 0) << dry.err;
    EXPECT_EQ(dry.err, "pellucor-cli: b.txt: its format cannot hold tracked changes; the spaces "
                       "were changed outright\n");
    EXPECT_EQ(dry.err, real.err);
    EXPECT_EQ(run(withNames({"--dry-run"})).err, "") << "without --track-changes nothing is named";
}

TEST_F(CliTest, CheckExitsOneWhenAnythingWouldChange) {
    write("single.docx", textP(kSingle));
    write("doubled.docx", textP("It ends.  Then"));
    write("framed.docx", framedP("It ends.  Then") + floatingTbl("Cell") + framedP("x"));
    DocxBuilder(textP("It ends.  Then"))
        .settings(R"(<w:documentProtection w:edit="readOnly" w:enforcement="1"/>)")
        .write(dir.file("unlocked.docx"));

    EXPECT_EQ(run({"--check", "doubled.docx"}).status, 0);
    EXPECT_EQ(run({"--check", "--remove", "single.docx"}).status, 0);
    CliResult changing = run({"--check", "doubled.docx", "single.docx"});
    EXPECT_EQ(changing.status, 1);
    EXPECT_EQ(linesOf(changing.out).size(), 3u) << "two places and the summary: " << changing.out;
    EXPECT_EQ(changing.err, "");

    // What is removed changes a document as much as a space: each is a place.
    CliResult removing =
        run({"--check", "-v", "--report", "dry.json", "framed.docx", "unlocked.docx"});
    EXPECT_EQ(removing.status, 1);
    EXPECT_EQ(linesOf(removing.out),
              (std::vector<std::string>{
                  "framed.docx: frame 1: removed", "framed.docx: frame 2: removed",
                  "framed.docx: table position 1: removed", "unlocked.docx: protection: removed",
                  "framed.docx: changed, 0 changes, removed: 2 frames, 1 table position",
                  "unlocked.docx: changed, 0 changes, removed: protection",
                  "2 changed, 0 unchanged, 0 protected, 0 failed"}));
    QJsonObject framed = reportOf(dir.file("dry.json"))["documents"].toArray()[0].toObject();
    EXPECT_EQ(framed["frames_removed"].toInt(), 2);
    EXPECT_EQ(framed["table_positions_removed"].toInt(), 1);
}

// Short and shortened options, bundles, "--", and names from a list, one a
// NUL (a name may hold a line end) or one a line from standard input.
TEST_F(CliTest, OptionsAndListsOfNamesFollowTheShellConventions) {
    write("a\nb.docx", textP(kSingle));
    write("c.docx", textP(kSingle));
    write("-", textP("It ends.  Then"));
    writeFile(dir.file("list"), std::string("a\nb.docx\0c.docx\0", 17));
    makeFolder("out");

    CliResult verbose = run({"-nv", "--files-from", "list", "-0", "--", "-"});
    CliResult quiet = run({"--qui", "--check", "--files-from=list", "--null"});
    CliResult piped = runProgram(
        {"/bin/sh", "-c", "printf 'c.docx\\n' | \"$0\" -j1 -o out --files-from -", PELLUCOR_CLI},
        dir.path());

    EXPECT_EQ(verbose.status, 0) << verbose.err;
    const std::vector<std::string> lines = linesOf(verbose.out);
    ASSERT_EQ(lines.size(), 8u) << verbose.out;
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 4, lines.end()),
              (std::vector<std::string>{"-: unchanged, 0 changes", "a\\nb.docx: changed, 2 changes",
                                        "c.docx: changed, 2 changes",
                                        "2 changed, 1 unchanged, 0 protected, 0 failed"}));
    EXPECT_EQ(quiet.status, 1) << "something would change";
    EXPECT_EQ(quiet.out + quiet.err, "");
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(documentText(dir.file("out/c.docx")), "It ends.  Then why?  Because!\r");
}

TEST_F(CliTest, MarksOfADryRunApplyInOrderOnThePreviousResult) {
    write("a.docx", textP(kSingle));
    makeFolder("out");

    run({"--dry-run", "--marks", "..", "--report", "dry.json", "a.docx"});
    run({"--yes", "--marks", "..", "--out", "out", "--report", "run.json", "a.docx"});

    QJsonObject dry = reportOf(dir.file("dry.json"))["documents"].toArray()[0].toObject();
    QJsonObject real = reportOf(dir.file("run.json"))["documents"].toArray()[0].toObject();
    EXPECT_EQ(dry["changes"].toInt(), 1) << "the second pass finds the space already added";
    EXPECT_EQ(dry["marks"].toObject(), real["marks"].toObject());
    EXPECT_EQ(dry["changes"], real["changes"]);
}

TEST_F(CliTest, TheReportFollowsItsSchema) {
    write("good.docx", textP(kSingle));
    write("plain.docx", textP("Nothing"));
    writeFile(dir.file("damaged.docx"), std::string("\0\x01\x02\xFE\xFF\x10\x00\x7F", 8));
    DocxBuilder(textP("It ends. Next"))
        .settings(R"(<w:documentProtection w:edit="readOnly" w:enforcement="1" )"
                  R"(w:hash="c2VjcmV0" w:salt="AAAA"/>)")
        .write(dir.file("locked.docx"));
    // Its paragraphs would take more memory than one document may.
    std::string paragraphs;
    while (paragraphs.size() < (16u << 20))
        paragraphs += "<w:p/>";
    write("large.docx", paragraphs);
    makeFolder("out");
    const std::vector<std::string> docs{"good.docx", "plain.docx", "damaged.docx", "locked.docx",
                                        "large.docx"};
    auto runAll = [&](std::vector<std::string> options) {
        options.insert(options.end(), docs.begin(), docs.end());
        return runCli(options, dir.path());
    };

    CliResult real = runAll({"--yes", "--out", "out", "--report", "run.json"});
    CliResult dry = runAll({"--dry-run", "--report", "dry.json"});

    EXPECT_EQ(real.status, 1);
    EXPECT_EQ(dry.status, 1);
    EXPECT_EQ(treeOf(dir.file("out")), (std::vector<std::string>{"good.docx", "plain.docx"}));
    for (const char* name : {"run.json", "dry.json"}) {
        const bool dryRun = std::string(name) == "dry.json";
        QJsonObject report = reportOf(dir.file(name));
        EXPECT_EQ(report.keys(), (QStringList{"changed", "documents", "failed", "not processed",
                                              "protected", "unchanged"}));
        EXPECT_EQ(report["not processed"].toInt(-1), 0) << name;
        for (const char* count : {"changed", "unchanged", "protected", "failed"})
            EXPECT_EQ(report[count].toInt(), std::string(count) == "failed" ? 2 : 1)
                << name << " " << count;
        QJsonArray documents = report["documents"].toArray();
        ASSERT_EQ(documents.size(), 5) << name;
        const char* statuses[] = {"changed", "unchanged", "failed", "protected", "failed"};
        for (int k = 0; k < 5; ++k) {
            QJsonObject document = documents[k].toObject();
            EXPECT_EQ(document.keys(),
                      (QStringList{"changes", "error", "frames_removed", "marks", "output", "path",
                                   "protection_removed", "status", "table_positions_removed"}));
            EXPECT_EQ(document["protection_removed"], QJsonValue(false));
            EXPECT_EQ(document["path"].toString().toStdString(), docs[k]);
            EXPECT_EQ(document["status"].toString().toStdString(), statuses[k]) << name;
            EXPECT_EQ(document["error"].isNull(), k < 2) << name << " " << docs[k];
            const bool saved = !dryRun && k < 2;
            EXPECT_EQ(document["output"].isNull(), !saved) << name << " " << docs[k];
        }
        EXPECT_EQ(documents[0].toObject()["changes"].toInt(), 2);
        EXPECT_EQ(documents[0].toObject()["marks"].toObject(),
                  (QJsonObject{{".", 1}, {"?", 1}, {"!", 0}}));
        if (!dryRun) {
            EXPECT_EQ(documents[0].toObject()["output"].toString().toStdString(), "out/good.docx");
        }
    }
    // Only a run over every story counts the changes of each kind of story.
    CliResult stories =
        runAll({"--dry-run", "--stories=all", "--track-changes=Ann", "--report", "all.json"});
    EXPECT_EQ(stories.status, 1) << stories.err;
    QJsonArray all = reportOf(dir.file("all.json"))["documents"].toArray();
    ASSERT_EQ(all.size(), 5);
    EXPECT_EQ(all[0].toObject()["stories"].toObject(), (QJsonObject{{"main", 2}}));
    EXPECT_EQ(all[1].toObject()["stories"].toObject(), QJsonObject{});
}

// Every story is walked on its own and named in its places; the report
// counts the changes of each kind, and a plain run still sees the body alone.
TEST_F(CliTest, EveryStoryIsWalkedNamedAndCountedWhenAskedFor) {
    everyStoryFixture().write(dir.file("stories.docx"));
    CliResult all = runCli(
        {"-n", "--remove", "--stories", "all", "--report", "all.json", "stories.docx"}, dir.path());
    CliResult main = runCli({"-n", "--remove", "stories.docx"}, dir.path());

    EXPECT_EQ(all.status, 0) << all.err;
    std::vector<std::string> stories;
    for (const std::string& line : linesOf(all.out))
        stories.push_back(line.substr(0, line.find(": …")));
    EXPECT_EQ(stories, (std::vector<std::string>{
                           "stories.docx: word 3", "stories.docx: header 1: word 3",
                           "stories.docx: footer 1: word 4", "stories.docx: header 2: word 3",
                           "stories.docx: footnote 1: word 3", "stories.docx: footnote 2: word 3",
                           "stories.docx: endnote 1: word 3", "stories.docx: comment 1: word 3",
                           "stories.docx: text box 1: word 3", "stories.docx: text box 2: word 3",
                           "1 changed, 0 unchanged, 0 protected, 0 failed"}));
    EXPECT_EQ(linesOf(main.out),
              (std::vector<std::string>{"stories.docx: word 3: …Body·one.··Two… -> …Body·one.·Two…",
                                        "1 changed, 0 unchanged, 0 protected, 0 failed"}));
    QJsonObject document = reportOf(dir.file("all.json"))["documents"].toArray()[0].toObject();
    EXPECT_EQ(document["stories"].toObject(), (QJsonObject{{"main", 1},
                                                           {"header", 2},
                                                           {"footer", 1},
                                                           {"footnote", 2},
                                                           {"endnote", 1},
                                                           {"comment", 1},
                                                           {"text box", 2}}));
}

// Every corpus document that opens, run for real and dry: the dry run counts
// exactly the spaces the run added, as the oracle finds them in the texts.
TEST_F(CliTest, DryRunCountsEqualTheOracleOnTheSharedCorpus) {
    makeFolder("corpus");
    makeFolder("out");
    std::vector<std::string> names;
    for (const CorpusFile& file : corpusFilesThatOpen()) {
        std::filesystem::copy_file(file.path(), dir.file("corpus/" + file.name));
        names.push_back(file.name);
    }
    ASSERT_FALSE(names.empty());

    run({"--yes", "--marks", ".", "--out", "out", "--ext", "docx,docm,dotx,dotm", "corpus"});
    run({"--dry-run", "--marks", ".", "--report", "dry.json", "--ext", "docx,docm,dotx,dotm",
         "corpus"});

    QJsonArray documents = reportOf(dir.file("dry.json"))["documents"].toArray();
    int compared = 0;
    for (const QJsonValue& value : documents) {
        QJsonObject document = value.toObject();
        const std::string path = document["path"].toString().toStdString();
        const std::string name = path.substr(path.rfind('/') + 1);
        const std::string status = document["status"].toString().toStdString();
        if (status != "changed" && status != "unchanged")
            continue;
        SpaceDiff diff = spacesAddedAfterDot(documentText(dir.file(path)),
                                             documentText(dir.file("out/" + name)));
        EXPECT_EQ(diff.mismatch, "") << name;
        EXPECT_EQ(document["changes"].toInt(), diff.added) << name;
        ++compared;
    }
    EXPECT_GT(compared, static_cast<int>(names.size()) / 2);
}

} // namespace
} // namespace pellucor::test
