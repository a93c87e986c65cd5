#include "CliPrompts.h"

#include "Messages.h"

namespace pellucor::cli {
namespace {

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

constexpr const char* kErrorReportTitle = "Application Error";

} // namespace

platform::Answer CliPrompts::MsgBox(const std::string& text, platform::Buttons buttons,
                                    platform::Icon, const std::string& title) {
    if (buttons == platform::Buttons::YesNo)
        return answerWordOpen(text);
    if (text == messages::kDone)
        return platform::Answer::OK; // the summary line takes its place
    if (title == kErrorReportTitle || endsWith(text, messages::kRemoveProtection))
        chargeFailure();
    else if (text == messages::kNoFilesAdded)
        m_report.stopped(Stop::NothingToDo);
    else if (text == messages::kFolderDoesNotExist)
        m_report.stopped(Stop::NoOutputFolder);
    m_console.error(oneLine(text));
    return platform::Answer::OK;
}

// The batch run asks only one question: whether to go on although a word
// processor, which may hold the documents open, is running.
platform::Answer CliPrompts::answerWordOpen(const std::string& text) {
    if (m_proceedIfWordOpen)
        return platform::Answer::Yes;
    m_report.stopped(Stop::WordProcessorOpen);
    m_console.error(oneLine(text));
    m_console.error("pellucor-cli: stopped; --yes proceeds anyway");
    return platform::Answer::No;
}

void CliPrompts::chargeFailure() {
    if (auto document = m_window.currentDocument())
        m_report.failed(*document);
    else
        m_report.failedOutside();
}

} // namespace pellucor::cli
