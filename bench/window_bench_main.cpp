// pellucor-bench-window OUT_DIR DOC...: the window's "Start Changing" over
// the documents with ".", "?" and "!" ticked, offscreen, answering every box
// at once. Prints the wall time of the run in milliseconds.
#include "OffscreenWindow.h"

#include <cstdio>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTreeWidget>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: pellucor-bench-window OUT_DIR DOC...\n");
        return 2;
    }
    pellucor::bench::OffscreenWindow window;
    pellucor::ui::Form1& form = window.form;
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
