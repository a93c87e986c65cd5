// A second reader for the changed documents: where LibreOffice is installed,
// a sample of documents is converted to plain text before and after adding
// the spaces. The two texts must differ only by the spaces the walk added, so
// the change reads the same in an independent program and nothing else broke.
#include "BatchOfOne.h"
#include "CorpusManifest.h"
#include "SpacingOracle.h"
#include "support/TempDir.h"
#include "support/TestConversions.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <unistd.h>

namespace pellucor::test {
namespace {

constexpr size_t kSampleEvery = 8;

std::string findOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        std::filesystem::path candidate = std::filesystem::path(folder) / program;
        if (!folder.empty() && ::access(candidate.c_str(), X_OK) == 0)
            return candidate.string();
    }
    return {};
}

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Converts every document in `folder` to UTF-8 text in `folder`/txt.
bool convertToText(const std::string& soffice, const std::string& profile,
                   const std::string& folder) {
    std::string command =
        "timeout 300 " + quoted(soffice) + " --headless --norestore -env:UserInstallation=file://" +
        profile + " --convert-to 'txt:Text (encoded):UTF8' --outdir " + quoted(folder + "/txt");
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file())
            command += " " + quoted(entry.path().string());
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

std::string textOf(const std::string& folder, const std::string& documentName) {
    std::string path =
        folder + "/txt/" + std::filesystem::path(documentName).stem().string() + ".txt";
    return std::filesystem::exists(path) ? readFile(path) : std::string();
}

TEST(CorpusLibreOffice, ChangedDocumentsReadTheSameApartFromTheAddedSpaces) {
    const std::string soffice = findOnPath("soffice");
    if (soffice.empty())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    TempDir work;
    std::filesystem::create_directories(work.file("original"));
    std::filesystem::create_directories(work.file("changed"));
    std::map<std::string, int> changes;
    size_t candidate = 0;
    for (const CorpusFile& file : corpusFiles())
        if (file.mustOpen() && file.dotOneSpace > 0 && candidate++ % kSampleEvery == 0) {
            copyFile(file.path(), work.file("original/" + file.name));
            changes[file.name] = tools::runBatchOn(file.path(), work.file("changed/" + file.name),
                                                   ".", Word1::Mode::Add, {}, &testConversions())
                                     .wordsRewritten();
        }
    const std::string profile = work.file("profile");
    ASSERT_TRUE(convertToText(soffice, profile, work.file("original")))
        << "LibreOffice failed to convert the original documents";
    ASSERT_TRUE(convertToText(soffice, profile, work.file("changed")))
        << "LibreOffice failed to convert the changed documents";
    int compared = 0;

    for (const auto& [name, changed] : changes) {
        const std::string before = textOf(work.file("original"), name);
        const std::string after = textOf(work.file("changed"), name);
        if (before.empty())
            continue; // LibreOffice cannot read the original either
        ++compared;
        EXPECT_FALSE(after.empty()) << "LibreOffice cannot read the changed " << name;
        SpaceDiff diff = spacesAddedAfterDot(before, after);
        EXPECT_EQ(diff.mismatch, "") << name << ": LibreOffice reads more changes than the "
                                     << "spaces after \".\"";
        // Hidden text holds words too, but LibreOffice leaves it out.
        EXPECT_LE(diff.added, changed) << name;
        EXPECT_TRUE(changed == 0 || diff.added > 0)
            << name << ": LibreOffice sees none of the " << changed << " spaces added";
    }
    EXPECT_GT(compared, 0) << "LibreOffice produced no text for any original document";
}

} // namespace
} // namespace pellucor::test
