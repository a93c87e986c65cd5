#include "LegacySupport.h"

#include "converter/ProcessRunner.h"
#include "support/TempDir.h"
#include "support/TestConversions.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellucor::test {

LocalListener::LocalListener() : m_socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    auto* generic = reinterpret_cast<sockaddr*>(&address);
    if (m_socket < 0 || ::bind(m_socket, generic, size) != 0 || ::listen(m_socket, 64) != 0 ||
        ::getsockname(m_socket, generic, &size) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] {
        while (!m_stop) {
            pollfd waiting{m_socket, POLLIN, 0};
            if (::poll(&waiting, 1, 50) <= 0)
                continue;
            if (int connection = ::accept(m_socket, nullptr, nullptr); connection >= 0) {
                ++m_connections;
                ::close(connection);
            }
        }
    });
}

LocalListener::~LocalListener() {
    m_stop = true;
    m_thread.join();
    ::close(m_socket);
}

bool libreOfficeInstalled() {
    return !converter::findOnPath("soffice").empty();
}

void convertWithLibreOffice(const std::string& input, const std::string& target,
                            const std::string& outDir, const std::string& profileDir) {
    convertWithLibreOffice(std::vector<std::string>{input}, target, outDir, profileDir);
}

void convertWithLibreOffice(const std::vector<std::string>& inputs, const std::string& target,
                            const std::string& outDir, const std::string& profileDir) {
    std::filesystem::create_directories(outDir);
    std::vector<std::string> args = {
        "--headless",   "--norestore", "-env:UserInstallation=file://" + profileDir,
        "--convert-to", target,        "--outdir",
        outDir};
    args.insert(args.end(), inputs.begin(), inputs.end());
    auto outcome = converter::runProcess(converter::findOnPath("soffice"), args, outDir + "/.log",
                                         std::chrono::seconds(120));
    std::filesystem::remove(outDir + "/.log");
    if (outcome.timedOut || outcome.exitCode != 0)
        throw std::runtime_error("LibreOffice could not convert " + inputs.front() + " to " +
                                 target);
}

std::vector<std::string> wordsOfFile(const std::string& path) {
    auto app = word::Application::Create(&testConversions());
    std::vector<std::string> words;
    try {
        word::WordCollection collection = app.Documents().Open(path).Words();
        for (int32_t i = 1; i <= collection.Count(); ++i)
            words.push_back(collection(i).Text());
    } catch (...) {
        app.Quit();
        throw;
    }
    app.Quit();
    return words;
}

std::vector<std::string> textWords(std::vector<std::string> words) {
    std::erase_if(words, [](const std::string& word) { return word == "\r" || word == "\x01"; });
    return words;
}

void expectOnlySpacesWidened(const std::vector<std::string>& before,
                             const std::vector<std::string>& after, int changed) {
    ASSERT_EQ(before.size(), after.size()) << "the saved document has another number of words";
    int widened = 0;
    for (size_t i = 0; i < before.size(); ++i) {
        if (before[i] == ". " && after[i] == ".  ")
            ++widened;
        else
            EXPECT_EQ(before[i], after[i]) << "word " << i + 1;
    }
    EXPECT_EQ(widened, changed);
}

bool processRuns(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string ignored, state;
    if (!(stat >> ignored >> ignored >> state))
        return false;
    return state != "Z" && state != "X";
}

} // namespace pellucor::test
