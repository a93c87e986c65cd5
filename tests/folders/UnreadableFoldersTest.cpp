// Folders that the user may not list. Tests run as root here, who may list
// anything, so each case runs in a child process that gives up root first.

#include "AddFolder.h"
#include "base/Error.h"
#include "FolderTestSupport.h"
#include "support/ScriptedServices.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace pellucor::test {
namespace {

using Folders = std::vector<std::string>;

constexpr uid_t kNobody = 65534;

std::string joined(const Folders& folders) {
    std::ostringstream out;
    for (const auto& folder : folders)
        out << "\n  " << folder;
    return out.str();
}

// Runs `check` as an ordinary user in a child process; the child reports what
// went wrong on its error output and exits with 1.
void expectAsOrdinaryUser(const std::function<std::string()>& check) {
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 ||
                                     ::setuid(kNobody) != 0)) {
                std::fputs("could not give up root\n", stderr);
                std::_Exit(2);
            }
            std::string failure = check();
            std::fputs(failure.c_str(), stderr);
            std::_Exit(failure.empty() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

class UnreadableFolders : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
        makeFolders(dir, {"R/A/A1", "R/B", "S/inner"});
        writeFile(dir.file("S/a.docx"), "x");
        ASSERT_EQ(::chmod(dir.file("R/A").c_str(), 0), 0);
        ASSERT_EQ(::chmod(dir.file("S").c_str(), 0), 0);
    }
    std::string at(const std::string& folder) const { return entryOf(dir, folder); }

    TempDir dir;
};

TEST_F(UnreadableFolders, AreDroppedSilentlyFromTheWalk) {
    expectAsOrdinaryUser([&]() -> std::string {
        ScriptedWindow window;
        ScriptedPrompts prompts;
        // Each failure removes the first equal entry, so both copies of S go;
        // R/A goes from the level below and so from the result.
        Folders folders{at("S"), at("R"), at("S")};
        AddFolder::GetSubDirectories2016(folders, true, prompts, window);
        if (folders != Folders{at("R"), at("R/B")})
            return "the walk left:" + joined(folders) + "\n";
        if (!prompts.boxes.empty())
            return "the walk showed a box: " + prompts.boxes.front().text + "\n";

        Folders only{at("S")};
        AddFolder::GetSubDirectories2016(only, true, prompts, window);
        return only.empty() ? "" : "the only, unreadable entry stayed:" + joined(only) + "\n";
    });
}

TEST_F(UnreadableFolders, ListingOneRaisesPermissionDenied) {
    expectAsOrdinaryUser([&]() -> std::string {
        try {
            AddFolder::ListFiles(dir.file("S"), "*.*");
            return "listing an unreadable folder raised nothing\n";
        } catch (const Error& error) {
            if (error.number() != 70)
                return "expected error 70, got " + std::to_string(error.number()) + ": " +
                       error.description() + "\n";
        }
        return AddFolder::FileIsOpenable(dir.file("S/a.docx"))
                   ? "a file inside a folder that may not be searched was openable\n"
                   : "";
    });
}

} // namespace
} // namespace pellucor::test
