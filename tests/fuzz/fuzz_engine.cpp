// libFuzzer target over the document engine: open, read every word, write
// some words, remove every frame, unprotect, save and open the saved copy.
// pellucor::Error is the expected way to refuse an input; a crash, any
// other exception, a leak, a hang or a broken invariant is a finding.
#include "base/Error.h"
#include "word/Application.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace pellucor::word;
using pellucor::Error;

namespace {

constexpr int kMaxFrameSteps = 500;

[[noreturn]] void finding(const std::string& what) {
    std::fprintf(stderr, "fuzz_engine finding: %s\n", what.c_str());
    std::abort();
}

// One folder per process, so that parallel fuzzer jobs do not share files;
// removed when the fuzzer exits normally.
struct WorkFolder {
    std::string path;
    WorkFolder() {
        path = (std::filesystem::temp_directory_path() / "pellucor-fuzz-XXXXXX").string();
        if (!::mkdtemp(path.data()))
            finding("cannot create a temporary folder");
    }
    ~WorkFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

const std::string& workFolder() {
    static const WorkFolder folder;
    return folder.path;
}

std::string joinedWords(const Document& document) {
    std::string joined;
    WordCollection words = document.Words();
    for (int32_t i = 1, count = words.Count(); i <= count; ++i)
        joined += words(i).Text();
    return joined;
}

bool trySetText(WordCollection& words, int32_t index, const std::string& text) {
    try {
        words(index).SetText(text);
        return true;
    } catch (const Error&) {
        return false; // a word holding a tab, a picture or a paragraph mark
    }
}

// Widens every ". " to ".  " and sets the first settable word to "x y". The
// joined text of all words must then be the old one with exactly these
// replacements, however the words were cut again.
void writeWords(Document& document) {
    WordCollection words = document.Words();
    std::vector<std::string> texts;
    for (int32_t i = 1, count = words.Count(); i <= count; ++i)
        texts.push_back(words(i).Text());
    // Backwards, so that a word cut anew cannot shift the words still to come.
    for (size_t i = texts.size(); i-- > 0;)
        if (texts[i] == ". " && trySetText(words, static_cast<int32_t>(i + 1), ".  "))
            texts[i] = ".  ";
    for (size_t i = 0; i < texts.size(); ++i)
        if (trySetText(words, static_cast<int32_t>(i + 1), "x y")) {
            texts[i] = "x y";
            break;
        }
    std::string expected;
    for (const std::string& text : texts)
        expected += text;
    if (joinedWords(document) != expected)
        finding("after writing words, the text of the document is not what was written");
}

// The program's frame loop: every step must shorten the list by one, or the
// loop would never end.
void removeFrames(Document& document) {
    FrameCollection frames = document.Frames();
    for (int step = 0; step < kMaxFrameSteps && frames.Count() != 0; ++step) {
        int32_t before = frames.Count();
        Frame frame = frames(1);
        if (frame.Range().Information(wdWithInTable))
            frame.Range().Tables(1).Rows().SetWrapAroundText(false);
        else
            frame.Delete();
        if (frames.Count() != before - 1)
            finding("removing frame 1 of " + std::to_string(before) + " left " +
                    std::to_string(frames.Count()));
    }
}

void unprotect(Document& document) {
    if (document.ProtectionType() == -1)
        return;
    try {
        document.Unprotect();
    } catch (const Error&) {
        return; // a password is set
    }
    if (document.ProtectionType() != -1)
        finding("Unprotect succeeded but the document is still protected");
}

struct SavedState {
    std::string text;
    bool noFrames = false;
    int protection = -1;
};

void reopen(Application& app, const std::string& path, const SavedState& saved) {
    Document copy = [&] {
        try {
            return app.Documents().Open(path);
        } catch (const Error& error) {
            finding("the saved document does not open again: " + error.description());
        }
    }();
    if (joinedWords(copy) != saved.text)
        finding("the saved document does not hold the text that was saved");
    if (saved.noFrames && copy.Frames().Count() != 0)
        finding("frames removed before saving are back after opening the saved document");
    if (copy.ProtectionType() != saved.protection)
        finding("the saved document's protection differs from the one that was saved");
}

void exercise(Application& app, const std::string& input, const std::string& output) {
    Document document = app.Documents().Open(input);
    writeWords(document); // reads every word first
    removeFrames(document);
    unprotect(document);
    const SavedState saved{joinedWords(document), document.Frames().Count() == 0,
                           document.ProtectionType()};
    document.SaveAs(output);
    reopen(app, output, saved);
}

} // namespace

// Legacy formats go through an external converter; fuzzing is about our own
// code, so the converter is put out of reach and such inputs are refused.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("PATH", "/nonexistent", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input = workFolder() + "/input.docx";
    const std::string output = workFolder() + "/saved.docx";
    {
        std::ofstream out(input, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!out)
            finding("cannot write the input to " + input);
    }
    std::filesystem::remove(output);
    Application app = Application::Create();
    try {
        exercise(app, input, output);
    } catch (const Error&) {
        // the expected refusal of a damaged or foreign input
    }
    app.Quit();
    return 0;
}
