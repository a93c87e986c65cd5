#pragma once

#include <string>

namespace pellucor::word {

// A word processor already running for this user, which may hold documents
// open: its name is the object model's default property.
struct RunningInstance {
    std::string Name() const { return name; }
    std::string name;
    int processId = 0;
};

// Looks through this user's processes for a word processor: WINWORD.EXE run
// through a Windows compatibility layer ("Microsoft Word") or the office
// suite's soffice.bin ("LibreOffice"). Raises Error when none runs.
// procRoot is the process table's folder; tests point it elsewhere.
RunningInstance GetRunningInstance(const std::string& procRoot = "/proc");

} // namespace pellucor::word
