// Saving: atomic replacement, kept permissions, never through a link, names
// of any length, and failures that leave the target exactly as it was with
// no temporary file behind.

#include "base/AtomicFile.h"
#include "word/BatchDocument.h"
#include "WordTestSupport.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace pellucor::test {
namespace {

namespace fs = std::filesystem;

// File operations that fail on the n-th call of one kind, or write at most a
// few bytes per call; they note the new file's mode at the first write.
struct FaultyOps {
    static inline int failWriteAt = 0, failFsyncAt = 0, failRenameAt = 0;
    static inline int writes = 0, fsyncs = 0, renames = 0;
    static inline size_t maxWrite = SIZE_MAX;
    static inline mode_t modeWhileWriting = 0;

    static ssize_t write(int fd, const void* data, size_t size) {
        struct stat st {};
        if (writes == 0 && ::fstat(fd, &st) == 0)
            modeWhileWriting = st.st_mode & 07777;
        if (++writes == failWriteAt) {
            errno = ENOSPC;
            return -1;
        }
        return systemFileOps().write(fd, data, std::min(size, maxWrite));
    }
    static int fsync(int fd) {
        if (++fsyncs == failFsyncAt) {
            errno = EIO;
            return -1;
        }
        return systemFileOps().fsync(fd);
    }
    static int rename(int folder, const char* from, const char* to) {
        if (++renames == failRenameAt) {
            errno = EXDEV;
            return -1;
        }
        return systemFileOps().rename(folder, from, to);
    }
};

class ScopedFaults {
public:
    ScopedFaults(int writeAt, int fsyncAt, int renameAt, size_t maxWrite = SIZE_MAX) {
        FaultyOps::failWriteAt = writeAt;
        FaultyOps::failFsyncAt = fsyncAt;
        FaultyOps::failRenameAt = renameAt;
        FaultyOps::maxWrite = maxWrite;
        FaultyOps::writes = FaultyOps::fsyncs = FaultyOps::renames = 0;
        FaultyOps::modeWhileWriting = 0;
        setFileOpsForTesting(&m_ops);
    }
    ~ScopedFaults() { setFileOpsForTesting(nullptr); }
    ScopedFaults(const ScopedFaults&) = delete;
    ScopedFaults& operator=(const ScopedFaults&) = delete;

private:
    FileOps m_ops{FaultyOps::write, FaultyOps::fsync, FaultyOps::rename};
};

fs::perms modeOf(const std::string& path) {
    return fs::status(path).permissions();
}

class Saving : public EngineTest {
protected:
    word::Document openChanged() {
        word::Document document = open(DocxBuilder(textP("It ends.  Next")));
        document.Words()(3).SetText(". ");
        return document;
    }
};

TEST_F(Saving, UnchangedSaveIsByteIdenticalToTheSource) {
    word::Document document = open(DocxBuilder(framedP("Framed.") + textP("It ends.  Next")));
    wordsOf(document);
    document.Frames().Count();
    document.SaveAs(dir.file("out.docx"));
    EXPECT_EQ(readFile(dir.file("out.docx")), readFile(dir.file("doc.docx")));
}

TEST_F(Saving, OverTheSourceReplacesItAndLeavesNothingElse) {
    word::Document document = openChanged();
    document.SaveAs(dir.file("doc.docx"));
    EXPECT_EQ(joined(wordsOf(reopen(dir.file("doc.docx")))), "It ends. Next\r");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"doc.docx"});
}

TEST_F(Saving, ReplacedFileKeepsItsPermissions) {
    writeFile(dir.file("out.docx"), "old");
    fs::permissions(dir.file("out.docx"), fs::perms(0640));
    openChanged().SaveAs(dir.file("out.docx"));
    EXPECT_EQ(modeOf(dir.file("out.docx")), fs::perms(0640));
    EXPECT_EQ(joined(wordsOf(reopen(dir.file("out.docx")))), "It ends. Next\r");
}

TEST_F(Saving, NewFileGetsTheUsualPermissionsAndTheUmaskStaysPut) {
    mode_t mask = ::umask(0);
    ::umask(mask);
    openChanged().SaveAs(dir.file("new.docx"));
    EXPECT_EQ(modeOf(dir.file("new.docx")), fs::perms(0666 & ~mask));
    // Saves run side by side in the command line: none may change the
    // process's umask, even for a moment.
    std::atomic<bool> saving = true;
    std::atomic<int> changed = 0;
    std::thread watcher([&] {
        while (saving) {
            mode_t seen = ::umask(mask);
            changed += seen != mask;
        }
    });
    for (int k = 0; k < 20; ++k)
        openChanged().SaveAs(dir.file("new" + std::to_string(k) + ".docx"));
    saving = false;
    watcher.join();
    EXPECT_EQ(changed, 0);
}

TEST_F(Saving, ShortWritesStillGiveTheWholeFile) {
    word::Document document = openChanged();
    {
        ScopedFaults faults(0, 0, 0, 7);
        document.SaveAs(dir.file("out.docx"));
    }
    EXPECT_EQ(joined(wordsOf(reopen(dir.file("out.docx")))), "It ends. Next\r");
}

struct SaveFailureCase {
    std::string name;
    std::string target; // inside the scratch folder
    std::function<void(const std::string& target)> prepare;
    int failWriteAt = 0, failFsyncAt = 0, failRenameAt = 0;
};

std::ostream& operator<<(std::ostream& out, const SaveFailureCase& c) {
    return out << c.name;
}

void oldFile(const std::string& target) {
    writeFile(target, "old bytes");
}

std::vector<SaveFailureCase> saveFailureCases() {
    return {
        {"IntoAMissingFolder", "missing/out.docx", [](const std::string&) {}},
        {"OntoAFolder", "out.docx",
         [](const std::string& target) { fs::create_directory(target); }},
        {"OntoAReadOnlyFile", "out.docx",
         [](const std::string& target) {
             oldFile(target);
             fs::permissions(target, fs::perms(0444));
         }},
        {"WhenTheFirstWriteFails", "out.docx", oldFile, 1, 0, 0},
        {"WhenTheFlushFails", "out.docx", oldFile, 0, 1, 0},
        {"WhenTheRenameFails", "out.docx", oldFile, 0, 0, 1},
        {"WhenWritingANewFileFails", "new.docx", [](const std::string&) {}, 1, 0, 0},
        {"OverAFileTheOfficeSuiteHasOpen", "out.docx",
         [](const std::string& target) {
             oldFile(target);
             writeFile(fs::path(target).parent_path() / ".~lock.out.docx#", "someone,host");
         }},
        {"OverAFileTheWordProcessorHasOpen", "report.docx",
         [](const std::string& target) {
             oldFile(target);
             writeFile(fs::path(target).parent_path() / "~$port.docx", "owner");
         }},
        {"OntoALinkToAnotherFile", "out.docx",
         [](const std::string& target) {
             fs::create_directory(fs::path(target).parent_path() / "elsewhere");
             oldFile(fs::path(target).parent_path() / "elsewhere/private.txt");
             fs::create_symlink("elsewhere/private.txt", target);
         }},
        {"OntoADanglingLink", "out.docx",
         [](const std::string& target) {
             fs::create_symlink(fs::path(target).parent_path() / "nothing.docx", target);
         }},
    };
}

// A snapshot of what a save must not disturb: the folder's entries and the
// target's bytes and mode when it is a file.
struct FolderState {
    std::vector<std::string> entries;
    bool targetIsFile = false;
    std::string targetBytes;
    fs::perms targetMode = fs::perms::none;

    bool operator==(const FolderState&) const = default;
};

FolderState stateOf(const TempDir& dir, const std::string& target) {
    FolderState state;
    state.entries = dir.entries();
    state.targetIsFile = fs::is_regular_file(target);
    if (state.targetIsFile) {
        state.targetBytes = readFile(target);
        state.targetMode = modeOf(target);
    }
    return state;
}

class SaveFailures : public Saving, public ::testing::WithParamInterface<SaveFailureCase> {};

TEST_P(SaveFailures, RaiseAnErrorNamingTheFileAndLeaveTheTargetAsItWas) {
    const SaveFailureCase& c = GetParam();
    word::Document document = openChanged();
    const std::string target = dir.file(c.target);
    c.prepare(target);
    const FolderState before = stateOf(dir, target);

    std::string description;
    {
        ScopedFaults faults(c.failWriteAt, c.failFsyncAt, c.failRenameAt);
        description = errorFrom([&] { document.SaveAs(target); });
    }
    EXPECT_NE(description.find(c.target), std::string::npos) << description;
    EXPECT_TRUE(stateOf(dir, target) == before)
        << "the folder now holds: " << ::testing::PrintToString(dir.entries());

    document.SaveAs(dir.file("later.docx"));
    EXPECT_EQ(joined(wordsOf(reopen(dir.file("later.docx")))), "It ends. Next\r")
        << "a save after the failure";
}

INSTANTIATE_TEST_SUITE_P(Save, SaveFailures, ::testing::ValuesIn(saveFailureCases()),
                         [](const auto& test) { return test.param.name; });

TEST_F(Saving, FailedSaveOverTheSourceKeepsTheSource) {
    word::Document document = openChanged();
    const std::string original = readFile(dir.file("doc.docx"));
    {
        ScopedFaults faults(0, 0, 1);
        EXPECT_THROW(document.SaveAs(dir.file("doc.docx")), Error);
    }
    EXPECT_EQ(readFile(dir.file("doc.docx")), original);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"doc.docx"});
}

// A result made from a private document is as private: a new file gets the
// source's bits within the umask, from its creation on; only its owner keeps
// the right to write it, so that the next mark can replace it.
TEST_F(Saving, NewFileIsNoMoreOpenThanItsSource) {
    const struct {
        mode_t source, mask, expected;
    } cases[] = {{0600, 022, 0600}, {0600, 077, 0600}, {0640, 022, 0640},
                 {0644, 077, 0600}, {0666, 022, 0644}, {0444, 022, 0644}};
    const mode_t mask = ::umask(022);
    for (const auto& c : cases) {
        const std::string name = std::to_string(c.source) + "-" + std::to_string(c.mask);
        DocxBuilder(textP("It ends.  Next")).write(dir.file(name + ".docx"));
        ASSERT_EQ(::chmod(dir.file(name + ".docx").c_str(), c.source), 0);
        word::Document document = reopen(dir.file(name + ".docx"));
        document.Words()(3).SetText(". ");
        ::umask(c.mask);
        ScopedFaults faults(0, 0, 0);
        document.SaveAs(dir.file(name + "-new.docx"));
        EXPECT_EQ(modeOf(dir.file(name + "-new.docx")), fs::perms(c.expected)) << name;
        EXPECT_EQ(FaultyOps::modeWhileWriting & ~c.expected, 0u)
            << name << ": wider while written: " << std::oct << FaultyOps::modeWhileWriting;
        ::umask(022);
    }
    ::umask(mask);
}

// A program that rewrites the saved file in place, as long as the old one,
// and puts its time back (cp -p, touch -r) leaves nothing but the change time
// to tell; the next opening must read the file, not reuse what was saved.
TEST_F(Saving, AFileRewrittenWithItsTimeRestoredIsReadAfresh) {
    const std::string target = dir.file("out.docx");
    DocxBuilder(textP("It ends.  Next")).write(dir.file("doc.docx"));
    word::BatchDocument batch(dir.file("doc.docx"));
    word::Document document = app.Documents().Open(dir.file("doc.docx"), {}, &batch);
    document.Words()(3).SetText(". ");
    document.SaveAs(target);
    app.Quit(); // the batch keeps the saved document for its next mark
    struct stat saved {};
    ASSERT_EQ(::stat(target.c_str(), &saved), 0);
    const std::string other = readFile(target).replace(0, 2, "XY");
    int fd = ::open(target.c_str(), O_WRONLY);
    ASSERT_EQ(::write(fd, other.data(), other.size()), static_cast<ssize_t>(other.size()));
    const timespec times[2] = {saved.st_atim, saved.st_mtim};
    ASSERT_EQ(::futimens(fd, times), 0);
    ::close(fd);

    app = word::Application::Create();
    EXPECT_THROW(app.Documents().Open(target, {}, &batch), Error)
        << "the kept document was taken for the rewritten file";
}

TEST_F(Saving, NamesOfAnyLengthAreSavedInFoldersOfAnyDepth) {
    const std::string longest = std::string(250, 'n') + ".docx";
    openChanged().SaveAs(dir.file(longest));
    EXPECT_EQ(joined(wordsOf(reopen(dir.file(longest)))), "It ends. Next\r");
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"doc.docx", longest}));

    // Deeper than a path may be long in one call: made a folder at a time.
    const std::string level(200, 'd');
    std::string deep = dir.path();
    int fd = ::open(deep.c_str(), O_PATH);
    for (int k = 0; k <= PATH_MAX / 200; ++k, deep += "/" + level) {
        ::mkdirat(fd, level.c_str(), 0700);
        int next = ::openat(fd, level.c_str(), O_PATH);
        ::close(fd);
        fd = next;
    }
    ::close(fd);
    openChanged().SaveAs(deep + "/" + longest);
    EXPECT_EQ(joined(wordsOf(reopen(deep + "/" + longest))), "It ends. Next\r");
    EXPECT_EQ(std::system(("rm -rf " + dir.file(level)).c_str()), 0);
}

} // namespace
} // namespace pellucor::test
