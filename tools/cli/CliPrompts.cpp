#include "CliPrompts.h"

namespace pellucor::cli {

platform::Answer CliPrompts::MsgBox(const std::string&, platform::Buttons buttons, platform::Icon,
                                    const std::string&) {
    if (buttons == platform::Buttons::YesNo)
        return m_proceedIfWordOpen ? platform::Answer::Yes : platform::Answer::No;
    return platform::Answer::OK;
}

} // namespace pellucor::cli
