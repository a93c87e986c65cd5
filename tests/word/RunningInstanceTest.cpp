// The running-instance lookup reads a process table; these tests give it one
// of their own.
#include "word/RunningInstance.h"

#include "base/Error.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

using pellucor::Error;
using pellucor::test::TempDir;
using pellucor::test::writeFile;
using pellucor::word::GetRunningInstance;

namespace {

void addProcess(const TempDir& proc, const std::string& pid, const std::string& comm,
                const std::string& commandLine) {
    std::filesystem::create_directory(proc.file(pid));
    writeFile(proc.file(pid + "/comm"), comm + "\n");
    writeFile(proc.file(pid + "/cmdline"), commandLine);
}

TEST(RunningInstance, NoWordProcessorRunningRaises) {
    TempDir proc;
    addProcess(proc, "10", "bash", std::string("/bin/bash\0-l\0", 11));
    EXPECT_THROW(GetRunningInstance(proc.path()), Error);
}

TEST(RunningInstance, FindsAProgramRunThroughACompatibilityLayer) {
    TempDir proc;
    addProcess(proc, "10", "bash", "/bin/bash");
    addProcess(proc, "42", "WINWORD.EXE",
               std::string("C:\\Program Files\\Office\\WINWORD.EXE\0/n\0", 40));
    auto running = GetRunningInstance(proc.path());
    EXPECT_EQ(running.Name(), "Microsoft Word");
    EXPECT_EQ(running.processId, 42);
}

TEST(RunningInstance, FindsTheOfficeSuite) {
    TempDir proc;
    addProcess(proc, "7", "soffice.bin", "/usr/lib/libreoffice/program/soffice.bin");
    EXPECT_EQ(GetRunningInstance(proc.path()).Name(), "LibreOffice");
}

TEST(RunningInstance, PrefersTheWordProcessorItWarnsAbout) {
    TempDir proc;
    addProcess(proc, "7", "soffice.bin", "/usr/lib/libreoffice/program/soffice.bin");
    addProcess(proc, "8", "WINWORD.EXE", "C:\\Office\\WINWORD.EXE");
    addProcess(proc, "9", "soffice.bin", "/usr/lib/libreoffice/program/soffice.bin");
    EXPECT_EQ(GetRunningInstance(proc.path()).Name(), "Microsoft Word");
}

// A program is known by the last path part of a command-line word, or by the
// first line of the short name, in any case; nothing else is taken for it.
TEST(RunningInstance, KnowsAProgramByTheLastPartOfAWordInAnyCase) {
    struct Case {
        const char* what;
        std::string pid, comm, commandLine;
        const char* name; // null: none is running
    };
    const std::string longArgument(4090, 'a'); // the name then crosses one read
    const Case cases[] = {
        {"upper case", "5", "x", "/opt/LibreOffice/program/SOFFICE.BIN", "LibreOffice"},
        {"mixed case after a long argument", "5", "x",
         longArgument + std::string("\0C:\\Office\\WinWord.exe", 22), "Microsoft Word"},
        {"command-line words split by a line end", "5", "x", "bash\n/opt/soffice.bin",
         "LibreOffice"},
        {"only the short name tells", "5", "soffice.bin", "", "LibreOffice"},
        {"a longer name ending alike", "5", "xsoffice.bin", "/opt/xwinword.exe", nullptr},
        {"a name with more after it", "5", "soffice.bin.old", "winword.exe2", nullptr},
        {"the short name's second line", "5", "bash\nsoffice.bin", "bash", nullptr},
        {"a NUL inside the short name", "5", std::string("soffice.bin\0", 12), "", nullptr},
        {"a process number too large to be one", "99999999999999999999", "soffice.bin", "",
         nullptr},
    };
    for (const Case& c : cases) {
        TempDir proc;
        addProcess(proc, c.pid, c.comm, c.commandLine);
        if (c.name) {
            EXPECT_EQ(GetRunningInstance(proc.path()).Name(), c.name) << c.what;
            EXPECT_EQ(GetRunningInstance(proc.path()).processId, 5) << c.what;
        } else {
            EXPECT_THROW(GetRunningInstance(proc.path()), Error) << c.what;
        }
    }
}

TEST(RunningInstance, ReadsTheRealProcessTableWithoutFailingOddly) {
    try {
        GetRunningInstance();
    } catch (const Error& error) {
        EXPECT_FALSE(error.description().empty());
    }
}

} // namespace
