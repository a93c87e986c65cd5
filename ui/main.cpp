// Pellucor: changes the spacing after sentence punctuation in batches of
// word-processor documents.
#include "ProgramWindow.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    pellucor::ui::ProgramWindow window(QCoreApplication::applicationDirPath());
    window.show();
    return app.exec();
}
