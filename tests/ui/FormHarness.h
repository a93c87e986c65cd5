#pragma once

// A real main window over a real settings file in a scratch folder, with
// scripted prompts, engine and program end.

#include "Form1.h"
#include "SettingsStore.h"
#include "support/ScriptedServices.h"

#include <functional>
#include <memory>
#include <QStringList>
#include <QTemporaryDir>

namespace pellucor::test {

// Ends the program as a test can: records the call, lets the test look at the
// window at that moment, then unwinds with ProgramEnded.
class WatchedProgram : public platform::Program {
public:
    [[noreturn]] void End() override;
    int ends = 0;
    std::function<void()> onEnd;
};

class FormHarness {
    QTemporaryDir m_dir; // first: the members below live in it

public:
    FormHarness();
    // Fails the running test when an answer it queued was never asked for.
    ~FormHarness();

    // A file or folder name inside the scratch folder.
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString settingsFile() const { return path("Velmora.ini"); }
    QString programFolder() const { return path("program"); }
    // A folder inside the scratch folder, created.
    QString folder(const QString& name) const;

    // A window over this store, before its start sequence.
    std::unique_ptr<ui::Form1> create();
    // A window after its start sequence; null when the start ended the program.
    std::unique_ptr<ui::Form1> start();

    // Writes the store to disk and reads the key back from there;
    // "<absent>" for a key that is not stored.
    std::string storedOnDisk(const std::string& key);

    std::unique_ptr<ui::SettingsStore> store;
    ScriptedPrompts prompts;
    ScriptedAutomation automation;
    WatchedProgram program;
};

inline QString q(const std::string& text) {
    return QString::fromStdString(text);
}

std::string valueOnDisk(const QString& settingsFile, const std::string& key);
// Every stored key, as "Pellucor/Text2".
QStringList keysOnDiskOf(const QString& settingsFile);

// The punctuation list as "[x] ." for a ticked row and "[ ] :" for an unticked one.
QStringList marksOf(const ui::Form1& form);
void setTicked(ui::Form1& form, int row, bool ticked);
// Every box's text, in order.
QStringList boxTexts(const ScriptedPrompts& prompts);
// "location:line" of each error report box.
QStringList reportPlaces(const ScriptedPrompts& prompts);

// The words of a saved document as a fresh engine instance reads them.
std::string documentText(const QString& path);

} // namespace pellucor::test
