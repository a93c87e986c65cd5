#pragma once

#include "converter/ConverterService.h"
#include "EngineAutomation.h"
#include "Form1.h"
#include "QtProgram.h"
#include "QtPrompts.h"
#include "SettingsStore.h"

#include <QString>

namespace pellucor::ui {

// The window over the user's settings, Qt's dialogs and the document engine,
// as the program shows it. The program folder holds what the window finds
// beside the program: skin, pointers, icon and samples. The LibreOffices the
// program converts with are the window's, stopped at the program's end or
// with the window.
class ProgramWindow {
public:
    explicit ProgramWindow(const QString& programFolder);
    ProgramWindow(const ProgramWindow&) = delete;
    ProgramWindow& operator=(const ProgramWindow&) = delete;

    // Runs the start sequence, which ends the program when no engine can
    // start, then shows the window in the middle of its screen.
    void show();
    Form1& form() { return m_form; }

private:
    converter::ConverterService m_conversions;
    SettingsStore m_settings;
    QtPrompts m_prompts;
    platform::EngineAutomation m_automation{&m_conversions};
    QtProgram m_program;
    Form1 m_form;
};

} // namespace pellucor::ui
