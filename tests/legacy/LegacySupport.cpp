#include "LegacySupport.h"

#include "converter/ProcessRunner.h"
#include "support/TempDir.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <stdexcept>

namespace pellucor::test {

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
