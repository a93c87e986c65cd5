// The file list through the window's own widgets: mouse, keys, drops and the
// buttons that fill or clear it. What each gesture decides is tested without
// a window in tests/filelist; this checks that the widgets reach it.
#include "FormHarness.h"
#include "UiTests.h"

#include <QDesktopServices>
#include <QDir>
#include <QImage>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>
#include <QTreeWidget>
#include <QUrl>

namespace pellucor::test {
namespace {

QStringList rowsOf(const ui::Form1& form) {
    QStringList rows;
    for (int i = 0; i < form.ListView1->topLevelItemCount(); ++i)
        rows << form.ListView1->topLevelItem(i)->text(0);
    return rows;
}

void fill(ui::Form1& form, const QStringList& rows) {
    for (const QString& row : rows)
        new QTreeWidgetItem(form.ListView1, {row});
}

QPoint centreOfRow(ui::Form1& form, int row) {
    return form.ListView1->visualItemRect(form.ListView1->topLevelItem(row)).center();
}

void mouse(ui::Form1& form, QEvent::Type type, QPoint at, Qt::MouseButtons held = Qt::LeftButton,
           Qt::MouseButton pressed = Qt::LeftButton) {
    QWidget* rows = form.ListView1->viewport();
    Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : pressed;
    QMouseEvent event(type, at, rows->mapToGlobal(at), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(rows, &event);
}

// A real double-click: the first click selects the row under the pointer.
void doubleClick(ui::Form1& form, QPoint at) {
    QTest::mouseClick(form.ListView1->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(form.ListView1->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(form.ListView1->viewport(), Qt::LeftButton, {}, at);
}

// The drag event's answer for data offered at the middle of the list.
bool dragAccepted(ui::Form1& form, QMimeData* data) {
    QWidget* rows = form.ListView1->viewport();
    QDragEnterEvent enter(rows->rect().center(), Qt::CopyAction, data, Qt::LeftButton,
                          Qt::NoModifier);
    QCoreApplication::sendEvent(rows, &enter);
    return enter.isAccepted();
}

void touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

// Receives the folder the window asks the desktop to open.
class ShellWatch : public QObject {
    Q_OBJECT
public:
    ShellWatch() { QDesktopServices::setUrlHandler("file", this, "open"); }
    ~ShellWatch() override { QDesktopServices::unsetUrlHandler("file"); }
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

} // namespace

class FileListTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ui::Form1> shown(FormHarness& harness) {
        auto form = harness.start();
        if (form) {
            form->show();
            QCoreApplication::processEvents();
        }
        return form;
    }

private slots:
    void draggingARowWithTheMouseMovesItDown() {
        FormHarness harness;
        QImage picture(32, 32, QImage::Format_ARGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(harness.programFolder() + "/drag.ico", "ICO"));
        auto form = shown(harness);
        QVERIFY(form);
        fill(*form, {"A", "B", "C", "D"});
        mouse(*form, QEvent::MouseButtonPress, centreOfRow(*form, 0));
        QCOMPARE(form->ListView1->viewport()->cursor().shape(), Qt::BitmapCursor);
        for (int row : {1, 2, 3})
            mouse(*form, QEvent::MouseMove, centreOfRow(*form, row));
        mouse(*form, QEvent::MouseButtonRelease, centreOfRow(*form, 3), Qt::NoButton);
        QCOMPARE(rowsOf(*form), QStringList({"B", "C", "D", "A"}));
        QCOMPARE(form->ListView1->selectedItems(), {form->ListView1->topLevelItem(3)});
        QCOMPARE(form->ListView1->viewport()->cursor().shape(), Qt::ArrowCursor);
        QVERIFY(!form->listGestures().listMouseDown());

        // Only the left button drags, and only while it is held: a release
        // outside the list ends the drag at the next move over it.
        mouse(*form, QEvent::MouseButtonPress, centreOfRow(*form, 0), Qt::RightButton,
              Qt::RightButton);
        mouse(*form, QEvent::MouseMove, centreOfRow(*form, 1), Qt::RightButton);
        mouse(*form, QEvent::MouseButtonPress, centreOfRow(*form, 0));
        mouse(*form, QEvent::MouseMove, centreOfRow(*form, 2), Qt::NoButton);
        QCOMPARE(rowsOf(*form), QStringList({"B", "C", "D", "A"}));
        QVERIFY(!form->listGestures().listMouseDown());
    }

    void draggingNearTheBottomEdgeScrollsDown() {
        FormHarness harness;
        auto form = shown(harness);
        QVERIFY(form);
        QStringList many;
        for (int i = 0; i < 40; ++i)
            many << QString("row %1").arg(i, 2, 10, QChar('0'));
        fill(*form, many);
        QScrollBar* bar = form->ListView1->verticalScrollBar();
        QCOMPARE(bar->value(), 0);
        QWidget* rows = form->ListView1->viewport();
        QTreeWidgetItem* lastSeen = form->ListView1->itemAt(QPoint(5, rows->height() - 2));
        QVERIFY(lastSeen);
        QPoint bottom = form->ListView1->visualItemRect(lastSeen).center();
        mouse(*form, QEvent::MouseButtonPress, centreOfRow(*form, 0));
        QCursor::setPos(rows->mapToGlobal(QPoint(5, rows->height() / 2)));
        mouse(*form, QEvent::MouseMove, centreOfRow(*form, 1)); // in the middle: no scroll
        QCOMPARE(bar->value(), 0);
        QCursor::setPos(rows->mapToGlobal(bottom));
        mouse(*form, QEvent::MouseMove, bottom);
        QVERIFY2(bar->value() > 0, "the list did not scroll down near its bottom edge");
        mouse(*form, QEvent::MouseButtonRelease, bottom, Qt::NoButton);
    }

    void deleteDoubleClickAndClearRespectTheBusyPointer() {
        FormHarness harness;
        auto form = shown(harness);
        QVERIFY(form);
        QTreeWidget* list = form->ListView1;
        fill(*form, {"A", "B", "C", "D"});
        QTest::keyClick(list, Qt::Key_Delete); // nothing selected
        list->setCurrentItem(list->topLevelItem(1));
        form->SetMousePointer(platform::PointerHourglass);
        QTest::keyClick(list, Qt::Key_Delete);
        doubleClick(*form, centreOfRow(*form, 2));
        form->PushButton5->click();
        QCOMPARE(rowsOf(*form), QStringList({"A", "B", "C", "D"}));

        form->SetMousePointer(platform::PointerDefault);
        list->setCurrentItem(list->topLevelItem(1));
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(rowsOf(*form), QStringList({"A", "C", "D"}));
        QTest::mouseDClick(list->viewport(), Qt::RightButton, {}, centreOfRow(*form, 2));
        QCOMPARE(rowsOf(*form), QStringList({"A", "C", "D"}));
        doubleClick(*form, centreOfRow(*form, 2));
        QCOMPARE(rowsOf(*form), QStringList({"A", "C"}));
        form->PushButton5->click();
        QCOMPARE(list->topLevelItemCount(), 0);
        QTest::keyClick(list, Qt::Key_Delete); // an empty list
        doubleClick(*form, list->viewport()->rect().center());
        QVERIFY(harness.prompts.boxes.empty());
    }

    // The keys move the current row and the list shows it; Delete removes
    // the row shown, and then the one that took its place.
    void keysMoveTheRowShownAndDeleteRemovesIt() {
        FormHarness harness;
        auto form = shown(harness);
        QVERIFY(form);
        QTreeWidget* list = form->ListView1;
        QStringList many;
        for (int i = 0; i < 40; ++i)
            many << QString("row %1").arg(i, 2, 10, QChar('0'));
        fill(*form, many);
        list->setCurrentItem(list->topLevelItem(0));
        auto shownRow = [&] {
            QTreeWidgetItem* current = list->currentItem();
            bool inView = list->viewport()->rect().contains(list->visualItemRect(current));
            return inView && current->isSelected() ? current->text(0) : QString("not shown");
        };
        QStringList shownAfterKeys;
        for (Qt::Key key : {Qt::Key_End, Qt::Key_Up, Qt::Key_Home, Qt::Key_Down, Qt::Key_PageDown,
                            Qt::Key_End, Qt::Key_Delete, Qt::Key_Delete}) {
            QTest::keyClick(list, key);
            shownAfterKeys << shownRow();
        }
        QVERIFY2(shownAfterKeys[4] > "row 02" && shownAfterKeys[4] < "row 20", "a page down");
        shownAfterKeys.removeAt(4);
        QCOMPARE(shownAfterKeys, QStringList({"row 39", "row 38", "row 00", "row 01", "row 39",
                                              "row 38", "row 37"}));
        QCOMPARE(rowsOf(*form).mid(36), QStringList({"row 36", "row 37"}));
    }

    // A long path keeps its file name in view; its tip shows all of it.
    void longRowsKeepTheirNameAndShowThePathAsTip() {
        FormHarness harness;
        auto form = shown(harness);
        QVERIFY(form);
        QString longPath = "/home/ann/" + QString(300, 'x') + "/Quarterly report.docx";
        fill(*form, {"/home/ann/short.docx", longPath});
        QStringList tips;
        for (int row : {1, 0}) {
            QPoint at = centreOfRow(*form, row);
            QWidget* rows = form->ListView1->viewport();
            QHelpEvent help(QEvent::ToolTip, at, rows->mapToGlobal(at));
            QToolTip::hideText();
            if (!QCoreApplication::sendEvent(rows, &help))
                QCoreApplication::sendEvent(form->ListView1, &help);
            tips << QToolTip::text();
        }
        QCOMPARE(tips, QStringList({longPath, form->ListView1->toolTip()}));
    }

    void dropsTakeLocalFilesAndRefuseOtherData() {
        FormHarness harness;
        auto form = shown(harness);
        QVERIFY(form);
        QString folder = harness.folder("dropped");
        touch(folder + "/b.docx");
        touch(folder + "/~$b.docx");
        touch(folder + "/sub/c.doc");
        QMimeData text;
        text.setText("not a file");
        QVERIFY2(!dragAccepted(*form, &text), "text was accepted for a drop");
        QMimeData web;
        web.setUrls({QUrl("https://example.org/a.docx")});
        QVERIFY2(!dragAccepted(*form, &web), "a web address was accepted for a drop");

        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(harness.path("gone.doc")), QUrl::fromLocalFile(folder)});
        QVERIFY(dragAccepted(*form, &files));
        QWidget* rows = form->ListView1->viewport();
        // A source that proposes Move (Shift held) is told Copy: told Move,
        // it might delete what it dropped.
        QDropEvent drop(rows->rect().center(), Qt::CopyAction | Qt::MoveAction, &files,
                        Qt::LeftButton, Qt::ShiftModifier);
        drop.setDropAction(Qt::MoveAction);
        QCoreApplication::sendEvent(rows, &drop);
        QVERIFY(drop.isAccepted());
        QCOMPARE(drop.dropAction(), Qt::CopyAction);
        QCOMPARE(rowsOf(*form), QStringList({folder + "/b.docx", folder + "/sub/c.doc"}));
        QDropEvent moveOnly(rows->rect().center(), Qt::MoveAction, &files, Qt::LeftButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(rows, &moveOnly);
        QVERIFY2(!moveOnly.isAccepted(), "a drop that can only move was taken");
        QCOMPARE(rowsOf(*form).size(), 2);
    }

    void buttonsFillTheListFromTheirPrompts() {
        FormHarness harness;
        auto form = shown(harness);
        QVERIFY(form);
        harness.prompts.queueOpenFiles(std::string("/docs\0a.docx\0b.doc", 18));
        form->PushButton3->click();

        QString folder = harness.folder("scan");
        touch(folder + "/c.txt");
        harness.prompts.queueInput("txt");
        harness.prompts.queueFolder(folder.toStdString());
        form->PushButton6->click();
        QCOMPARE(form->MousePointer(), int(platform::PointerDefault));
        QCOMPARE(harness.storedOnDisk("Extension"), std::string("txt"));
        QCOMPARE(harness.storedOnDisk("LastFolder"), folder.toStdString());

        QString samples = harness.programFolder() + "/Samples/";
        touch(samples + "one.docx");
        ShellWatch shell;
        harness.prompts.queue(platform::Answer::Yes);
        harness.prompts.queue(platform::Answer::No);
        form->PushButton4->click();
        form->PushButton4->click();
        QCOMPARE(shell.opened, QList<QUrl>({QUrl::fromLocalFile(samples)}));
        QCOMPARE(rowsOf(*form), QStringList({"/docs/a.docx", "/docs/b.doc", folder + "/c.txt",
                                             samples + "one.docx"}));
    }
};

int runFileListTests(int argc, char** argv) {
    FileListTest tests;
    return QTest::qExec(&tests, argc, argv);
}

} // namespace pellucor::test

#include "FileListTest.moc"
