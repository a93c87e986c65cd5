#pragma once

#include "base/Prompts.h"

#include <exception>
#include <string>
#include <utility>
#include <vector>

namespace pellucor {

// Where the error report box tells the user to send a screenshot.
inline constexpr const char* kSupportAddress = "support@pellucor.app";

// Project labels of the error locations.
inline constexpr const char* kProgramLabel = "Kintara2021/08/31";
inline constexpr const char* kFolderWalkLabel = "Brisolm2021/08/31";

// The error report box's text: the description, where it happened and the
// line of the failing statement, and whom to tell.
std::string errorReportText(const std::string& description, const std::string& location, int line);

// The description of any error a statement may raise.
std::string describe(const std::exception& error);

// Its number: the engine's own, 7 for memory running out, 0 for errors that
// carry none.
int errorNumberOf(const std::exception& error);

// A statement of a routine: the line number its error report box shows, and
// what it does, as the routine's outcome names it.
struct TrapStep {
    int line = 0;
    const char* name = "";
};

// An error a trap caught, with the statement that raised it.
struct TrappedError {
    int line = 0;
    int number = 0;
    std::string description;
    const char* step = "";
};

// The trap of a handler or routine: each statement runs through it with its
// line number; when one fails, the error report box is shown and the routine
// goes on with its next statement.
class ErrorTrap {
public:
    ErrorTrap(platform::Prompts& prompts, std::string module, std::string procedure,
              std::string label = kProgramLabel);

    // Runs one statement; true when it completed without an error.
    template <typename Statement> bool operator()(const TrapStep& step, Statement&& statement) {
        try {
            statement();
            return true;
        } catch (const std::exception& error) {
            report(step, error);
            return false;
        }
    }
    template <typename Statement> bool operator()(int line, Statement&& statement) {
        return (*this)(TrapStep{line, ""}, std::forward<Statement>(statement));
    }

    const std::string& location() const { return m_location; }
    // Every error caught so far, in order.
    const std::vector<TrappedError>& trapped() const { return m_trapped; }

private:
    void report(const TrapStep& step, const std::exception& error);

    platform::Prompts& m_prompts;
    std::string m_location;
    std::vector<TrappedError> m_trapped;
};

// Runs a statement with every error ignored, as routines that look things up
// quietly do; true when it completed.
template <typename Statement> bool ignoringErrors(Statement&& statement) {
    try {
        statement();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace pellucor
