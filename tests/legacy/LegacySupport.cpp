#include "LegacySupport.h"

#include "converter/ProcessRunner.h"
#include "support/TempDir.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <sys/stat.h>

namespace pellucor::test {

ScopedEnv::ScopedEnv(const std::string& name, const std::string& value) : m_name(name) {
    if (const char* old = std::getenv(name.c_str()))
        m_old = old;
    ::setenv(name.c_str(), value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
    if (m_old)
        ::setenv(m_name.c_str(), m_old->c_str(), 1);
    else
        ::unsetenv(m_name.c_str());
}

bool libreOfficeInstalled() {
    return !converter::findOnPath("soffice").empty();
}

void convertWithLibreOffice(const std::string& input, const std::string& target,
                            const std::string& outDir, const std::string& profileDir) {
    std::filesystem::create_directories(outDir);
    auto outcome = converter::runProcess(converter::findOnPath("soffice"),
                                         {"--headless", "--norestore",
                                          "-env:UserInstallation=file://" + profileDir,
                                          "--convert-to", target, "--outdir", outDir, input},
                                         outDir + "/.log", std::chrono::seconds(120));
    std::filesystem::remove(outDir + "/.log");
    if (outcome.timedOut || outcome.exitCode != 0)
        throw std::runtime_error("LibreOffice could not convert " + input);
}

std::vector<std::string> wordsOfFile(const std::string& path) {
    auto app = word::Application::Create();
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

void writeScript(const std::string& path, const std::string& body) {
    writeFile(path, "#!/bin/sh\n" + body + "\n");
    ::chmod(path.c_str(), 0755);
}

bool processRuns(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string ignored, state;
    if (!(stat >> ignored >> ignored >> state))
        return false;
    return state != "Z" && state != "X";
}

} // namespace pellucor::test
