#pragma once

#include "support/DocxBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace pellucor::test {

// What one run of pellucor-cli left behind.
struct CliResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs pellucor-cli with the arguments in the folder `workDir`, its standard
// output and error captured in files; extraEnv entries ("NAME=value") are
// added to the environment.
CliResult runCli(const std::vector<std::string>& args, const std::string& workDir,
                 const std::vector<std::string>& extraEnv = {});

// Runs any program the same way; argv[0] is the program's path.
CliResult runProgram(const std::vector<std::string>& argv, const std::string& workDir,
                     const std::vector<std::string>& extraEnv = {});

// pellucor-cli started as runCli starts it, without waiting for it; killed
// when the object goes before finish.
class CliRun {
public:
    CliRun(const std::vector<std::string>& args, const std::string& workDir,
           const std::vector<std::string>& extraEnv = {});
    // Any program, argv[0] being its path.
    struct Program {
        std::vector<std::string> argv;
    };
    CliRun(const Program& program, const std::string& workDir,
           const std::vector<std::string>& extraEnv = {});
    ~CliRun();
    CliRun(const CliRun&) = delete;
    CliRun& operator=(const CliRun&) = delete;

    int pid() const { return m_pid; }
    // Waits for it to end; the status of a signal's end is 128 + the signal.
    CliResult finish();

private:
    TempDir m_captured;
    int m_pid = -1;
};

// The same with standard output and error on a terminal: what it showed.
CliResult runCliOnTerminal(const std::vector<std::string>& args, const std::string& workDir);

// A harmless process that looks like a running word processor by its
// command line; killed when the object goes.
class FakeWordProcessor {
public:
    explicit FakeWordProcessor(const std::string& programName);
    ~FakeWordProcessor();
    FakeWordProcessor(const FakeWordProcessor&) = delete;
    FakeWordProcessor& operator=(const FakeWordProcessor&) = delete;

private:
    int m_pid = -1;
};

// The texts of a document's words as the engine reads them, joined.
std::string documentText(const std::string& path);

// Every file and folder below `root`, as paths relative to it, sorted.
std::vector<std::string> treeOf(const std::string& root);

// The lines of a text, without their line ends.
std::vector<std::string> linesOf(const std::string& text);

// A field of each document of a report as Python reads it back into bytes
// (json.load, os.fsencode); "null" for null. A report that is no JSON fails.
std::vector<std::string> reportedNames(const std::string& report, const std::string& field);

// A folder of fixture documents for one test.
class CliTest : public ::testing::Test {
protected:
    std::string write(const std::string& name, const std::string& bodyXml) {
        DocxBuilder(bodyXml).write(dir.file(name));
        return dir.file(name);
    }
    std::string makeFolder(const std::string& name);
    CliResult run(const std::vector<std::string>& args) { return runCli(args, dir.path()); }

    TempDir dir;
};

} // namespace pellucor::test
