// pellucor-bench-clash [ROWS]: "Start Changing" offscreen on a list of ROWS
// documents (20000 unless given) with no mark ticked, so that no document is
// opened: what is timed is the run's own walk over the list, the check that
// no two results would be saved over each other included. Prints the median
// of five clicks in milliseconds.
#include "OffscreenWindow.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <vector>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 20000;
    pellucor::bench::OffscreenWindow window;
    pellucor::ui::Form1& form = window.form;
    for (int i = 0; i < rows; ++i)
        new QTreeWidgetItem(form.ListView1,
                            {QString("/srv/letters/%1/letter-%2.docx").arg(i % 97).arg(i)});
    for (int i = 0; i < form.ListView2->topLevelItemCount(); ++i)
        form.ListView2->topLevelItem(i)->setCheckState(0, Qt::Unchecked);
    form.Text2Field->setText(window.home.path());
    std::vector<double> times;
    for (int k = 0; k < 5; ++k) {
        QElapsedTimer clock;
        clock.start();
        form.PushButton7->click();
        times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("%d rows: %.1f ms a click (median of 5; fastest %.1f, slowest %.1f)\n", rows,
                times[2], times.front(), times.back());
    return 0;
}
