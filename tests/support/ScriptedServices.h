#pragma once

// Stand-ins for what a test cannot have for real: a window without a screen,
// a user answering boxes, and the program's end. The engine stays real.

#include "base/Error.h"
#include "base/Prompts.h"
#include "BatchWindow.h"
#include "Services.h"
#include "services/Program.h"
#include "services/WordAutomation.h"
#include "WindowBatch.h"
#include "word/Application.h"
#include "word/RunningInstance.h"
#include "Word1.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace pellucor::test {

// The main window's lists, options and progress display as plain fields.
// Everything the program writes is recorded in order.
class ScriptedWindow : public ui::BatchWindow {
public:
    struct MarkRow {
        std::string text;
        bool ticked = true;
    };

    std::vector<std::string> files; // ListView1, row 1 first
    std::vector<MarkRow> marks;     // ListView2
    bool option1 = false;
    bool option2 = false;
    bool option3 = false;
    bool option4 = false;
    std::string text2;
    bool batchRunning = false;
    int pointer = platform::PointerDefault;
    double progressValue = 0;
    std::string progressText = "Progress Bar";

    std::vector<double> progressValues;
    std::vector<std::string> progressTexts;
    std::vector<double> valueWhenTextSet; // the bar's value as each text was set
    std::vector<int> pointerChanges;
    int doEventsCalls = 0;
    int text2Reads = 0;
    // Runs inside DoEvents, as a click or a typed change between words would.
    std::function<void()> onDoEvents;

    int FileCount() override { return static_cast<int>(files.size()); }
    std::string FileAt(int row) override { return files.at(row - 1); }
    int MarkCount() override { return static_cast<int>(marks.size()); }
    std::string MarkAt(int row) override { return marks.at(row - 1).text; }
    bool MarkTicked(int row) override { return marks.at(row - 1).ticked; }
    bool Option1() override { return option1; }
    bool Option2() override { return option2; }
    bool Option3() override { return option3; }
    bool Option4() override { return option4; }
    std::string Text2() override {
        ++text2Reads;
        return text2;
    }
    bool BatchRunning() override { return batchRunning; }
    void SetBatchRunning(bool running) override { batchRunning = running; }
    int MousePointer() override { return pointer; }
    void SetMousePointer(int value) override;
    void SetProgressValue(double percent) override;
    void SetProgressText(const std::string& text) override;
    void DoEvents() override;
};

struct ShownBox {
    std::string text;
    platform::Buttons buttons;
    platform::Icon icon;
    std::string title;
};

struct FolderRequest {
    std::string prompt;
    std::string initialFolder;
};

struct InputRequest {
    std::string prompt;
    std::string defaultText;
};

struct OpenRequest {
    std::string title;
    std::string filter;
};

// Answers Yes/No boxes from a queue and records every box. A Yes/No box with
// no answer left fails the test; OK boxes need no answer. The folder picker
// answers from its own queue and is cancelled ("") when that is empty. The
// text-entry box and the file-open dialog answer from queues of their own and
// fail the test when opened with nothing queued.
class ScriptedPrompts : public platform::Prompts {
public:
    explicit ScriptedPrompts(std::vector<platform::Answer> answers = {});
    void queue(platform::Answer answer) { m_answers.push_back(answer); }
    size_t answersLeft() const { return m_answers.size(); }
    void queueFolder(std::string folder) { m_folders.push_back(std::move(folder)); }
    size_t foldersLeft() const { return m_folders.size(); }
    // The entered text; "" stands for cancel.
    void queueInput(std::string text) { m_inputs.push_back(std::move(text)); }
    size_t inputsLeft() const { return m_inputs.size(); }
    // The dialog's buffer (see Prompts::ShowOpen); "" stands for cancel.
    void queueOpenFiles(std::string buffer) { m_openAnswers.emplace_back(std::move(buffer)); }
    // The dialog fails with this error instead of answering.
    void queueOpenFailure(Error error) { m_openAnswers.emplace_back(std::move(error)); }
    size_t openAnswersLeft() const { return m_openAnswers.size(); }

    platform::Answer MsgBox(const std::string& text, platform::Buttons buttons, platform::Icon icon,
                            const std::string& title) override;
    std::string BrowseForFolder(const std::string& prompt,
                                const std::string& initialFolder) override;
    std::string InputBox(const std::string& prompt, const std::string& defaultText) override;
    std::string ShowOpen(const std::string& title, const std::string& filter) override;

    std::vector<std::string> texts() const;
    // The error report boxes, in order.
    std::vector<ShownBox> errorReports() const;

    std::vector<ShownBox> boxes;
    // Runs while a box is up, to look at the window at that moment.
    std::function<void(const ShownBox&)> onBox;
    // Every opening of the folder picker, in order.
    std::vector<FolderRequest> folderRequests;
    std::vector<InputRequest> inputRequests;
    std::vector<OpenRequest> openRequests;

private:
    std::deque<platform::Answer> m_answers;
    std::deque<std::string> m_folders;
    std::deque<std::string> m_inputs;
    std::deque<std::variant<std::string, Error>> m_openAnswers;
};

class ScriptedProgram : public platform::Program {
public:
    [[noreturn]] void End() override;
    bool ended = false;
};

// Real engine instances, unless told to fail; a scripted running word
// processor (none by default, whatever this machine runs).
class ScriptedAutomation : public platform::WordAutomation {
public:
    void failCreation(std::string description = "The document engine could not be started.");
    void setRunning(std::string name) { m_running = std::move(name); }
    void setNoneRunning() { m_running.reset(); }

    word::Application CreateObject() override;
    word::RunningInstance GetObject() override;

    int creationAttempts() const { return m_attempts; }
    const std::vector<word::Application>& created() const { return m_created; }
    // How many created instances were not quit: a quit one raises on use.
    int instancesLeftRunning() const;

private:
    std::optional<std::string> m_failure;
    std::optional<std::string> m_running;
    int m_attempts = 0;
    std::vector<word::Application> m_created;
};

// The four doubles and the bundle the code under test takes.
struct ScriptedServices {
    ScriptedWindow window;
    ScriptedPrompts prompts;
    ScriptedAutomation automation;
    ScriptedProgram program;
    ui::WindowServices services{{prompts, automation, program}, window};
};

} // namespace pellucor::test

namespace pellucor::Word1 {

// One pass as the main window would make it: its progress bar and events,
// its output choice read at the open and at the save.
inline MarkOutcome DoIt(std::string& path, std::string mark, Mode mode,
                        ui::WindowServices& services) {
    ui::BatchWindow& window = services.window;
    ui::WindowObserver observer(window, services.prompts);
    PassContext context{services.prompts,
                        services.automation,
                        observer,
                        [&window] { return !window.Option3(); },
                        [&window] { return window.Text2(); },
                        {}};
    return DoIt(path, std::move(mark), mode, context);
}

} // namespace pellucor::Word1
