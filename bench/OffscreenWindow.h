#pragma once

// The real main window without a screen, for the benchmarks: its own
// settings file in a temporary folder, the real engine, and boxes answered at
// once ("Done." quietly, anything else printed on stderr).
#include "converter/ConverterService.h"
#include "EngineAutomation.h"
#include "Form1.h"

#include <cstdio>
#include <QApplication>
#include <QTemporaryDir>

namespace pellucor::bench {

class InstantPrompts : public platform::Prompts {
public:
    platform::Answer MsgBox(const std::string& text, platform::Buttons, platform::Icon,
                            const std::string&) override {
        if (text != "Done.")
            std::fprintf(stderr, "box: %s\n", text.c_str());
        return platform::Answer::Yes;
    }
    // "Add All" asks for an extension and a folder: the bench gives them.
    std::string InputBox(const std::string&, const std::string&) override { return extension; }
    std::string BrowseForFolder(const std::string&, const std::string&) override { return folder; }

    std::string extension;
    std::string folder;
};

class NoEnd : public platform::Program {
public:
    [[noreturn]] void End() override { throw platform::ProgramEnded{}; }
};

// Construct after the QApplication; the window is loaded and shown.
struct OffscreenWindow {
    OffscreenWindow()
        : settings(home.filePath("Velmora.ini")),
          form(prompts, automation, program, settings, home.path()) {
        form.Form_Load();
        form.show();
    }

    QTemporaryDir home;
    ui::SettingsStore settings;
    InstantPrompts prompts;
    converter::ConverterService conversions; // declared before the form, it outlives it
    platform::EngineAutomation automation{&conversions};
    NoEnd program;
    ui::Form1 form;
};

} // namespace pellucor::bench
