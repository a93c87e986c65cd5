#pragma once

#include "CliWindow.h"
#include "Console.h"
#include "RunReport.h"
#include "services/Program.h"
#include "services/Prompts.h"

namespace pellucor::cli {

// The message boxes of one job as lines on standard error. An error report
// or a protection message counts against the document being processed. The
// question whether to proceed with a word processor running is answered from
// the command line.
class CliPrompts : public platform::Prompts {
public:
    CliPrompts(CliWindow& window, RunReport& report, Console& console, bool proceedIfWordOpen)
        : m_window(window), m_report(report), m_console(console),
          m_proceedIfWordOpen(proceedIfWordOpen) {}

    platform::Answer MsgBox(const std::string& text, platform::Buttons buttons, platform::Icon icon,
                            const std::string& title) override;

private:
    platform::Answer answerWordOpen(const std::string& text);
    void chargeFailure();

    CliWindow& m_window;
    RunReport& m_report;
    Console& m_console;
    bool m_proceedIfWordOpen;
};

// The command line cannot end a thread's caller at once: ending unwinds.
class CliProgram : public platform::Program {
public:
    [[noreturn]] void End() override { throw platform::ProgramEnded{}; }
};

} // namespace pellucor::cli
