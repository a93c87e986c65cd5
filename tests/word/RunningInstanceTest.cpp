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

TEST(RunningInstance, ReadsTheRealProcessTableWithoutFailingOddly) {
    try {
        GetRunningInstance();
    } catch (const Error& error) {
        EXPECT_FALSE(error.description().empty());
    }
}

} // namespace
