// What the frame loop and the word step do when the document misbehaves in
// ways the real engine does not: small scripted collections stand in for it.

#include "base/Error.h"
#include "Word1.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace pellucor::test {
namespace {

using Word1::Mode;

// Frames as a list; each knows how it reacts to the removal step.
struct ScriptedFrame {
    bool inTable = false;
    bool goesWhenUnwrapped = true; // a floating table that stops floating
    int deletesNeeded = 1;         // 0: never goes
};

struct FrameScript {
    std::vector<ScriptedFrame> frames;
    std::vector<std::string> calls;
    int countReads = 0;

    ScriptedFrame& first() { return frames.at(0); }
    void removeFirst() { frames.erase(frames.begin()); }
};

struct ScriptedRows {
    FrameScript* script;
    void SetWrapAroundText(bool wrap) {
        script->calls.push_back(wrap ? "wrap" : "unwrap");
        if (!wrap && script->first().goesWhenUnwrapped)
            script->removeFirst();
    }
};
struct ScriptedTable {
    FrameScript* script;
    ScriptedRows Rows() const { return {script}; }
};
struct ScriptedRange {
    FrameScript* script;
    bool Information(int type) const { return type == 12 && script->first().inTable; }
    ScriptedTable Tables(int32_t index) const {
        EXPECT_EQ(index, 1);
        return {script};
    }
};
struct ScriptedFrameItem {
    FrameScript* script;
    ScriptedRange Range() const { return {script}; }
    void Delete() {
        script->calls.push_back("delete");
        ScriptedFrame& frame = script->first();
        if (frame.deletesNeeded > 0 && --frame.deletesNeeded == 0)
            script->removeFirst();
    }
};
struct ScriptedFrames {
    FrameScript* script;
    int32_t Count() const {
        if (++script->countReads > 100)
            throw std::logic_error("the frame loop does not end");
        return static_cast<int32_t>(script->frames.size());
    }
    ScriptedFrameItem operator()(int32_t index) const {
        EXPECT_EQ(index, 1) << "the loop always takes the first frame";
        return {script};
    }
};
struct ScriptedFrameDocument {
    FrameScript script;
    ScriptedFrames Frames() { return {&script}; }
};

struct FrameLoopCase {
    std::string name;
    std::vector<ScriptedFrame> frames;
    std::vector<std::string> calls;
    size_t framesLeft;
    bool raises;
};

std::ostream& operator<<(std::ostream& out, const FrameLoopCase& c) {
    return out << c.name;
}

std::vector<FrameLoopCase> frameLoopCases() {
    const ScriptedFrame plain;
    const ScriptedFrame table{true, true, 1};
    const ScriptedFrame stubbornTable{true, false, 1};
    const ScriptedFrame twiceDeleted{false, true, 2};
    const ScriptedFrame immovable{false, true, 0};
    return {
        {"NoFrames", {}, {}, 0, false},
        {"PlainFramesAreDeleted", {plain, plain}, {"delete", "delete"}, 0, false},
        {"FloatingTableStopsWrapping", {table, plain}, {"unwrap", "delete"}, 0, false},
        {"FrameSurvivingDeleteIsDeletedOutright", {twiceDeleted}, {"delete", "delete"}, 0, false},
        {"TableSurvivingUnwrapIsDeletedOutright", {stubbornTable}, {"unwrap", "delete"}, 0, false},
        {"FrameThatNeverGoesEndsTheLoop",
         {plain, immovable, plain},
         {"delete", "delete", "delete"},
         2,
         true},
    };
}

class FrameLoop : public ::testing::TestWithParam<FrameLoopCase> {};

TEST_P(FrameLoop, RemovesEveryFrameOrStopsWithOneError) {
    ScriptedFrameDocument document{{GetParam().frames, {}, 0}};
    bool raised = false;
    try {
        Word1::RemoveFrames(document);
    } catch (const Error&) {
        raised = true;
    }
    EXPECT_EQ(raised, GetParam().raises);
    EXPECT_EQ(document.script.calls, GetParam().calls);
    EXPECT_EQ(document.script.frames.size(), GetParam().framesLeft);
}

INSTANTIATE_TEST_SUITE_P(RemoveFrames, FrameLoop, ::testing::ValuesIn(frameLoopCases()),
                         [](const auto& test) { return test.param.name; });

// Words as texts; a missing text cannot be read.
struct WordScript {
    std::vector<std::optional<std::string>> texts;
    std::vector<std::string> writes;
};

struct ScriptedWord {
    WordScript* script;
    int32_t index;
    std::string Text() const {
        const auto& text = script->texts.at(index - 1);
        if (!text)
            throw Error(ErrorNumber::NotAvailable,
                        "Word " + std::to_string(index) + " cannot be read.");
        return *text;
    }
    void SetText(const std::string& text) {
        script->writes.push_back(std::to_string(index) + "=" + text);
        script->texts.at(index - 1) = text;
    }
};

struct ScriptedWords {
    WordScript* script;
    ScriptedWord operator()(int32_t index) { return {script, index}; }
};

struct WordStepCase {
    std::string name;
    std::vector<std::optional<std::string>> texts; // the step looks at the last one
    std::string mark;
    Word1::Mode mode;
    std::vector<std::string> writes;
    bool raises = false;
};

std::ostream& operator<<(std::ostream& out, const WordStepCase& c) {
    return out << c.name;
}

std::vector<WordStepCase> wordStepCases() {
    const std::nullopt_t unreadable = std::nullopt;
    return {
        {"AddAfterLowerCase", {"ends", ". "}, ".", Mode::Add, {"2=.  "}},
        {"AddAfterCapital", {"Mr", ". "}, ".", Mode::Add, {}},
        {"AddAfterAccentedCapital", {"Émile", ". "}, ".", Mode::Add, {"2=.  "}},
        {"AddAfterNonLatinLetter", {"Ωmega", ". "}, ".", Mode::Add, {"2=.  "}},
        {"AddNeedsExactlyOneSpace", {"ends", ".  "}, ".", Mode::Add, {}},
        {"AddIsCaseSensitive", {"the", "A "}, "a", Mode::Add, {}},
        {"RemoveAfterLowerCase", {"ends", ".  "}, ".", Mode::Remove, {"2=. "}},
        {"RemoveNeedsExactlyTwoSpaces", {"ends", ".   "}, ".", Mode::Remove, {}},
        {"OtherModeDoesNothing", {"ends", ". "}, ".", Mode::None, {}},
        {"TrimmingTakesSpacesOnly", {"x", "\t "}, "\t", Mode::Add, {"2=\t  "}},
        {"MarkWithLeadingSpaceIsTrimmed", {"x", " . "}, " .", Mode::Add, {"2=.  "}},
        {"UnreadableWordIsNotChanged", {"ends", unreadable}, ".", Mode::Add, {}, true},
        {"UnreadablePredecessorLeavesWord", {unreadable, ". "}, ".", Mode::Add, {}, true},
        {"EmptyPredecessorLeavesWord", {"", ".  "}, ".", Mode::Remove, {}, true},
    };
}

class WordStep : public ::testing::TestWithParam<WordStepCase> {};

TEST_P(WordStep, ChangesOnlyWhatWasReadAndMatched) {
    const WordStepCase& c = GetParam();
    WordScript script{c.texts, {}};
    ScriptedWords words{&script};
    const auto last = static_cast<int32_t>(c.texts.size());
    bool raised = false;
    try {
        Word1::ChangeSpacing(words, last, c.mark, c.mode);
    } catch (const std::exception&) {
        raised = true;
    }
    EXPECT_EQ(raised, c.raises);
    EXPECT_EQ(script.writes, c.writes);
}

INSTANTIATE_TEST_SUITE_P(ChangeSpacing, WordStep, ::testing::ValuesIn(wordStepCases()),
                         [](const auto& test) { return test.param.name; });

TEST(IsCapitalLetter, OnlyAToZCount) {
    for (std::string text : {"A", "Z", "Mr"})
        EXPECT_TRUE(Word1::IsCapitalLetter(text)) << text;
    for (std::string text : {"a", "@", "[", "É", "Ω", "1", " A"})
        EXPECT_FALSE(Word1::IsCapitalLetter(text)) << text;
    EXPECT_THROW(Word1::IsCapitalLetter(""), Error);
}

} // namespace
} // namespace pellucor::test
