#pragma once

#include <stdexcept>
#include <string>

namespace pellucor {

// Error numbers raised by the document engine. They follow the numbers the
// word processor's automation interface uses for the same situations, so that
// the error report box reads the same whichever engine raised the error.
enum class ErrorNumber : int {
    CommandFailed = 4198,
    NotAvailable = 4605,
    FileNotFound = 5174,
    PasswordIncorrect = 5485,
    CannotSave = 5096,
    FileCorrupted = 5792,
    UnsupportedFormat = 5121,
    MemberMissing = 5941,
    ObjectReleased = 462,
    NoRunningInstance = 429,
    PermissionDenied = 70,
    PathNotFound = 76,
    BasicFileNotFound = 53,
    InvalidProcedureCall = 5,
    OutOfMemory = 7,
    ObjectNotSet = 91,
    DivisionByZero = 11,
    TypeMismatch = 13,
    SubscriptOutOfRange = 9,
};

// An error of the engine: a number and a description in plain words that names
// the file and says what went wrong.
class Error : public std::runtime_error {
public:
    Error(ErrorNumber number, const std::string& description)
        : std::runtime_error(description), m_number(number) {}

    int number() const { return static_cast<int>(m_number); }
    ErrorNumber code() const { return m_number; }
    std::string description() const { return what(); }

private:
    ErrorNumber m_number;
};

// The text of errno for messages ("No such file or directory").
std::string systemText(int errnoValue);

// Quotes a path for use inside a description, shown as shownName shows it:
// "report.docx", "new\nline.docx".
std::string inQuotes(const std::string& path);

} // namespace pellucor
