// Saves a picture of the program's window as it first shows, then ends:
//   pellucor-screenshot OUT.png
// The window reads its skin, pointers and samples from the build's program
// folder, as the program itself does from beside it.
#include "ProgramWindow.h"

#include <cstdio>
#include <QApplication>
#include <QPixmap>
#include <QTimer>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pellucor-screenshot OUT.png\n");
        return 2;
    }
    const QString file = QString::fromLocal8Bit(argv[1]);
    QApplication app(argc, argv);
    pellucor::ui::ProgramWindow window(QStringLiteral(PELLUCOR_PROGRAM_DIR));
    window.show();
    // Time for the first paint and for the window manager to settle.
    QTimer::singleShot(1500, &window.form(), [&window, file] {
        if (window.form().grab().save(file)) {
            QCoreApplication::exit(0);
            return;
        }
        std::fprintf(stderr, "pellucor-screenshot: cannot save %s\n", qPrintable(file));
        QCoreApplication::exit(1);
    });
    return app.exec();
}
