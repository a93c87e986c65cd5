// The spacing engine's walk over real documents: which marks change, the
// progress it shows, and passes that build on each other.

#include "CoreTest.h"
#include "Word1.h"

namespace pellucor::test {
namespace {

using Word1::Mode;

struct SpacingCase {
    std::string name;
    std::string text;
    std::string mark;
    Word1::Mode mode;
    std::string expected; // the saved words joined, paragraph mark included
};

std::ostream& operator<<(std::ostream& out, const SpacingCase& c) {
    return out << c.name;
}

std::vector<SpacingCase> spacingCases() {
    return {
        {"AddAfterLowerCaseWord", "It ends. Next", ".", Mode::Add, "It ends.  Next\r"},
        {"AddKeepsAbbreviationAfterCapital", "Ask Mr. Smith now", ".", Mode::Add,
         "Ask Mr. Smith now\r"},
        {"AddAfterAccentedCapital", "Ask Émile. Now", ".", Mode::Add, "Ask Émile.  Now\r"},
        {"AddAfterDigit", "Page 3. Next", ".", Mode::Add, "Page 3.  Next\r"},
        {"AddLeavesTwoSpaces", "It ends.  Next", ".", Mode::Add, "It ends.  Next\r"},
        {"AddLeavesThreeSpaces", "It ends.   Next", ".", Mode::Add, "It ends.   Next\r"},
        {"AddLeavesMarkAtParagraphEnd", "It ends.", ".", Mode::Add, "It ends.\r"},
        {"AddEveryMatchButAfterCapitals", "one. two. Three. four", ".", Mode::Add,
         "one.  two.  Three. four\r"},
        {"AddOtherMark", "Is it? yes", "?", Mode::Add, "Is it?  yes\r"},
        {"AddLeavesOtherMarks", "Is it? yes. no", "?", Mode::Add, "Is it?  yes. no\r"},
        {"RemoveAfterLowerCaseWord", "It ends.  Next", ".", Mode::Remove, "It ends. Next\r"},
        {"RemoveKeepsAbbreviationAfterCapital", "Ask Mr.  Smith", ".", Mode::Remove,
         "Ask Mr.  Smith\r"},
        {"RemoveLeavesOneSpace", "It ends. Next", ".", Mode::Remove, "It ends. Next\r"},
        {"RemoveLeavesThreeSpaces", "It ends.   Next", ".", Mode::Remove, "It ends.   Next\r"},
        {"FirstWordIsNeverChanged", ". starts here", ".", Mode::Add, ". starts here\r"},
        {"LowerCaseMarkLeavesUpperCaseLetter", "the A grade", "a", Mode::Add, "the A grade\r"},
        {"UpperCaseMarkMatchesItsLetter", "the A grade", "A", Mode::Add, "the A  grade\r"},
        {"ModeZeroChangesNothing", "It ends. Next", ".", Mode::None, "It ends. Next\r"},
        {"OtherModeChangesNothing", "It ends.  Next", ".", static_cast<Mode>(3),
         "It ends.  Next\r"},
    };
}

class Spacing : public CoreTest, public ::testing::WithParamInterface<SpacingCase> {};

TEST_P(Spacing, SavedResultHasTheChange) {
    const SpacingCase& c = GetParam();
    std::string path = source("a.docx", c.text);
    const std::string original = readFile(path);
    saveToFolder(out());

    Word1::DoIt(path, c.mark, c.mode, services);

    EXPECT_EQ(prompts.texts(), std::vector<std::string>{}) << "no box is expected";
    EXPECT_TRUE(samePlace(path, out() + "/a.docx")) << "the path must name the result: " << path;
    EXPECT_EQ(textOf(out() + "/a.docx"), c.expected);
    EXPECT_EQ(readFile(in() + "/a.docx"), original) << "the source must stay untouched";
    EXPECT_EQ(automation.instancesLeftRunning(), 0);
}

INSTANTIATE_TEST_SUITE_P(DoIt, Spacing, ::testing::ValuesIn(spacingCases()),
                         [](const auto& test) { return test.param.name; });

TEST_F(CoreTest, OneWordDocumentSetsProgressOnceToHundredAndIsSaved) {
    std::string path = source("empty.docx", DocxBuilder("<w:p/>"));
    saveToFolder(out());

    Word1::DoIt(path, ".", Word1::Mode::Add, services);

    EXPECT_EQ(window.progressValues, std::vector<double>{100.0});
    EXPECT_EQ(window.doEventsCalls, 1);
    EXPECT_EQ(outEntries(), std::vector<std::string>{"empty.docx"});
    EXPECT_EQ(textOf(out() + "/empty.docx"), "\r");
}

TEST_F(CoreTest, ProgressRunsFromTwoHundredOverWordsPlusOneToHundred) {
    std::string path = source("a.docx", "One two. Three four. five six seven");
    const int32_t n = wordCountOf(path);
    saveToFolder(out());

    Word1::DoIt(path, ".", Word1::Mode::Add, services);

    ASSERT_EQ(window.progressValues.size(), static_cast<size_t>(n)) << "one value per word";
    EXPECT_DOUBLE_EQ(window.progressValues.front(), 200.0 / (n + 1));
    EXPECT_DOUBLE_EQ(window.progressValues.back(), 100.0);
    for (size_t i = 1; i < window.progressValues.size(); ++i)
        EXPECT_GT(window.progressValues[i], window.progressValues[i - 1]) << "value " << i;
    EXPECT_EQ(window.doEventsCalls, n) << "events run once per word";
}

TEST_F(CoreTest, WalkRunsInAnInstanceWithAlertsOff) {
    std::string path = source("a.docx", "It ends. Next");
    saveToFolder(out());
    std::vector<bool> alerts;
    window.onDoEvents = [&] { alerts.push_back(automation.created().back().DisplayAlerts()); };

    Word1::DoIt(path, ".", Word1::Mode::Add, services);

    EXPECT_EQ(alerts, std::vector<bool>(alerts.size(), false));
    EXPECT_FALSE(alerts.empty());
    EXPECT_EQ(automation.creationAttempts(), 1);
    EXPECT_EQ(automation.instancesLeftRunning(), 0) << "the instance must be quit";
}

TEST_F(CoreTest, ModeZeroSavesWithFramesRemovedAndSpacingKept) {
    std::string path = source("a.docx", DocxBuilder(framedP("It ends. Next") + textP("Tail")));
    saveToFolder(out());

    Word1::DoIt(path, ".", Word1::Mode::None, services);

    ASSERT_EQ(outEntries(), std::vector<std::string>{"a.docx"});
    EXPECT_EQ(textOf(path), "It ends. Next\rTail\r");
    word::Application app = word::Application::Create();
    EXPECT_EQ(app.Documents().Open(path).Frames().Count(), 0) << "frames of " << path;
    app.Quit();
}

TEST_F(CoreTest, MarksInARowWorkOnThePreviousPassResult) {
    std::string path = source("a.docx", "It ends. Is it? yes");
    const std::string original = readFile(path);
    saveToFolder(out());

    Word1::DoIt(path, ".", Word1::Mode::Add, services);
    Word1::DoIt(path, "?", Word1::Mode::Add, services);

    EXPECT_TRUE(samePlace(path, out() + "/a.docx")) << path;
    EXPECT_EQ(textOf(out() + "/a.docx"), "It ends.  Is it?  yes\r") << "both passes must show";
    EXPECT_EQ(readFile(in() + "/a.docx"), original) << "the source must stay untouched";
    EXPECT_EQ(automation.creationAttempts(), 2) << "one instance per pass";
    EXPECT_EQ(automation.instancesLeftRunning(), 0);
}

} // namespace
} // namespace pellucor::test
