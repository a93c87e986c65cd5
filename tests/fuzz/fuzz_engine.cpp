// libFuzzer target over the document engine: open (the main story or every
// story, changes made outright or tracked, as a byte of the input chooses),
// read every word of every story, write some words, remove every frame,
// unprotect, save and open the saved copy.
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

// How the input is opened, from a byte folded from all of it, so that any
// mutation may change it: every story or the main one, tracked or not.
EditOptions optionsOf(const uint8_t* data, size_t size) {
    uint8_t choice = 0;
    for (size_t at = 0; at < size; ++at)
        choice ^= data[at];
    EditOptions options;
    options.allStories = (choice & 1) != 0;
    if (choice & 2)
        options.trackedBy = Revisor{"Fuzz", "2026-12-08T00:00:00Z"};
    return options;
}

std::string joinedWords(const WordCollection& words) {
    std::string joined;
    for (int32_t i = 1, count = words.Count(); i <= count; ++i)
        joined += words(i).Text();
    return joined;
}

// Every story's text, each ended by a NUL.
std::string storiesText(const Document& document) {
    std::string all;
    StoryCollection stories = document.Stories();
    for (int32_t i = 1, count = stories.Count(); i <= count; ++i)
        all += joinedWords(stories(i).Words()) + '\0';
    return all;
}

bool trySetText(WordCollection& words, int32_t index, const std::string& text) {
    try {
        words(index).SetText(text);
        return true;
    } catch (const Error&) {
        return false; // a word holding a tab, a picture or a paragraph mark
    }
}

// Widens every ". " to ".  " and changes the first settable word: to "x y" in
// a package, and in a plain text by a space after it, since a text's bytes
// decide what it opens as and spaces alone must not change that. The joined
// text of all words must then be the old one with exactly these
// replacements, however the words were cut again.
void writeWords(WordCollection words, bool plainText) {
    std::vector<std::string> texts;
    for (int32_t i = 1, count = words.Count(); i <= count; ++i)
        texts.push_back(words(i).Text());
    // Backwards, so that a word cut anew cannot shift the words still to come.
    for (size_t i = texts.size(); i-- > 0;)
        if (texts[i] == ". " && trySetText(words, static_cast<int32_t>(i + 1), ".  "))
            texts[i] = ".  ";
    for (size_t i = 0; i < texts.size(); ++i) {
        const std::string text = plainText ? texts[i] + " " : "x y";
        if (trySetText(words, static_cast<int32_t>(i + 1), text)) {
            texts[i] = text;
            break;
        }
    }
    std::string expected;
    for (const std::string& text : texts)
        expected += text;
    if (joinedWords(words) != expected)
        finding("after writing words, the text of a story is not what was written");
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

void reopen(Application& app, const std::string& path, const EditOptions& options,
            const SavedState& saved) {
    Document copy = [&] {
        try {
            return app.Documents().Open(path, options);
        } catch (const Error& error) {
            finding("the saved document does not open again: " + error.description());
        }
    }();
    if (storiesText(copy) != saved.text)
        finding("the saved document does not hold the text that was saved");
    if (saved.noFrames && copy.Frames().Count() != 0)
        finding("frames removed before saving are back after opening the saved document");
    if (copy.ProtectionType() != saved.protection)
        finding("the saved document's protection differs from the one that was saved");
}

void exercise(Application& app, const std::string& input, const std::string& output,
              const EditOptions& options, bool plainText) {
    Document document = app.Documents().Open(input, options);
    StoryCollection stories = document.Stories();
    for (int32_t i = 1, count = stories.Count(); i <= count; ++i)
        writeWords(stories(i).Words(), plainText); // reads every word first
    removeFrames(document);
    unprotect(document);
    const SavedState saved{storiesText(document), document.Frames().Count() == 0,
                           document.ProtectionType()};
    document.SaveAs(output);
    reopen(app, output, options, saved);
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
        const bool plainText = size < 2 || data[0] != 'P' || data[1] != 'K';
        exercise(app, input, output, optionsOf(data, size), plainText);
    } catch (const Error&) {
        // the expected refusal of a damaged or foreign input
    }
    app.Quit();
    return 0;
}
