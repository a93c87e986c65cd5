// pellucor-bench-window [--gaps] OUT_DIR DOC...: the window's "Start Changing"
// over the documents with ".", "?" and "!" ticked, offscreen, answering every
// box at once. Prints the wall time of the run in milliseconds; with --gaps,
// then the longest time in milliseconds the window went without handling its
// events during the run.
#include "OffscreenWindow.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bool gaps = argc > 1 && std::strcmp(argv[1], "--gaps") == 0;
    const int first = gaps ? 2 : 1;
    if (argc < first + 2) {
        std::fprintf(stderr, "usage: pellucor-bench-window [--gaps] OUT_DIR DOC...\n");
        return 2;
    }
    pellucor::bench::OffscreenWindow window;
    pellucor::ui::Form1& form = window.form;
    QString out = QString::fromLocal8Bit(argv[first]);
    form.Text2Field->setText(out.endsWith('/') ? out : out + '/');
    for (int i = first + 1; i < argc; ++i)
        new QTreeWidgetItem(form.ListView1, {QString::fromLocal8Bit(argv[i])});
    QApplication::processEvents();

    // A timer due at once fires at every pass of the window's events.
    QElapsedTimer sincePass;
    qint64 longestGap = 0;
    QTimer pass;
    QObject::connect(&pass, &QTimer::timeout,
                     [&] { longestGap = std::max(longestGap, sincePass.restart()); });
    QElapsedTimer timer;
    timer.start();
    sincePass.start();
    if (gaps)
        pass.start(0);
    form.PushButton7_Click();
    longestGap = std::max(longestGap, sincePass.elapsed());
    std::printf("%lld", static_cast<long long>(timer.elapsed()));
    if (gaps)
        std::printf(" %lld", static_cast<long long>(longestGap));
    std::printf("\n");
    return 0;
}
