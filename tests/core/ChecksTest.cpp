// The instance checks at start and before a run, and the error report box
// every trapped routine shows.

#include "CoreTest.h"
#include "Word1.h"

#include <new>

namespace pellucor::test {
namespace {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

const std::string kStartMessage =
    "Error 842001. A normal instance of Word could not be created.\r\n\r\n"
    "1. Please make sure Word is installed on this computer.\r\n\r\n"
    "2. Please open Word normally and make sure a blank document opens immediately without any "
    "interrupting window (such as an Word file recovery window).\r\n\r\n"
    "3. Please make sure that when you double-click on a DOC or DOCX file that Word opens "
    "normally without any interrupting messages.\r\n\r\n"
    "4. All versions of Word are supported by this software except for the rare Word Starter "
    "and Student editions.";

const std::string kQuestion =
    "Word may be open. It is recommended that you close Word first. Use Ctrl+Alt+Del > Task "
    "Manager > WINWORD.EXE if necessary.\r\n\r\nWould you like to proceed anyway?";

TEST_F(CoreTest, EngineThatCannotStartExplainsAndEndsTheProgram) {
    automation.failCreation();

    EXPECT_THROW(IsInstalled::CheckWordCanStart(services), platform::ProgramEnded);

    EXPECT_TRUE(program.ended);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text, kStartMessage);
    EXPECT_EQ(prompts.boxes[0].buttons, Buttons::OK);
    EXPECT_EQ(prompts.boxes[0].icon, Icon::None);
    EXPECT_EQ(prompts.boxes[0].title, "") << "the box must show the application title";
}

TEST_F(CoreTest, EngineThatStartsIsQuitAndNothingShown) {
    EXPECT_NO_THROW(IsInstalled::CheckWordCanStart(services));

    EXPECT_FALSE(program.ended);
    EXPECT_EQ(prompts.texts(), std::vector<std::string>{});
    EXPECT_EQ(automation.creationAttempts(), 1);
    EXPECT_EQ(automation.instancesLeftRunning(), 0) << "the test instance must be quit";
}

struct RunningCase {
    std::string name;
    std::optional<std::string> running; // none: nothing runs
    bool counts;
};

std::ostream& operator<<(std::ostream& out, const RunningCase& c) {
    return out << c.name;
}

class RunningInstance : public CoreTest, public ::testing::WithParamInterface<RunningCase> {
protected:
    void SetUp() override {
        if (GetParam().running)
            automation.setRunning(*GetParam().running);
    }
};

TEST_P(RunningInstance, CountsOnlyForTheExactName) {
    EXPECT_EQ(Word1::IsWordRunning(automation), GetParam().counts);
    EXPECT_EQ(prompts.boxes.size(), 0u);
}

TEST_P(RunningInstance, IsAskedAboutOnlyWhenItCounts) {
    if (GetParam().counts)
        prompts.queue(Answer::Yes);
    EXPECT_FALSE(Word1::WarnIfWordOpen(automation, prompts)) << "Yes or nothing asked goes on";
    EXPECT_EQ(prompts.boxes.size(), GetParam().counts ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Word1, RunningInstance,
                         ::testing::Values(RunningCase{"MicrosoftWord", "Microsoft Word", true},
                                           RunningCase{"NoneRunning", std::nullopt, false},
                                           RunningCase{"LowerCase", "microsoft word", false},
                                           RunningCase{"TrailingBlank", "Microsoft Word ", false},
                                           RunningCase{"OtherSuite", "LibreOffice", false},
                                           RunningCase{"EmptyName", "", false}),
                         [](const auto& test) { return test.param.name; });

TEST_F(CoreTest, AnswerNoToTheQuestionCancels) {
    automation.setRunning("Microsoft Word");
    prompts.queue(Answer::No);

    EXPECT_TRUE(Word1::WarnIfWordOpen(automation, prompts));

    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text, kQuestion);
    EXPECT_EQ(prompts.boxes[0].buttons, Buttons::YesNo);
    EXPECT_EQ(prompts.boxes[0].icon, Icon::None);
    EXPECT_EQ(prompts.boxes[0].title, "");
}

TEST_F(CoreTest, TrapReportsTheFailingStatementAndTheNextOneRuns) {
    ErrorTrap trap(prompts, "Form1", "PushButton5_Click");
    bool nextRan = false;

    EXPECT_FALSE(
        trap(4, [] { throw Error(ErrorNumber::PathNotFound, "Path not found: \"/x/a.docx\""); }));
    EXPECT_TRUE(trap(5, [&] { nextRan = true; }));

    EXPECT_TRUE(nextRan);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text, "Path not found: \"/x/a.docx\"\r\nin "
                                     "Kintara2021/08/31.Form1.PushButton5_Click at line 4\r\r"
                                     "Please email screenshot of this message to " +
                                         std::string(kSupportAddress));
    EXPECT_EQ(prompts.boxes[0].title, "Application Error");
    EXPECT_EQ(prompts.boxes[0].icon, Icon::Warning);
    EXPECT_EQ(prompts.boxes[0].buttons, Buttons::OK);
}

TEST_F(CoreTest, TrapDescribesEveryKindOfError) {
    ErrorTrap trap(prompts, "AddFolder", "GetSubDirectories2016", kFolderWalkLabel);
    trap(1, [] { throw std::runtime_error("Disk full"); });
    trap(2, [] { throw std::bad_alloc(); });

    const std::string location = "Brisolm2021/08/31.AddFolder.GetSubDirectories2016";
    EXPECT_EQ(prompts.texts(),
              (std::vector<std::string>{reportText("Disk full", location, 1),
                                        reportText("Out of memory", location, 2)}));
}

TEST_F(CoreTest, TrapLetsTheProgramsEndThrough) {
    ErrorTrap trap(prompts, "Form1", "Form_Load");
    EXPECT_THROW(trap(1, [] { throw platform::ProgramEnded{}; }), platform::ProgramEnded);
    EXPECT_EQ(prompts.boxes.size(), 0u);
}

} // namespace
} // namespace pellucor::test
