// pellucor-bench-window OUT_DIR DOC...: the window's "Start Changing" over
// the documents with ".", "?" and "!" ticked, offscreen, answering every box
// at once. Prints the wall time of the run in milliseconds.
#include "Form1.h"

#include <cstdio>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTreeWidget>

namespace {

// Answers every box at once; the batch's own boxes ("Done.") are not timed.
class InstantPrompts : public pellucor::platform::Prompts {
public:
    pellucor::platform::Answer MsgBox(const std::string& text, pellucor::platform::Buttons,
                                      pellucor::platform::Icon, const std::string&) override {
        if (text != "Done.")
            std::fprintf(stderr, "box: %s\n", text.c_str());
        return pellucor::platform::Answer::Yes;
    }
};

class NoEnd : public pellucor::platform::Program {
public:
    [[noreturn]] void End() override { throw pellucor::platform::ProgramEnded{}; }
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: pellucor-bench-window OUT_DIR DOC...\n");
        return 2;
    }
    QTemporaryDir home;
    pellucor::ui::SettingsStore settings(home.filePath("Velmora.ini"));
    InstantPrompts prompts;
    pellucor::platform::EngineAutomation automation;
    NoEnd program;
    pellucor::ui::Form1 form(prompts, automation, program, settings, home.path());
    form.Form_Load();
    form.show();
    QString out = QString::fromLocal8Bit(argv[1]);
    form.Text2Field->setText(out.endsWith('/') ? out : out + '/');
    for (int i = 2; i < argc; ++i)
        new QTreeWidgetItem(form.ListView1, {QString::fromLocal8Bit(argv[i])});
    QApplication::processEvents();

    QElapsedTimer timer;
    timer.start();
    form.PushButton7_Click();
    std::printf("%lld\n", static_cast<long long>(timer.elapsed()));
    return 0;
}
