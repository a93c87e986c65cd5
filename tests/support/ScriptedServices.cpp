#include "ScriptedServices.h"

#include "base/Error.h"
#include "TestConversions.h"

#include <gtest/gtest.h>

namespace pellucor::test {

using platform::Answer;
using platform::Buttons;

void ScriptedWindow::SetMousePointer(int value) {
    pointer = value;
    pointerChanges.push_back(value);
}

void ScriptedWindow::SetProgressValue(double percent) {
    progressValue = percent;
    progressValues.push_back(percent);
}

void ScriptedWindow::SetProgressText(const std::string& text) {
    progressText = text;
    progressTexts.push_back(text);
    valueWhenTextSet.push_back(progressValue);
}

void ScriptedWindow::DoEvents() {
    ++doEventsCalls;
    if (onDoEvents)
        onDoEvents();
}

ScriptedPrompts::ScriptedPrompts(std::vector<Answer> answers)
    : m_answers(answers.begin(), answers.end()) {}

Answer ScriptedPrompts::MsgBox(const std::string& text, Buttons buttons, platform::Icon icon,
                               const std::string& title) {
    boxes.push_back({text, buttons, icon, title});
    if (onBox)
        onBox(boxes.back());
    if (buttons == Buttons::OK)
        return Answer::OK;
    if (m_answers.empty()) {
        ADD_FAILURE() << "a Yes/No box was shown that the test has no answer for: \"" << text
                      << "\"";
        return Answer::No;
    }
    Answer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

std::string ScriptedPrompts::BrowseForFolder(const std::string& prompt,
                                             const std::string& initialFolder) {
    folderRequests.push_back({prompt, initialFolder});
    if (m_folders.empty())
        return {};
    std::string folder = m_folders.front();
    m_folders.pop_front();
    return folder;
}

std::string ScriptedPrompts::InputBox(const std::string& prompt, const std::string& defaultText) {
    inputRequests.push_back({prompt, defaultText});
    if (m_inputs.empty()) {
        ADD_FAILURE() << "a text-entry box was shown that the test has no answer for: \"" << prompt
                      << "\"";
        return {};
    }
    std::string text = m_inputs.front();
    m_inputs.pop_front();
    return text;
}

std::string ScriptedPrompts::ShowOpen(const std::string& title, const std::string& filter) {
    openRequests.push_back({title, filter});
    if (m_openAnswers.empty()) {
        ADD_FAILURE() << "a file-open dialog was shown that the test has no answer for: \"" << title
                      << "\"";
        return {};
    }
    auto answer = m_openAnswers.front();
    m_openAnswers.pop_front();
    if (auto* failure = std::get_if<Error>(&answer))
        throw *failure;
    return std::get<std::string>(answer);
}

std::vector<std::string> ScriptedPrompts::texts() const {
    std::vector<std::string> result;
    for (const auto& box : boxes)
        result.push_back(box.text);
    return result;
}

std::vector<ShownBox> ScriptedPrompts::errorReports() const {
    std::vector<ShownBox> result;
    for (const auto& box : boxes)
        if (box.title == "Application Error")
            result.push_back(box);
    return result;
}

void ScriptedProgram::End() {
    ended = true;
    throw platform::ProgramEnded{};
}

void ScriptedAutomation::failCreation(std::string description) {
    m_failure = std::move(description);
}

word::Application ScriptedAutomation::CreateObject() {
    ++m_attempts;
    if (m_failure)
        throw Error(ErrorNumber::NoRunningInstance, *m_failure);
    m_created.push_back(word::Application::Create(&testConversions()));
    return m_created.back();
}

word::RunningInstance ScriptedAutomation::GetObject() {
    if (!m_running)
        throw Error(ErrorNumber::NoRunningInstance, "No word processor is running for this user.");
    return word::RunningInstance{*m_running, 4242};
}

int ScriptedAutomation::instancesLeftRunning() const {
    int running = 0;
    for (const auto& app : m_created) {
        try {
            app.Name();
            ++running;
        } catch (const Error&) {
            // quit: its objects raise
        }
    }
    return running;
}

} // namespace pellucor::test
