#pragma once

#include "services/Program.h"
#include "SettingsStore.h"

namespace pellucor::ui {

// Ends the program at once: the settings are written to disk, then the
// process ends without running any further handler.
class QtProgram : public platform::Program {
public:
    explicit QtProgram(SettingsStore& settings) : m_settings(settings) {}
    [[noreturn]] void End() override;

private:
    SettingsStore& m_settings;
};

} // namespace pellucor::ui
