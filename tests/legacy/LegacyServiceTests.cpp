// The LibreOffice shared by all engine instances of the program: several
// documents go through one LibreOffice process, a LibreOffice that was killed
// is started again, a hanging one is stopped at the time limit, and stopping
// the service, or killing the program, leaves no process and no temporary
// file. Without Python's UNO
// module, or with PELLUCOR_CONVERTER=process, every conversion runs a process
// of its own and still works.
#include "base/ChildProcess.h"
#include "base/Error.h"
#include "base/Leftovers.h"
#include "converter/ConverterHelper.h"
#include "converter/ConverterService.h"
#include "converter/LegacyConverter.h"
#include "converter/PrivateProfile.h"
#include "converter/ProcessRunner.h"
#include "LegacySupport.h"
#include "support/ProcessTable.h"
#include "support/TempDir.h"
#include "support/TestConversions.h"

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace pellucor::test {
namespace {

namespace fs = std::filesystem;
using converter::ConverterService;
using converter::ServiceOutcome;

struct GroupMember {
    int pid;
    std::string name;
};

// The live processes of a process group, read from /proc.
std::vector<GroupMember> membersOf(int group) {
    std::vector<GroupMember> members;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream in(entry.path() / "stat");
        std::string stat((std::istreambuf_iterator<char>(in)), {});
        size_t open = stat.find('('), close = stat.rfind(')');
        if (open == std::string::npos || close == std::string::npos)
            continue;
        std::istringstream rest(stat.substr(close + 2));
        std::string state;
        int parent = 0, processGroup = 0;
        rest >> state >> parent >> processGroup;
        if (processGroup == group && state != "Z" && state != "X")
            members.push_back({std::stoi(name), stat.substr(open + 1, close - open - 1)});
    }
    return members;
}

int countNamed(const std::vector<GroupMember>& members, const std::string& name) {
    return static_cast<int>(std::count_if(members.begin(), members.end(),
                                          [&](const GroupMember& m) { return m.name == name; }));
}

class LegacyService : public ::testing::Test {
protected:
    void SetUp() override {
        if (!libreOfficeInstalled())
            GTEST_SKIP() << "LibreOffice (soffice) is not installed; install "
                            "libreoffice-writer-nogui";
        fs::create_directories(tmp);
        testConversions().stop();
        for (const char* name : {"phpword__docCzech.doc", "tika__testFooter.odt"})
            copyFile(std::string(PELLUCOR_CORPUS_DIR) + "/" + name, work.file(name));
    }
    void TearDown() override { testConversions().stop(); }

    // Opens the document in a fresh engine instance, puts an "x" before its
    // first word and saves it as target; returns the words read back.
    std::vector<std::string> changeAndSave(const std::string& name, const std::string& target) {
        auto app = word::Application::Create(&testConversions());
        word::Document document = app.Documents().Open(work.file(name));
        document.Words()(1).SetText("x" + document.Words()(1).Text());
        document.SaveAs(work.file(target));
        app.Quit();
        return wordsOfFile(work.file(target));
    }

    TempDir scratch, work;
    const unsigned startsBefore = testConversions().starts();
    std::string tmp = scratch.file("tmp");
    ScopedEnv tmpdir{"TMPDIR", tmp};
    ConverterService& service = testConversions();
};

TEST_F(LegacyService, SeveralDocumentsGoThroughOneLibreOfficeUntilItStops) {
    const std::vector<std::string> firstWords = wordsOfFile(work.file("phpword__docCzech.doc"));
    changeAndSave("phpword__docCzech.doc", "a.doc");
    const std::vector<std::string> saved = changeAndSave("phpword__docCzech.doc", "b.doc");
    changeAndSave("tika__testFooter.odt", "c.odt");
    ASSERT_FALSE(saved.empty());
    EXPECT_EQ(saved[0], "x" + firstWords[0]) << "b.doc lost its change";
    EXPECT_EQ(service.starts() - startsBefore, 1u)
        << "each engine instance started its own LibreOffice";
    const int group = service.processGroup();
    ASSERT_GT(group, 0);
    const std::vector<GroupMember> members = membersOf(group);
    EXPECT_EQ(countNamed(members, "soffice.bin"), 1);
    // LibreOffice took its profile for its own: it started once, without its
    // graphics self-tests, which leave their log in the profile.
    bool buildNoted = false, selfTested = false;
    for (const auto& entry : fs::recursive_directory_iterator(tmp)) {
        const std::string name = entry.path().filename().string();
        buildNoted = buildNoted || (name == "buildid" && fs::file_size(entry.path()) > 0);
        selfTested = selfTested || name == "GraphicsRenderTests.log";
    }
    EXPECT_TRUE(buildNoted) << "the profile does not name LibreOffice's build";
    EXPECT_FALSE(selfTested) << "LibreOffice took itself for upgraded and tested its graphics";

    service.stop();
    EXPECT_TRUE(membersOf(group).empty()) << "LibreOffice outlived the service";
    EXPECT_TRUE(fs::is_empty(tmp)) << "the service left its private folder behind";
}

// A new profile notes the build and version of the LibreOffice beside the
// real soffice a link names, without the lines' ends; nothing it cannot find
// or that is not a version.
TEST(LegacyProfile, NotesTheBuildAndVersionOfTheLibreOfficeItIsFor) {
    TempDir dir;
    fs::create_directories(dir.file("program"));
    writeFile(dir.file("program/versionrc"), "[Version]\r\nbuildid=7(Build:3) \r\nx=1\r\n");
    writeFile(dir.file("program/bootstraprc"), "[Bootstrap]\nProductKey=Some Office 9.1\n");
    writeFile(dir.file("program/soffice"), "");
    fs::create_symlink(dir.file("program/soffice"), dir.file("soffice"));
    const std::string lastVersion = "\"ooSetupLastVersion\" oor:op=\"fuse\"><value>9.1</value>";
    ASSERT_TRUE(converter::writePrivateProfile(dir.file("a"), dir.file("soffice")));
    EXPECT_EQ(readFile(dir.file("a/user/extensions/buildid")), "7(Build:3)");
    EXPECT_NE(readFile(dir.file("a/user/registrymodifications.xcu")).find(lastVersion),
              std::string::npos);
    fs::remove(dir.file("program/versionrc"));
    writeFile(dir.file("program/bootstraprc"), "ProductKey=Office 9</value>\n"); // not a version
    ASSERT_TRUE(converter::writePrivateProfile(dir.file("b"), dir.file("soffice")));
    EXPECT_FALSE(fs::exists(dir.file("b/user/extensions/buildid")));
    EXPECT_EQ(readFile(dir.file("b/user/registrymodifications.xcu")).find("ooSetupLastVersion"),
              std::string::npos);
}

TEST_F(LegacyService, AKilledLibreOfficeIsStartedAgain) {
    wordsOfFile(work.file("phpword__docCzech.doc"));
    const int helper = service.helperProcess();
    for (const GroupMember& member : membersOf(service.processGroup()))
        if (member.pid != helper)
            ::kill(member.pid, SIGKILL);
    const std::vector<std::string> saved = changeAndSave("phpword__docCzech.doc", "after.doc");
    EXPECT_FALSE(saved.empty());
    EXPECT_EQ(service.starts() - startsBefore, 2u);
    EXPECT_FALSE(processRuns(helper)) << "the helper of the killed LibreOffice still runs";
}

// The shared soffice.bin processes whose private profile lies under folder.
std::vector<int> sharedLibreOfficesUnder(const std::string& folder) {
    return processesWhoseCommandHas({"soffice.bin", "--accept=", folder});
}

TEST_F(LegacyService, KillingItInTheMiddleOfABatchCostsNoDocumentItsConversion) {
    std::vector<std::string> names;
    for (int k = 0; k < 4; ++k) {
        names.push_back("copy" + std::to_string(k) + ".doc");
        copyFile(work.file("phpword__docCzech.doc"), work.file(names.back()));
    }
    const std::vector<std::string> original = wordsOfFile(work.file("phpword__docCzech.doc"));
    std::atomic<bool> done = false;
    std::atomic<int> kills = 0;
    // Kills LibreOffice whenever it runs, while the batch goes on: during
    // conversions and between them.
    std::thread killer([&] {
        for (; !done; std::this_thread::sleep_for(std::chrono::milliseconds(150)))
            for (int pid : kills < 3 ? sharedLibreOfficesUnder(tmp) : std::vector<int>{})
                if (::kill(pid, SIGKILL) == 0)
                    ++kills;
    });
    std::vector<std::vector<std::string>> saved(names.size());
    for (size_t k = 0; k < names.size(); ++k)
        EXPECT_NO_THROW(saved[k] = changeAndSave(names[k], "out-" + names[k])) << names[k];
    done = true;
    killer.join();
    for (size_t k = 0; k < names.size(); ++k) {
        ASSERT_FALSE(saved[k].empty()) << names[k];
        EXPECT_EQ(saved[k][0], "x" + original[0]) << names[k];
    }
    EXPECT_GT(kills, 0) << "LibreOffice was never killed; the test proved nothing";
}

// Whether a pipe LibreOffice listened on has gone, with its folder when it
// had one of its own.
bool pipeGone(const fs::path& pipe) {
    const fs::path folder = pipe.parent_path();
    return !fs::exists(fs::symlink_status(pipe)) &&
           (folder == "/tmp" || folder == "/var/tmp" || !fs::exists(folder));
}

// Killed alone, or a second after its watcher of leftovers was killed.
TEST_F(LegacyService, LibreOfficeEndsWithAProgramThatWasKilled) {
    for (const bool watcherFirst : {false, true}) {
        SCOPED_TRACE(watcherFirst ? "the watcher killed first" : "the program killed alone");
        const std::string groupFile = scratch.file(watcherFirst ? "group2" : "group1");
        const pid_t program = ::fork();
        ASSERT_GE(program, 0);
        if (program == 0) { // the program that is killed while its LibreOffice runs
            wordsOfFile(work.file("phpword__docCzech.doc"));
            writeFile(groupFile + ".partial", std::to_string(service.processGroup()) + " " +
                                                  std::to_string(leftovers::watcher()));
            fs::rename(groupFile + ".partial", groupFile);
            ::pause();
            ::_exit(0);
        }
        const bool started =
            eventually([&] { return fs::exists(groupFile); }, std::chrono::seconds(60));
        int group = 0, watcher = 0;
        std::istringstream(started ? readFile(groupFile) : "") >> group >> watcher;
        std::vector<std::string> pipes;
        for (const GroupMember& member : membersOf(group))
            for (const std::string& pipe : socketsOf(member.pid))
                pipes.push_back(pipe);
        if (watcherFirst && watcher > 0) {
            ::kill(watcher, SIGKILL);
            std::this_thread::sleep_for(std::chrono::seconds(1));
        }
        ::kill(program, SIGKILL);
        ::waitpid(program, nullptr, 0);
        ASSERT_TRUE(started) << "the program did not convert its document";
        ASSERT_GT(group, 0);
        EXPECT_TRUE(eventually([&] { return membersOf(group).empty(); }, std::chrono::seconds(20)))
            << "LibreOffice outlived the program that started it";
        if (watcherFirst)
            continue; // the folders are then the next run's to remove
        EXPECT_FALSE(pipes.empty()) << "LibreOffice's pipes were not found; the test proves less";
        EXPECT_TRUE(eventually([&] { return fs::is_empty(tmp); }, std::chrono::seconds(5)))
            << "the private folder outlived the program";
        for (const std::string& pipe : pipes)
            EXPECT_TRUE(eventually([&] { return pipeGone(pipe); }, std::chrono::seconds(5)))
                << "LibreOffice's pipe " << pipe << " was left behind";
    }
}

TEST_F(LegacyService, ItsPipesAreThisUsersAloneEvenUnderAnOpenUmask) {
    const mode_t umask = ::umask(0);
    wordsOfFile(work.file("phpword__docCzech.doc"));
    ::umask(umask);
    int inPrivateFolders = 0;
    for (const GroupMember& member : membersOf(service.processGroup()))
        for (const std::string& pipe : socketsOf(member.pid)) {
            struct stat socket, folder;
            ASSERT_EQ(::stat(pipe.c_str(), &socket), 0) << pipe;
            ASSERT_EQ(::stat(fs::path(pipe).parent_path().c_str(), &folder), 0) << pipe;
            EXPECT_EQ(socket.st_mode & 0022, 0u) << "others may connect to " << pipe;
            inPrivateFolders += folder.st_uid == ::geteuid() && (folder.st_mode & 0077) == 0;
        }
    EXPECT_GT(inPrivateFolders, 0) << "the pipe LibreOffice listens on lies in a shared folder";
}

TEST_F(LegacyService, WhatAKilledRunLeftIsRemovedByTheNextOne) {
    const pid_t dead = ::fork();
    if (dead == 0)
        ::_exit(0);
    ::waitpid(dead, nullptr, 0);
    const std::string ofDead = "pellucor-" + std::to_string(dead) + "-lo-";
    const std::string pipes =
        "/tmp/OSL_PIPE_" + std::to_string(::getuid()) + "_" + ofDead + "pipe01";
    for (const std::string& folder : {tmp + "/" + ofDead + "left01/profile", pipes,
                                      tmp + "/pellucor-1-lo-alive1", tmp + "/" + ofDead + "held01"})
        fs::create_directories(folder);
    writeFile(tmp + "/" + ofDead + "left01/document.doc", "a copy of the user's document");
    // A lock held by a process that runs elsewhere (another pid namespace).
    const int held = ::open((tmp + "/" + ofDead + "held01").c_str(), O_RDONLY | O_DIRECTORY);
    ::flock(held, LOCK_EX);
    fs::create_directories(scratch.file("elsewhere"));
    writeFile(scratch.file("elsewhere/keep"), "not ours to remove");
    fs::create_directory_symlink(scratch.file("elsewhere"), tmp + "/" + ofDead + "link01");

    wordsOfFile(work.file("phpword__docCzech.doc"));
    ::close(held);
    EXPECT_FALSE(fs::exists(tmp + "/" + ofDead + "left01"));
    EXPECT_FALSE(fs::exists(pipes));
    EXPECT_TRUE(fs::exists(tmp + "/pellucor-1-lo-alive1")) << "a running program's folder went";
    EXPECT_TRUE(fs::exists(tmp + "/" + ofDead + "held01")) << "a folder still locked went";
    EXPECT_TRUE(fs::is_symlink(tmp + "/" + ofDead + "link01"));
    EXPECT_EQ(readFile(scratch.file("elsewhere/keep")), "not ours to remove");
    fs::remove_all(pipes);
}

TEST_F(LegacyService, ConversionsSideBySideGetALibreOfficeEach) {
    const std::string bin = scratch.file("bin"), release = scratch.file("release");
    fs::create_directories(bin);
    writeScript(bin + "/soffice", "exec /bin/sleep 60");
    // A stand-in for the helper that holds each conversion until released.
    writeScript(scratch.file("python"),
                "echo ready\nwhile read -r line; do case $line in\n"
                "convert*) touch " +
                    scratch.file("busy") +
                    ".$$\n"
                    "  while [ ! -e " +
                    release +
                    " ]; do sleep 0.05; done\n"
                    "  printf 'error\\tstand-in\\n' ;;\n"
                    "quit) echo ok; kill 0 ;;\nesac; done"); // and LibreOffice
    ScopedEnv python("PELLUCOR_CONVERTER_PYTHON", scratch.file("python"));
    auto convert = [&] {
        return service
            .convert(bin + "/soffice", work.file("in.doc"), work.file("out.docx"),
                     "MS Word 2007 XML", "", std::chrono::seconds(60))
            .kind;
    };
    auto busy = [&] {
        const std::vector<std::string> names = scratch.entries();
        return std::count_if(names.begin(), names.end(),
                             [](const std::string& name) { return name.starts_with("busy."); });
    };
    std::future<ServiceOutcome::Kind> first = std::async(std::launch::async, convert);
    EXPECT_TRUE(eventually([&] { return busy() == 1; }, std::chrono::seconds(20)));
    std::future<ServiceOutcome::Kind> second = std::async(std::launch::async, convert);
    const bool sideBySide = eventually([&] { return busy() == 2; }, std::chrono::seconds(20));
    const size_t running = service.processGroups().size();
    writeFile(release, "");
    EXPECT_EQ(first.get(), ServiceOutcome::Kind::Failed);
    EXPECT_EQ(second.get(), ServiceOutcome::Kind::Failed);
    EXPECT_TRUE(sideBySide) << "the second conversion waited for the first";
    EXPECT_EQ(running, 2u);
    EXPECT_EQ(service.starts() - startsBefore, 2u);
}

// A document that needed a view on its way in is loaded into one at once on
// its way back, told so by whoever holds it, without a bare model tried
// first; another is not.
TEST_F(LegacyService, ADocumentThatNeededAViewIsLoadedBackIntoOneAtOnce) {
    const std::string bin = scratch.file("bin"), requests = scratch.file("requests");
    fs::create_directories(bin);
    writeScript(bin + "/soffice", "exec /bin/sleep 60");
    // A stand-in for the helper that notes each request and answers as the
    // real one does, with a view for the documents in the "objects" folder.
    writeScript(
        scratch.file("python"),
        "tab=$(printf '\\t')\necho ready\nwhile IFS= read -r line; do\n"
        "  printf '%s\\n' \"$line\" >> " +
            requests +
            "\n"
            "  rest=${line#*\"$tab\"}; rest=${rest#*\"$tab\"}; out=${rest%%\"$tab\"*}\n"
            "  for f in \"$out\" \"$out.intended.txt\" \"$out.readback.txt\"; do "
            "echo text > \"$f\"; done\n"
            "  case $line in *objects/document.doc*) printf 'ok\\tview\\n' ;; *) echo ok ;; "
            "esac\ndone");
    ScopedEnv python("PELLUCOR_CONVERTER_PYTHON", scratch.file("python"));
    ScopedEnv path("PATH", bin);
    ScopedEnv limit("PELLUCOR_CONVERT_TIMEOUT", "10");
    converter::LegacyConverter converter(&service);
    for (const char* folder : {"objects", "plain"}) {
        const std::string document = work.file(folder + std::string("/a.doc"));
        fs::create_directories(work.file(folder));
        writeFile(document, "as read");
        bool neededView = false;
        const std::string docx =
            converter.toDocx(document, "as read", converter::LegacyFormat::Doc, &neededView);
        converter.saveAs(docx, converter::LegacyFormat::Doc, document, {}, std::nullopt,
                         neededView);
    }
    std::istringstream sent(readFile(requests));
    std::vector<std::string> backWithView, back;
    for (std::string line; std::getline(sent, line);)
        if (line.find("\tMS Word 97\t") != std::string::npos)
            (line.ends_with("\treadback,view") ? backWithView : back).push_back(line);
    ASSERT_EQ(backWithView.size(), 1u) << readFile(requests);
    EXPECT_NE(backWithView[0].find("/objects/"), std::string::npos);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_TRUE(back[0].ends_with("\treadback")) << back[0];
}

TEST_F(LegacyService, AHangingLibreOfficeIsStoppedAtTheTimeLimit) {
    const std::string bin = scratch.file("bin");
    fs::create_directories(bin);
    writeScript(bin + "/soffice", "/bin/sleep 60 &\necho $! > " + scratch.file("child") + "\nwait");
    ScopedEnv path("PATH", bin);
    ScopedEnv limit("PELLUCOR_CONVERT_TIMEOUT", "1");
    auto app = word::Application::Create(&testConversions());
    try {
        app.Documents().Open(work.file("phpword__docCzech.doc"));
        ADD_FAILURE() << "the document opened";
    } catch (const Error& error) {
        EXPECT_NE(error.description().find("phpword__docCzech.doc"), std::string::npos);
        EXPECT_NE(error.description().find("within 1 second"), std::string::npos)
            << error.description();
    }
    app.Quit();
    const int child = std::stoi(readFile(scratch.file("child")));
    EXPECT_FALSE(processRuns(child)) << "the stand-in's child process " << child << " still runs";
    EXPECT_TRUE(fs::is_empty(tmp)) << "temporary files were left behind";
}

TEST_F(LegacyService, WithoutItEachConversionRunsAProcessOfItsOwn) {
    {
        ScopedEnv mode("PELLUCOR_CONVERTER", "process");
        EXPECT_FALSE(changeAndSave("phpword__docCzech.doc", "alone.doc").empty());
    }
    {
        // An interpreter without the UNO module, as on a system without python3-uno.
        writeScript(scratch.file("python"), "echo 'nouno\tNo module named uno'\nexit 1");
        ScopedEnv python("PELLUCOR_CONVERTER_PYTHON", scratch.file("python"));
        EXPECT_FALSE(changeAndSave("tika__testFooter.odt", "alone.odt").empty());
    }
    service.stop(); // looks for the interpreter afresh
    {
        ScopedEnv python("PELLUCOR_CONVERTER_PYTHON", scratch.file("missing-python"));
        EXPECT_FALSE(changeAndSave("phpword__docCzech.doc", "alone2.doc").empty());
    }
    EXPECT_EQ(service.processGroup(), 0) << "a LibreOffice was left running for the service";
    EXPECT_TRUE(fs::is_empty(tmp)) << "temporary files were left behind";
}

// Without LibreOffice: the helper talks to a stand-in for UNO (uno_stub/),
// and a sleep stands in for LibreOffice and leads its process group.
class LegacyHelper : public ::testing::Test {
protected:
    void SetUp() override {
        if (::access(kPython, X_OK) != 0)
            GTEST_SKIP() << kPython << " is not installed";
        fs::create_directories(bin);
        writeScript(bin + "/soffice", "exec /bin/sleep 60");
        writeScript(scratch.file("python"),
                    std::string("shift # -I, which would ignore PYTHONPATH\n"
                                "PYTHONPATH=") +
                        PELLUCOR_UNO_STUB_DIR + " exec " + kPython + " \"$@\"");
    }

    static constexpr const char* kPython = "/usr/bin/python3";
    TempDir scratch, work;
    const std::string bin = scratch.file("bin");
    ScopedEnv python{"PELLUCOR_CONVERTER_PYTHON", scratch.file("python")};
    converter::ConverterService service;
};

TEST_F(LegacyHelper, AnswersEachRequestAsTheProgramReadsIt) {
    using Kind = ServiceOutcome::Kind;
    struct Case {
        const char* holds; // what the stand-in makes of the document
        const char* checks;
        Kind kind;
        bool withView;
        const char* said;
    } cases[] = {
        {"plain text", "", Kind::Converted, false, ""},
        {"text with objects", "", Kind::Converted, true, ""},
        {"plain text read back", "\treadback", Kind::Converted, false, ""},
        {"refused", "", Kind::Failed, false, "General input/output error"},
        {"crash", "", Kind::Stopped, false, "the connection to LibreOffice was lost"},
        {"plain text, LibreOffice started again", "", Kind::Converted, false, ""},
    };
    int k = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.holds);
        const std::string input = work.file("in" + std::to_string(k) + ".doc");
        const std::string output = work.file("out" + std::to_string(k++) + ".docx");
        writeFile(input, c.holds);
        const ServiceOutcome outcome =
            service.convert(bin + "/soffice", input, output, "MS Word 2007 XML", "",
                            std::chrono::seconds(20), c.checks);
        EXPECT_EQ(outcome.kind, c.kind) << outcome.said;
        EXPECT_EQ(outcome.withView, c.withView);
        EXPECT_NE(outcome.said.find(c.said), std::string::npos) << outcome.said;
        if (c.kind == Kind::Converted) {
            EXPECT_EQ(readFile(output), c.holds);
        }
        if (*c.checks) {
            EXPECT_EQ(readFile(output + ".intended.txt"), c.holds);
            EXPECT_EQ(readFile(output + ".readback.txt"), c.holds);
        }
    }
    EXPECT_EQ(service.starts(), 2u) << "a LibreOffice lost was not started again, or one kept "
                                       "running was started anew";
}

// The program went away while a conversion ran: the answer finds no one to
// read it, and the helper still takes LibreOffice and the folder with it.
TEST_F(LegacyHelper, CleansUpWhenTheProgramIsGoneBeforeItsAnswer) {
    const std::string folder = scratch.file("private");
    fs::create_directories(folder);
    writeFile(folder + "/helper.py", converter::converterHelperScript());
    writeFile(folder + "/read_text.bas", converter::readTextBasic());
    writeFile(work.file("slow.doc"), "slow");
    const int libreOffice = startChild({"/bin/sleep", {"60"}, {}, -1, -1, "", 0, false});
    int ends[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
    const int helper = startChild({scratch.file("python"),
                                   {"-I", folder + "/helper.py", "pipe", folder},
                                   {},
                                   ends[1],
                                   ends[1],
                                   scratch.file("helper.log"),
                                   libreOffice,
                                   false});
    ::close(ends[1]);
    char ready[6] = {};
    EXPECT_EQ(::recv(ends[0], ready, 6, MSG_WAITALL), 6);
    const std::string request = "convert\t" + work.file("slow.doc") + "\t" +
                                work.file("slow.docx") + "\tMS Word 2007 XML\n";
    EXPECT_EQ(::send(ends[0], request.data(), request.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(request.size()));
    ::close(ends[0]);
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    EXPECT_EQ(awaitChild(libreOffice, deadline, status), ChildWait::Ended)
        << "LibreOffice outlived the helper's program";
    EXPECT_EQ(awaitChild(helper, deadline, status), ChildWait::Ended);
    EXPECT_FALSE(fs::exists(folder)) << readFile(scratch.file("helper.log"));
    ::kill(libreOffice, SIGKILL);
    ::kill(helper, SIGKILL);
    reapChild(libreOffice);
    reapChild(helper);
}

// The groups the program started die with it, killed alone or a moment
// after its watcher; the watcher, when it lives, removes the folders too.
TEST_F(LegacyHelper, WhatTheProgramStartedGoesWithItWhateverIsKilledFirst) {
    for (const bool watcherFirst : {false, true}) {
        SCOPED_TRACE(watcherFirst ? "the watcher killed first" : "the program killed alone");
        const std::string noted = scratch.file(watcherFirst ? "noted2" : "noted1");
        const std::string folder = scratch.file(watcherFirst ? "folder2" : "folder1");
        fs::create_directories(folder);
        const pid_t program = ::fork();
        ASSERT_GE(program, 0);
        if (program == 0) {
            std::string groups;
            for (int k = 0; k < 2; ++k)
                groups += std::to_string(converter::startProcess(
                              "/bin/sleep", {"60"}, {scratch.file("sleep.log"), -1, 0, {}})) +
                          " ";
            leftovers::addPath(folder);
            writeFile(noted + ".partial", groups + std::to_string(leftovers::watcher()));
            fs::rename(noted + ".partial", noted);
            ::pause();
            ::_exit(0);
        }
        const bool started =
            eventually([&] { return fs::exists(noted); }, std::chrono::seconds(20));
        int groups[2] = {}, watcher = 0;
        std::istringstream(started ? readFile(noted) : "") >> groups[0] >> groups[1] >> watcher;
        if (watcherFirst && watcher > 0) {
            ::kill(watcher, SIGKILL);
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
        ::kill(program, SIGKILL);
        ::waitpid(program, nullptr, 0);
        ASSERT_TRUE(started);
        EXPECT_GT(watcher, 0);
        for (int group : groups)
            EXPECT_TRUE(eventually([&] { return group > 0 && membersOf(group).empty(); },
                                   std::chrono::seconds(10)))
                << "the group " << group << " outlived the program";
        if (!watcherFirst) {
            EXPECT_TRUE(eventually([&] { return !fs::exists(folder); }, std::chrono::seconds(10)))
                << "the watcher left the folder behind";
        }
    }
}

} // namespace
} // namespace pellucor::test
