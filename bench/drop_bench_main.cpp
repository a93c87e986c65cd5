// pellucor-bench-drop FOLDER [EXT]: drops the folder on the window's file
// list, offscreen, or with EXT adds it through "Add All Word File(s) In
// Folder" with that extension, and prints the milliseconds until the list was filled, the rows
// added, the number of event passes and the longest time between two of them
// (from the drop to the first pass and from the last pass to the end count
// too), and how long the pass after the drop takes to show the full list.
#include "OffscreenWindow.h"

#include <algorithm>
#include <cstdio>
#include <QApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

namespace {

// Notes the time of every pass of the event queue: a zero timer runs once
// in each.
class PassClock {
public:
    explicit PassClock(const QElapsedTimer& since) : m_since(since) {
        QObject::connect(&m_timer, &QTimer::timeout,
                         [this] { m_passes.push_back(m_since.nsecsElapsed()); });
        m_timer.start(0);
    }
    void stop() { m_timer.stop(); }
    // The longest stretch without a pass between 0 and end.
    qint64 longestGap(qint64 end) const {
        qint64 previous = 0, longest = 0;
        for (qint64 pass : m_passes) {
            longest = std::max(longest, pass - previous);
            previous = pass;
        }
        return std::max(longest, end - previous);
    }
    size_t passes() const { return m_passes.size(); }

private:
    const QElapsedTimer& m_since;
    QTimer m_timer;
    std::vector<qint64> m_passes;
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: pellucor-bench-drop FOLDER [EXT]\n");
        return 2;
    }
    pellucor::bench::OffscreenWindow window;
    pellucor::ui::Form1& form = window.form;
    QApplication::processEvents();

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromLocal8Bit(argv[1]))});
    QWidget* rows = form.ListView1->viewport();
    QDragEnterEvent enter(rows->rect().center(), Qt::CopyAction, &data, Qt::LeftButton,
                          Qt::NoModifier);
    QCoreApplication::sendEvent(rows, &enter); // the list becomes the drop's target
    if (!enter.isAccepted()) {
        std::fprintf(stderr, "pellucor-bench-drop: the list refused the folder\n");
        return 1;
    }
    QDropEvent drop(rows->rect().center(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);

    QElapsedTimer clock;
    clock.start();
    PassClock passes(clock);
    if (argc == 3) {
        window.prompts.extension = argv[2];
        window.prompts.folder = argv[1];
        form.PushButton6->click();
    } else {
        QCoreApplication::sendEvent(rows, &drop);
    }
    qint64 end = clock.nsecsElapsed();
    passes.stop();
    // The first pass after the drop lays the full list out and paints it.
    QApplication::processEvents();
    qint64 settled = clock.nsecsElapsed();
    std::printf("ms=%.1f rows=%d passes=%zu longest_gap_ms=%.1f settle_ms=%.1f\n", end / 1e6,
                form.ListView1->topLevelItemCount(), passes.passes(), passes.longestGap(end) / 1e6,
                (settled - end) / 1e6);
    return 0;
}
