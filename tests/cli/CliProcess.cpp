#include "CliProcess.h"

#include "base/ChildProcess.h"
#include "support/TestConversions.h"
#include "word/Application.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <pty.h>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace pellucor::test {
namespace {

std::vector<std::string> environmentWith(const std::vector<std::string>& extra) {
    std::vector<std::string> entries(extra);
    for (char** entry = environ; *entry; ++entry) {
        std::string text = *entry;
        bool replaced = false;
        for (const std::string& added : extra)
            replaced = replaced || text.rfind(added.substr(0, added.find('=') + 1), 0) == 0;
        if (!replaced)
            entries.push_back(text);
    }
    return entries;
}

int waitFor(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::vector<std::string> commandLine(const std::vector<std::string>& args) {
    std::vector<std::string> argv{PELLUCOR_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    return argv;
}

} // namespace

CliRun::CliRun(const std::vector<std::string>& args, const std::string& workDir,
               const std::vector<std::string>& extraEnv)
    : CliRun(Program{commandLine(args)}, workDir, extraEnv) {}

CliRun::CliRun(const Program& program, const std::string& workDir,
               const std::vector<std::string>& extraEnv) {
    const std::vector<std::string>& argv = program.argv;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
    posix_spawn_file_actions_addopen(&actions, 1, m_captured.file("out").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, m_captured.file("err").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<std::string> arguments = argv;
    std::vector<std::string> env = environmentWith(extraEnv);
    pid_t pid = 0;
    int failure = ::posix_spawn(&pid, argv.at(0).c_str(), &actions, nullptr,
                                pointersTo(arguments).data(), pointersTo(env).data());
    posix_spawn_file_actions_destroy(&actions);
    if (failure != 0)
        throw std::runtime_error("cannot start " + argv[0]);
    m_pid = pid;
}

CliRun::~CliRun() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        waitFor(m_pid);
    }
}

CliResult CliRun::finish() {
    CliResult result;
    result.status = waitFor(std::exchange(m_pid, -1));
    result.out = readFile(m_captured.file("out"));
    result.err = readFile(m_captured.file("err"));
    return result;
}

CliResult runCli(const std::vector<std::string>& args, const std::string& workDir,
                 const std::vector<std::string>& extraEnv) {
    return CliRun(args, workDir, extraEnv).finish();
}

CliResult runProgram(const std::vector<std::string>& argv, const std::string& workDir,
                     const std::vector<std::string>& extraEnv) {
    return CliRun(CliRun::Program{argv}, workDir, extraEnv).finish();
}

CliResult runCliOnTerminal(const std::vector<std::string>& args, const std::string& workDir) {
    std::vector<std::string> argv = commandLine(args);
    int terminal = -1;
    pid_t pid = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    if (pid < 0)
        throw std::runtime_error("cannot open a pseudo-terminal");
    if (pid == 0) {
        if (::chdir(workDir.c_str()) == 0)
            ::execv(PELLUCOR_CLI, pointersTo(argv).data());
        ::_exit(127);
    }
    CliResult result;
    char buffer[4096];
    for (ssize_t got; (got = ::read(terminal, buffer, sizeof buffer)) != 0;) {
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            break; // EIO: the program closed the terminal
        result.out.append(buffer, static_cast<size_t>(got));
    }
    ::close(terminal);
    result.status = waitFor(pid);
    return result;
}

FakeWordProcessor::FakeWordProcessor(const std::string& programName) {
    std::vector<std::string> argv{programName, "30"};
    pid_t pid = 0;
    if (::posix_spawn(&pid, "/bin/sleep", nullptr, nullptr, pointersTo(argv).data(), environ) != 0)
        throw std::runtime_error("cannot start a process named " + programName);
    m_pid = pid;
}

FakeWordProcessor::~FakeWordProcessor() {
    ::kill(m_pid, SIGKILL);
    waitFor(m_pid);
}

std::string documentText(const std::string& path) {
    word::Application app = word::Application::Create(&testConversions());
    word::WordCollection words = app.Documents().Open(path).Words();
    std::string text;
    for (int32_t i = 1, count = words.Count(); i <= count; ++i)
        text += words(i).Text();
    app.Quit();
    return text;
}

std::vector<std::string> treeOf(const std::string& root) {
    std::vector<std::string> paths;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        paths.push_back(std::filesystem::relative(entry.path(), root).string());
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> reportedNames(const std::string& report, const std::string& field) {
    const std::string script = "import json, os, sys\n"
                               "sys.stdout.buffer.write(b''.join((b'null' if d[sys.argv[2]] is None"
                               " else os.fsencode(d[sys.argv[2]])) + b'\\0' for d in "
                               "json.load(open(sys.argv[1]))['documents']))";
    TempDir here;
    CliResult read = runProgram({"/usr/bin/python3", "-c", script, report, field}, here.path(),
                                {"PYTHONUTF8=1"});
    EXPECT_EQ(read.status, 0) << report << " does not load as JSON: " << read.err;
    std::vector<std::string> names;
    for (size_t at = 0, end; (end = read.out.find('\0', at)) != std::string::npos; at = end + 1)
        names.push_back(read.out.substr(at, end - at));
    return names;
}

std::string CliTest::makeFolder(const std::string& name) {
    std::filesystem::create_directories(dir.file(name));
    return dir.file(name);
}

} // namespace pellucor::test
