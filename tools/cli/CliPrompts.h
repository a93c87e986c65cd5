#pragma once

#include "base/Prompts.h"
#include "services/Program.h"

namespace pellucor::cli {

// The message boxes of one job. Nothing is shown: what the run did is told
// from its outcome once it ends. The one question, whether to go on although a
// word processor that may hold the documents open is running, is answered from
// the command line.
class CliPrompts : public platform::Prompts {
public:
    explicit CliPrompts(bool proceedIfWordOpen) : m_proceedIfWordOpen(proceedIfWordOpen) {}

    platform::Answer MsgBox(const std::string& text, platform::Buttons buttons, platform::Icon icon,
                            const std::string& title) override;

private:
    bool m_proceedIfWordOpen;
};

// The command line cannot end a thread's caller at once: ending unwinds.
class CliProgram : public platform::Program {
public:
    [[noreturn]] void End() override { throw platform::ProgramEnded{}; }
};

} // namespace pellucor::cli
