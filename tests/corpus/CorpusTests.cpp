// Every document of the shared corpus through the engine. Files that are not
// OOXML word-processing packages must be refused with a plain error that
// names them; every other one must open, be read word by word, survive an
// unchanged save entry for entry, be reported changed exactly when a pass
// saves other bytes, and take the spacing change both ways without any other
// change to its text.
#include "base/Error.h"
#include "BatchOfOne.h"
#include "BatchRun.h"
#include "CorpusManifest.h"
#include "SpacingOracle.h"
#include "StoryOracle.h"
#include "support/ScriptedServices.h"
#include "support/TempDir.h"
#include "support/TestConversions.h"
#include "word/Application.h"
#include "Word1.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <gtest/gtest.h>

namespace pellucor::test {
namespace {

using word::Application;
using word::Document;

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::vector<std::string> readAllWords(const Document& document) {
    word::WordCollection words = document.Words();
    std::vector<std::string> texts;
    for (int32_t i = 1, count = words.Count(); i <= count; ++i)
        texts.push_back(words(i).Text());
    return texts;
}

// Opens the document in a fresh engine instance and reads every word.
std::vector<std::string> wordsOf(const std::string& path) {
    auto app = Application::Create(&testConversions());
    try {
        std::vector<std::string> texts = readAllWords(app.Documents().Open(path));
        app.Quit();
        return texts;
    } catch (...) {
        app.Quit();
        throw;
    }
}

std::string joined(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words)
        text += word;
    return text;
}

void expectSamePackage(const std::string& name, const std::string& original,
                       const std::string& saved) {
    const std::vector<PackageEntry> before = readPackage(original);
    const std::vector<PackageEntry> after = readPackage(saved);
    ASSERT_EQ(before.size(), after.size())
        << name << ": the saved package has a different number of zip entries";
    for (size_t i = 0; i < before.size(); ++i) {
        ASSERT_EQ(before[i].name, after[i].name)
            << name << ": entry " << i << " of the saved package has another name";
        EXPECT_TRUE(before[i].data == after[i].data)
            << name << ": saving changed the data of " << before[i].name;
    }
}

// A refusal must say what kind of file this is, not only that it failed.
std::vector<std::string> expectedWordsOfRefusal(const CorpusFile& file) {
    if (file.format == "empty")
        return {"empty"};
    if (file.format == "ole2-encrypted-ooxml")
        return {"password", "encrypt"};
    if (file.format == "zip-broken")
        return {"damaged", "truncated"};
    return {};
}

void expectPlainRefusal(const CorpusFile& file) {
    TempDir folder;
    try {
        tools::runBatchOn(file.path(), folder.file(file.name), ".", Word1::Mode::Add, {},
                          &testConversions());
        ADD_FAILURE() << file.name << " opened, although it is " << file.format << " ("
                      << file.notes << ") and must be refused";
    } catch (const Error& error) {
        const std::string text = lower(error.description());
        EXPECT_NE(error.description().find(file.name), std::string::npos)
            << "the refusal of " << file.name << " does not name it: " << error.description();
        EXPECT_EQ(text.find("unknown"), std::string::npos)
            << "the refusal of " << file.name << " is generic: " << error.description();
        const std::vector<std::string> words = expectedWordsOfRefusal(file);
        EXPECT_TRUE(words.empty() ||
                    std::any_of(words.begin(), words.end(),
                                [&](auto& word) { return text.find(word) != std::string::npos; }))
            << "the refusal of " << file.name << " (" << file.format
            << ") does not say why: " << error.description();
    }
    EXPECT_EQ(folder.entries(), std::vector<std::string>{}) << file.name << ": nothing is saved";
}

class CorpusDocument : public ::testing::TestWithParam<CorpusFile> {};

TEST_P(CorpusDocument, IsRefusedPlainlyOrReadAndSavedUnchanged) {
    const CorpusFile& file = GetParam();
    const bool plainText = file.format == "text"; // read as text whatever its name
    if (!file.mustOpen() && !plainText)
        return expectPlainRefusal(file);
    TempDir folder;
    const std::string saved = folder.file(file.name);
    {
        auto app = Application::Create(&testConversions());
        Document document = app.Documents().Open(file.path());
        readAllWords(document);
        document.SaveAs(saved);
        app.Quit();
    }
    if (plainText)
        EXPECT_EQ(readFile(saved), readFile(file.path())) << file.name;
    else
        expectSamePackage(file.name, file.path(), saved);
}

// A whole pass, frames and protection included, adding and removing: what
// it reports unchanged is saved byte for byte as it was, what it reports
// changed differs, and what failed or was protected is not saved.
TEST_P(CorpusDocument, IsReportedChangedExactlyWhenItsResultDiffers) {
    using Result = MarkOutcome::Result;
    for (Word1::Mode mode : {Word1::Mode::Add, Word1::Mode::Remove}) {
        TempDir folder;
        ScriptedServices scripted;
        BatchRequest request;
        request.documents = {GetParam().path()};
        request.marks = {"."};
        request.mode = mode;
        request.inPlace = [](size_t) { return false; };
        request.outputFolder = [&folder](size_t) { return folder.path(); };
        BatchObserver observer;
        const Result result = RunBatch(request, observer, scripted.prompts, scripted.automation)
                                  .documents.at(0)
                                  .result();
        const std::string saved = folder.file(GetParam().name);
        const std::string what =
            GetParam().name + ", mode " + std::to_string(static_cast<int>(mode));
        const bool kept = result == Result::Changed || result == Result::Unchanged;
        ASSERT_EQ(std::filesystem::exists(saved), kept) << what << ": " << resultName(result);
        if (kept) {
            EXPECT_EQ(readFile(saved) == readFile(GetParam().path()), result == Result::Unchanged)
                << what << ": " << resultName(result);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusDocument, ::testing::ValuesIn(corpusFilesReadNatively()),
                         [](const auto& test) { return testNameOf(test.param.name); });

// The oracle. Adding (mode 1) turns some words ". " into ".  "; removing
// (mode 2) turns every ".  " after a word not starting with a capital into
// ". ", the ones added and the ones the author typed. So, on the main story
// text (the engine's words joined): W -> added differs only by spaces added
// after ". ", as many as the walk reported; removed -> added likewise; and
// removed -> W likewise, by exactly the author's double spaces the removal
// took (its count minus the adding's count). Nothing else may change.
void expectOnlySpacesAdded(const std::string& what, const std::string& shorter,
                           const std::string& longer, int count) {
    SpaceDiff diff = spacesAddedAfterDot(shorter, longer);
    EXPECT_EQ(diff.mismatch, "") << what << ": more changed than the spaces after \".\"";
    EXPECT_EQ(diff.added, count) << what << ": the number of spaces changed does not match "
                                 << "the number the walk reported";
}

int looseBound(int manifestCount) {
    return manifestCount + 2 + manifestCount / 4;
}

class CorpusSpacing : public ::testing::TestWithParam<CorpusFile> {};

// A document whose protection cannot be removed is skipped by the batch and
// nothing is saved: then there is no result to check.
bool skippedAsProtected(const DocumentOutcome& outcome, const std::string& output) {
    if (outcome.result() != MarkOutcome::Result::Protected)
        return false;
    EXPECT_FALSE(std::filesystem::exists(output)) << output << ": a skipped document was saved";
    return true;
}

TEST_P(CorpusSpacing, AddingThenRemovingChangesOnlySpacesAfterDots) {
    const CorpusFile& file = GetParam();
    TempDir folder;
    const std::string added = folder.file("added-" + file.name);
    const std::string removed = folder.file("removed-" + file.name);
    const std::string original = joined(wordsOf(file.path()));

    DocumentOutcome adding =
        tools::runBatchOn(file.path(), added, ".", Word1::Mode::Add, {}, &testConversions());
    if (skippedAsProtected(adding, added))
        return;
    const std::string addedText = joined(wordsOf(added));
    DocumentOutcome removing =
        tools::runBatchOn(added, removed, ".", Word1::Mode::Remove, {}, &testConversions());
    const std::string removedText = joined(wordsOf(removed));

    expectOnlySpacesAdded(file.name + ", original to added", original, addedText,
                          adding.wordsRewritten());
    expectOnlySpacesAdded(file.name + ", removed to added", removedText, addedText,
                          removing.wordsRewritten());
    expectOnlySpacesAdded(file.name + ", removed to original", removedText, original,
                          removing.wordsRewritten() - adding.wordsRewritten());
    // The manifest counts every ". " before a non-space; the walk skips those
    // after a word starting with a capital and may count a ". " that ends a
    // paragraph. Only a loose bound, to catch a walk that finds far too many.
    if (file.dotOneSpace >= 0) {
        EXPECT_LE(adding.wordsRewritten(), looseBound(file.dotOneSpace))
            << file.name << ": far more places found than the manifest's " << file.dotOneSpace;
    }
    if (file.dotTwoSpaces >= 0) {
        EXPECT_LE(removing.wordsRewritten() - adding.wordsRewritten(),
                  looseBound(file.dotTwoSpaces))
            << file.name << ": far more \".  \" removed than the manifest's " << file.dotTwoSpaces;
    }
}

// A batch's next mark reopens the file its last mark saved, and the engine
// reuses the document it still holds; the results must be those of reading
// the file afresh, and a file rewritten by someone else is read afresh.
TEST_P(CorpusSpacing, ReopeningWhatWasJustSavedGivesWhatReadingItAfreshGives) {
    const CorpusFile& file = GetParam();
    TempDir folder;
    using Word1::Mode;
    const std::pair<const char*, Mode> marks[] = {
        {".", Mode::Add}, {".", Mode::Remove}, {"?", Mode::Add}};
    // Each mark in an engine of its own, as the batch runs them.
    auto markOf = [](word::BatchDocument* batch, const std::string& input,
                     const std::string& output, const char* mark, Mode mode) {
        auto app = word::Application::Create(&testConversions());
        word::Document document = app.Documents().Open(input, {}, batch);
        word::WordCollection words = document.Words();
        int changed = 0;
        for (int32_t i = 2, count = words.Count(); i <= count; ++i)
            changed += Word1::ChangeSpacing(words, i, mark, mode);
        document.SaveAs(output);
        app.Quit();
        return changed;
    };
    auto chain = [&](const std::string& prefix, bool reuse) {
        std::vector<std::pair<std::string, int>> steps;
        word::BatchDocument batch(file.path());
        std::string input = file.path();
        for (const auto& [mark, mode] : marks) {
            std::string output = folder.file(prefix + std::to_string(steps.size()) + ".docx");
            steps.emplace_back(output, markOf(reuse ? &batch : nullptr, input, output, mark, mode));
            batch.saved(output);
            input = output;
        }
        return steps;
    };
    const auto reused = chain("reused-", true);
    const auto afresh = chain("afresh-", false);
    ASSERT_EQ(reused.size(), afresh.size()) << file.name;
    if (reused.empty())
        return;
    for (size_t k = 0; k < reused.size(); ++k) {
        EXPECT_EQ(reused[k].second, afresh[k].second) << file.name << ", mark " << k;
        EXPECT_TRUE(readFile(reused[k].first) == readFile(afresh[k].first))
            << file.name << ", mark " << k << ": the saved bytes differ";
    }

    const std::string added = folder.file("added.docx");
    word::BatchDocument batch(file.path());
    const int adding = markOf(&batch, file.path(), added, ".", Word1::Mode::Add);
    copyFile(file.path(), added);
    EXPECT_EQ(markOf(&batch, added, folder.file("again.docx"), ".", Word1::Mode::Add), adding)
        << file.name << ": a file rewritten after the save was not read afresh";
}

// Full stops followed by two spaces or more, by kind of story, nonzero only.
using StoryCounts = std::map<std::string, int>;

StoryCounts named(const std::map<word::StoryKind, int>& counts) {
    StoryCounts result;
    for (const auto& [kind, count] : counts)
        if (count)
            result[word::storyKindName(kind)] = count;
    return result;
}

// Every story walked: each kind of story holds the places its parts' own text
// shows, and takes one space for two where a word is a full stop and spaces,
// in the part it came from; the main story reads as when it is walked alone.
TEST_P(CorpusSpacing, EveryStoryHoldsThePlacesItsPartsShow) {
    const CorpusFile& file = GetParam();
    TempDir folder;
    word::EditOptions every;
    every.allStories = true;
    std::map<word::StoryKind, int> found, changed;
    auto app = Application::Create(&testConversions());
    Document document = app.Documents().Open(file.path(), every);
    word::StoryCollection stories = document.Stories();
    for (int32_t i = 1; i <= stories.Count(); ++i) {
        word::WordCollection words = stories(i).Words();
        std::vector<std::string> texts;
        for (int32_t k = 1; k <= words.Count(); ++k)
            texts.push_back(words(k).Text());
        found[stories(i).Kind()] += doubleSpacesIn(joined(texts));
        if (i == 1) {
            EXPECT_EQ(texts, wordsOf(file.path()))
                << file.name << ": the main story reads otherwise";
        }
        for (int32_t k = 1; k <= words.Count(); ++k) {
            const std::string& text = texts[static_cast<size_t>(k - 1)];
            if (text.starts_with(".  ")) {
                words(k).SetText(
                    ". " + text.substr(std::min(text.find_first_not_of(' ', 1), text.size())));
                ++changed[stories(i).Kind()];
            }
        }
    }
    document.SaveAs(folder.file(file.name));
    app.Quit();
    EXPECT_EQ(named(found), named(doubleSpacesByKind(file.path()))) << file.name;
    // A full stop and a space before a wide space are two words the change
    // leaves alone; every other place is gone from its own part.
    for (auto& [kind, count] : found)
        count -= changed[kind];
    EXPECT_EQ(named(doubleSpacesByKind(folder.file(file.name))), named(found)) << file.name;
}

// Saved as revisions, both passes read (their changes accepted) as the plain
// passes do, with as many places.
TEST_P(CorpusSpacing, TrackedPassesReadAsThePlainPasses) {
    const CorpusFile& file = GetParam();
    TempDir folder;
    const word::EditOptions tracked{false, word::Revisor{"Ann", "2026-12-08T09:30:00Z"}};
    for (Word1::Mode mode : {Word1::Mode::Add, Word1::Mode::Remove}) {
        const std::string plain = folder.file("plain.docx"), revised = folder.file("revised.docx");
        const DocumentOutcome plainPass =
            tools::runBatchOn(file.path(), plain, ".", mode, {}, &testConversions());
        if (skippedAsProtected(plainPass, plain))
            return;
        EXPECT_EQ(tools::runBatchOn(file.path(), revised, ".", mode, tracked, &testConversions())
                      .wordsRewritten(),
                  plainPass.wordsRewritten())
            << file.name << ", mode " << static_cast<int>(mode);
        EXPECT_EQ(joined(wordsOf(revised)), joined(wordsOf(plain)))
            << file.name << ", mode " << static_cast<int>(mode);
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusSpacing, ::testing::ValuesIn(corpusFilesThatOpen()),
                         [](const auto& test) { return testNameOf(test.param.name); });

} // namespace
} // namespace pellucor::test
