#pragma once

#include "converter/ConverterService.h"
#include "services/Program.h"
#include "SettingsStore.h"

namespace pellucor::ui {

// Ends the program at once: the settings are written to disk and the
// program's LibreOffices stopped, then the process ends without running any
// further handler.
class QtProgram : public platform::Program {
public:
    QtProgram(SettingsStore& settings, converter::ConverterService& conversions)
        : m_settings(settings), m_conversions(conversions) {}
    [[noreturn]] void End() override;

private:
    SettingsStore& m_settings;
    converter::ConverterService& m_conversions;
};

} // namespace pellucor::ui
