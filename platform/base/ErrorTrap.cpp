#include "ErrorTrap.h"

#include "base/Error.h"

namespace pellucor {

std::string errorReportText(const std::string& description, const std::string& location, int line) {
    return description + "\r\n" + "in " + location + " " + "at line " + std::to_string(line) +
           "\r\r" + "Please email screenshot of this message to " + kSupportAddress;
}

std::string describe(const std::exception& error) {
    if (auto* engineError = dynamic_cast<const Error*>(&error))
        return engineError->description();
    if (dynamic_cast<const std::bad_alloc*>(&error))
        return "Out of memory";
    return error.what();
}

int errorNumberOf(const std::exception& error) {
    if (auto* engineError = dynamic_cast<const Error*>(&error))
        return engineError->number();
    if (dynamic_cast<const std::bad_alloc*>(&error))
        return 7;
    return 0;
}

ErrorTrap::ErrorTrap(platform::Prompts& prompts, std::string module, std::string procedure,
                     std::string label)
    : m_prompts(prompts), m_location(label + "." + module + "." + procedure) {}

void ErrorTrap::report(const TrapStep& step, const std::exception& error) {
    m_trapped.push_back({step.line, errorNumberOf(error), describe(error), step.name});
    m_prompts.MsgBox(errorReportText(describe(error), m_location, step.line), platform::Buttons::OK,
                     platform::Icon::Warning, "Application Error");
}

} // namespace pellucor
