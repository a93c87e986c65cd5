// Pellucor: changes the spacing after sentence punctuation in batches of
// word-processor documents.
#include "Form1.h"
#include "QtProgram.h"
#include "QtPrompts.h"
#include "Screenshot.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pellucor"));
    pellucor::ui::SettingsStore settings;
    pellucor::ui::QtPrompts prompts;
    pellucor::platform::EngineAutomation automation;
    pellucor::ui::QtProgram program(settings);
    pellucor::ui::Form1 form(prompts, automation, program, settings,
                             QCoreApplication::applicationDirPath());
    prompts.setOwner(&form);
    form.Form_Load();
    form.move(form.screen()->availableGeometry().center() - form.rect().center());
    form.show();
    pellucor::ui::grabWhenAsked(form);
    return app.exec();
}
