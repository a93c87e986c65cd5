#include "SharedLibreOffice.h"

#include "base/Leftovers.h"
#include "base/SocketSend.h"
#include "base/TempFolder.h"
#include "base/Waiting.h"
#include "converter/ConverterHelper.h"
#include "converter/LegacyConverter.h"
#include "converter/LibreOfficePipes.h"
#include "converter/PrivateProfile.h"
#include "converter/ProcessRunner.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace pellucor::converter {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

std::string pythonPath() {
    const char* path = std::getenv("PELLUCOR_CONVERTER_PYTHON");
    return path && *path ? path : "/usr/bin/python3";
}

bool writeText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::trunc);
    return static_cast<bool>(out << text << std::flush);
}

bool fitsOnOneRequestLine(const std::string& text) {
    return text.find_first_of("\t\r\n") == std::string::npos;
}

} // namespace

SharedLibreOffice::~SharedLibreOffice() {
    stop();
}

unsigned SharedLibreOffice::starts() const {
    return m_starts;
}

int SharedLibreOffice::processGroup() const {
    return m_group;
}

int SharedLibreOffice::helperProcess() const {
    return m_helper;
}

void SharedLibreOffice::stop() {
    std::lock_guard lock(m_mutex);
    stopLocked();
    m_unavailable = false;
}

ServiceOutcome SharedLibreOffice::convert(const std::string& soffice, const std::string& input,
                                          const std::string& output, const std::string& filter,
                                          const std::string& importFilter, milliseconds limit,
                                          const std::string& extraFields) {
    std::lock_guard lock(m_mutex);
    if (stopRequested())
        return {ServiceOutcome::Kind::Interrupted, {}};
    if (m_unavailable || !fitsOnOneRequestLine(input + output + filter + importFilter) ||
        extraFields.find_first_of("\r\n") != std::string::npos)
        return {ServiceOutcome::Kind::Unavailable, {}};
    try {
        return request(soffice,
                       "convert\t" + input + "\t" + output + "\t" + filter + "\t" + importFilter +
                           extraFields + "\n",
                       limit);
    } catch (...) { // from the wait hook: the reply would come to the next request
        stopLocked();
        throw;
    }
}

ServiceOutcome SharedLibreOffice::request(const std::string& soffice, const std::string& line,
                                          milliseconds limit) {
    using Kind = ServiceOutcome::Kind;
    // A LibreOffice that went away between conversions is started again once;
    // one lost during this document's conversion is left to the caller, who
    // converts that document alone, and the next conversion starts it anew.
    for (int attempt = 0; attempt < 2; ++attempt) {
        // A new soffice on $PATH, or a private folder cleared away, needs a new start.
        if (m_group > 0 &&
            (m_soffice != soffice || libreOfficeExited() || !fs::is_directory(m_folder)))
            stopLocked();
        if (m_group <= 0) {
            Start started = start(soffice, limit);
            if (started == Start::TimedOut || started == Start::Interrupted)
                return {started == Start::TimedOut ? Kind::TimedOut : Kind::Interrupted, {}};
            if (started != Start::Ready) // the process of its own tells why
                return {Kind::Unavailable, {}};
        }
        if (!send(line)) {
            stopLocked();
            continue;
        }
        std::string answer;
        Reply reply = readLine(Clock::now() + limit, answer);
        if (reply == Reply::TimedOut || reply == Reply::Interrupted) {
            stopLocked();
            return {reply == Reply::TimedOut ? Kind::TimedOut : Kind::Interrupted, {}};
        }
        if (reply == Reply::Line && (answer == "ok" || answer == "ok\tview"))
            return {Kind::Converted, {}, answer != "ok"};
        if (reply == Reply::Line && answer.rfind("error\t", 0) == 0)
            return {Kind::Failed, answer.substr(6)};
        std::string said = reply == Reply::Line && answer.rfind("lost\t", 0) == 0
                               ? answer.substr(5)
                               : "the helper connected to it ended";
        stopLocked();
        return {Kind::Stopped, said};
    }
    return {Kind::Stopped, "it could not be reached, also after it was started again"};
}

SharedLibreOffice::Start SharedLibreOffice::start(const std::string& soffice, milliseconds limit) {
    if (::access(pythonPath().c_str(), X_OK) != 0) {
        m_unavailable = true;
        return Start::Unavailable;
    }
    Start started = launch(soffice);
    if (started == Start::Ready)
        started = awaitReady(limit);
    if (started != Start::Ready)
        stopLocked();
    if (started == Start::Unavailable)
        m_unavailable = true;
    return started;
}

// Makes the private folder and the folder of the pipe, and returns the pipe's
// name for LibreOffice, "" when they cannot be made. LibreOffice puts
// "<pipe folder>/OSL_PIPE_<uid>_" before the name given, so "<folder>/uno"
// places the pipe in a folder of ours that no other user can enter.
std::string SharedLibreOffice::makeFolders() {
    m_folder = makePrivateTempFolder("lo-shared");
    const std::string pipeBase = libreOfficePipeFolder();
    if (m_folder.empty() || pipeBase.empty())
        return {};
    removeLeftoverFolders(pipeBase, pipeNamePrefix()); // a shared place: each time
    m_pipeFolder = makePrivateFolderIn(pipeBase, pipeNamePrefix(), "pipe");
    if (m_pipeFolder.empty())
        return {};
    m_singleInstancePipe = singleInstancePipeOf(fileUrlOf(m_folder + "/profile"));
    leftovers::addPath(m_singleInstancePipe);
    return m_pipeFolder.substr(pipeBase.size() + 1 + pipeNamePrefix().size()) + "/uno";
}

SharedLibreOffice::Start SharedLibreOffice::launch(const std::string& soffice) {
    const std::string pipe = makeFolders();
    const std::string helper = m_folder + "/helper.py";
    if (pipe.empty() || !writeText(helper, converterHelperScript()) ||
        !writeText(m_folder + "/read_text.bas", readTextBasic()) ||
        !writePrivateProfile(m_folder + "/profile", soffice))
        return Start::Failed;
    int channel[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, channel) != 0)
        return Start::Failed;
    m_channel = channel[0];
    // LibreOffice's own temporary files go into the private folder too.
    const std::string tmp = m_folder + "/tmp";
    std::error_code failed;
    fs::create_directory(tmp, failed);
    try {
        m_group =
            startProcess(soffice,
                         {"--headless", "--norestore", "--nologo", "--nodefault", "--nolockcheck",
                          "-env:UserInstallation=" + fileUrlOf(m_folder + "/profile"),
                          "--accept=pipe,name=" + pipe + ";urp;StarOffice.ComponentContext"},
                         SpawnOptions{m_folder + "/soffice.log", -1, 0, {"TMPDIR=" + tmp}});
        m_helper = startProcess(pythonPath(), {"-I", helper, pipe, m_folder},
                                SpawnOptions{m_folder + "/helper.log", channel[1], m_group, {}});
    } catch (const std::system_error&) {
        ::close(channel[1]);
        return Start::Failed;
    }
    ::close(channel[1]);
    m_soffice = soffice;
    ++m_starts;
    return Start::Ready;
}

SharedLibreOffice::Start SharedLibreOffice::awaitReady(milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    std::string line;
    while (true) {
        Reply reply = readLine(std::min(deadline, Clock::now() + milliseconds(100)), line);
        if (reply == Reply::Line)
            return line == "ready"               ? Start::Ready
                   : line.rfind("nouno", 0) == 0 ? Start::Unavailable
                                                 : Start::Failed;
        // A helper gone while LibreOffice runs is a broken interpreter.
        if (reply == Reply::Closed)
            return libreOfficeExited() ? Start::Failed : Start::Unavailable;
        if (reply == Reply::Interrupted)
            return Start::Interrupted;
        if (libreOfficeExited())
            return Start::Failed;
        if (Clock::now() >= deadline)
            return Start::TimedOut;
    }
}

bool SharedLibreOffice::send(const std::string& line) {
    return sendWhole(m_channel, line);
}

SharedLibreOffice::Reply SharedLibreOffice::readLine(Clock::time_point deadline,
                                                     std::string& line) {
    while (true) {
        size_t end = m_received.find('\n');
        if (end != std::string::npos) {
            line = m_received.substr(0, end);
            m_received.erase(0, end + 1);
            return Reply::Line;
        }
        if (!keepWaiting())
            return Reply::Interrupted;
        auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return Reply::TimedOut;
        pollfd channel{m_channel, POLLIN, 0};
        int ready = ::poll(&channel, 1, static_cast<int>(std::min<long>(left, kWaitSliceMs)));
        if (ready < 0 && errno != EINTR)
            return Reply::Closed;
        if (ready <= 0)
            continue;
        char buffer[4096];
        ssize_t got = ::recv(m_channel, buffer, sizeof buffer, 0);
        if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN))
            return Reply::Closed;
        if (got > 0)
            m_received.append(buffer, static_cast<size_t>(got));
    }
}

bool SharedLibreOffice::libreOfficeExited() {
    if (m_group <= 0)
        return true;
    int status = 0;
    return ::waitpid(m_group, &status, WNOHANG) != 0; // ended now, or reaped before
}

// Nothing LibreOffice would tidy up on its way out is kept: its profile and
// temporary files go with the private folder, and its own pipe is removed
// here. So it is killed at once rather than asked to quit and waited for.
void SharedLibreOffice::stopLocked() {
    if (m_channel >= 0) {
        ::close(m_channel);
        m_channel = -1;
    }
    if (m_group > 0) {
        ::kill(-m_group, SIGKILL);
        for (int pid : {m_group.load(), m_helper.load()})
            if (pid > 0)
                ::waitpid(pid, nullptr, 0);
        killProcessGroup(m_group);
    }
    m_group = m_helper = 0;
    m_received.clear();
    m_soffice.clear();
    removeFolders();
}

void SharedLibreOffice::removeFolders() {
    removeLeftPipe(m_singleInstancePipe);
    leftovers::dropPath(m_singleInstancePipe);
    removePrivateTempFolder(m_pipeFolder);
    removePrivateTempFolder(m_folder);
    m_singleInstancePipe.clear();
    m_pipeFolder.clear();
    m_folder.clear();
}

} // namespace pellucor::converter
