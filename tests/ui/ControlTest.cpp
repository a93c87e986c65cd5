// The punctuation list, the output destination and the pointer feedback,
// through the window's own controls and settings file.
#include "FormHarness.h"
#include "QtPrompts.h"
#include "UiTests.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace pellucor::test {
namespace {

void add(ui::Form1& form, const QString& mark) {
    form.Text1->setText(mark);
    form.PushButton1->click();
}

void select(ui::Form1& form, std::initializer_list<int> rows) {
    form.ListView2->clearSelection();
    for (int row : rows)
        form.ListView2->topLevelItem(row)->setSelected(true);
}

// The pointer setting after the mouse moved over the widget.
int pointerAfterMoveOver(ui::Form1& form, QWidget* widget) {
    QPointF local = widget->rect().center();
    QMouseEvent move(QEvent::MouseMove, local, widget->mapToGlobal(local), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
    return form.MousePointer();
}

// A cursor file as Windows writes one: an icon directory of type 2 whose
// entry holds the hot spot where an icon's holds planes and bit count.
bool writeCursorFile(const QString& path, QPoint hotSpot) {
    QImage picture(32, 32, QImage::Format_ARGB32);
    picture.fill(Qt::black);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "ICO") || bytes.size() < 22)
        return false;
    bytes[2] = 2;
    bytes[10] = char(hotSpot.x());
    bytes[11] = 0;
    bytes[12] = char(hotSpot.y());
    bytes[13] = 0;
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

using Widgets = std::initializer_list<QWidget*>;

QString named(QWidget* widget) {
    return widget->objectName().isEmpty() ? widget->parentWidget()->objectName()
                                          : widget->objectName();
}

} // namespace

class ControlTest : public QObject {
    Q_OBJECT

private slots:
    void addIgnoresBlanksDuplicatesAndBars() {
        FormHarness harness;
        auto form = harness.start();
        QVERIFY(form);
        for (const char* ignored : {"", " ", ".", "|"})
            add(*form, ignored);
        QCOMPARE(marksOf(*form), QStringList({"[x] .", "[x] ?", "[x] !", "[ ] :"}));
        add(*form, "a");
        add(*form, "A");
        add(*form, "a");
        QCOMPARE(marksOf(*form),
                 QStringList({"[x] .", "[x] ?", "[x] !", "[ ] :", "[ ] a", "[ ] A"}));
        QCOMPARE(form->Text1->text(), QString("a")); // the field keeps its text
        QCOMPARE(boxTexts(harness.prompts), QStringList());
    }

    // One character as a person sees it, however many code units it takes.
    void markFieldTakesOneWholeCharacter() {
        FormHarness harness;
        auto form = harness.start();
        QVERIFY(form);
        const QString emoji = QString::fromUtf8("\U0001F600");
        const QString accented = QString::fromUtf8("e\u0301");
        struct Typing {
            QString first, second, kept;
        };
        for (const Typing& t : {Typing{"a", "b", "a"}, Typing{emoji, "x", emoji},
                                Typing{"e", accented.right(1), accented},
                                Typing{accented, emoji, accented}, Typing{emoji, emoji, emoji}}) {
            form->Text1->clear();
            form->Text1->insert(t.first);
            form->Text1->insert(t.second);
            QCOMPARE(form->Text1->text(), t.kept);
        }
        form->Text1->clear();
        form->Text1->insert(emoji);
        form->PushButton1->click();
        QCOMPARE(marksOf(*form).last(), "[ ] " + emoji);
        QCOMPARE(form->MarkAt(5), std::string("\xF0\x9F\x98\x80"));
    }

    // Return presses the focused button and, in the mark field, "Add"; Tab
    // goes down the window.
    void keysPressButtonsAndTabGoesDownTheWindow() {
        FormHarness harness;
        auto form = harness.start();
        QVERIFY(form);
        form->Text1->setText("z");
        QTest::keyClick(form->Text1, Qt::Key_Return);
        form->Text1->setText("y");
        QTest::keyClick(form->PushButton1, Qt::Key_Enter);
        form->ListView2->setCurrentItem(form->ListView2->topLevelItem(0));
        QTest::keyClick(form->PushButton2, Qt::Key_Return);
        QCOMPARE(marksOf(*form), QStringList({"[x] ?", "[x] !", "[ ] :", "[ ] z", "[ ] y"}));

        form->show();
        QApplication::setActiveWindow(form.get());
        form->ListView1->setFocus();
        QStringList order;
        for (int i = 0; i < 16; ++i) {
            order << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(order, QStringList({"ListView1", "PushButton3", "PushButton6", "PushButton5",
                                     "PushButton4", "Option1", "Text1", "PushButton1", "ListView2",
                                     "PushButton2", "Option3", "Text2", "PushButton8",
                                     "PushButton7", "ListView1", "PushButton3"}));
    }

    // A box of a short text such as "Done." still shows its whole title
    // beside the title bar's icon and buttons.
    void boxesAreWideEnoughForTheirTitle() {
        QWidget owner;
        ui::QtPrompts prompts;
        prompts.setOwner(&owner);
        QString title;
        int width = 0;
        QTimer::singleShot(0, &owner, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            title = box->windowTitle();
            width = box->width();
            box->done(QMessageBox::Ok);
        });
        prompts.MsgBox("Done.", platform::Buttons::OK, platform::Icon::None, "");
        const int titleBarButtons = 4 * 24;
        QVERIFY2(width >= owner.fontMetrics().horizontalAdvance(title) + titleBarButtons,
                 qPrintable(QString::number(width)));
    }

    void removeTakesOnlyTheUpperSelectedRow() {
        FormHarness harness;
        auto form = harness.start();
        QVERIFY(form);
        form->ListView2->setSelectionMode(QAbstractItemView::MultiSelection);
        select(*form, {0, 2});
        form->PushButton2->click();
        QCOMPARE(marksOf(*form), QStringList({"[x] ?", "[x] !", "[ ] :"}));
        QVERIFY2(form->ListView2->topLevelItem(1)->isSelected(),
                 "the lower row lost its selection");
        select(*form, {});
        form->PushButton2->click();
        QCOMPARE(marksOf(*form), QStringList({"[x] ?", "[x] !", "[ ] :"}));
        QCOMPARE(boxTexts(harness.prompts), QStringList());
    }

    void listIsStoredAtCloseAndRestored() {
        FormHarness harness;
        auto form = harness.start();
        QVERIFY(form);
        setTicked(*form, 0, false);
        for (const char* mark : {"a", ";", ",", "#", "\"", "=", "\\", "@", "%", "\u00bf"})
            add(*form, QString::fromUtf8(mark));
        setTicked(*form, 4, true);
        QStringList rows = marksOf(*form);
        form->show();

        QVERIFY2(form->close(), "the window refused to close");
        QCOMPARE(harness.program.ends, 1);
        QCOMPARE(q(harness.storedOnDisk("Punctuations")),
                 QString::fromUtf8(".|?|!|:|a|;|,|#|\"|=|\\|@|%|\u00bf"));
        QCOMPARE(q(harness.storedOnDisk("Punctuations Value")),
                 QString("0|1|1|0|1|0|0|0|0|0|0|0|0|0"));
        auto next = harness.start();
        QVERIFY(next);
        QCOMPARE(marksOf(*next), rows);
        QCOMPARE(boxTexts(harness.prompts), QStringList());
    }

    void emptiedListStaysEmpty() {
        FormHarness harness;
        auto form = harness.start();
        QVERIFY(form);
        while (form->ListView2->topLevelItemCount() > 0) {
            select(*form, {0});
            form->PushButton2->click();
        }
        form->show();
        QVERIFY(form->close());
        QCOMPARE(q(harness.storedOnDisk("Punctuations")), QString(""));
        QCOMPARE(q(harness.storedOnDisk("Punctuations Value")), QString(""));
        auto next = harness.start();
        QVERIFY(next);
        QCOMPARE(marksOf(*next), QStringList());
        QCOMPARE(boxTexts(harness.prompts), QStringList());
    }

    void saveOptionClicksAreStoredAsAPair() {
        FormHarness harness;
        auto form = harness.start();
        QVERIFY(form);
        form->Option4Button->click();
        QVERIFY(form->Option4Button->isChecked() && !form->Option3Button->isChecked());
        QCOMPARE(q(harness.storedOnDisk("Option3")), QString("False"));
        QCOMPARE(q(harness.storedOnDisk("Option4")), QString("True"));
        QVERIFY(!form->Frame3->isEnabled());
        QVERIFY(!form->Text2Field->isEnabled() && !form->PushButton8->isEnabled());

        auto next = harness.start();
        QVERIFY(next);
        QVERIFY(next->Option4Button->isChecked() && !next->Frame3->isEnabled());

        form->Option3Button->click();
        QCOMPARE(q(harness.storedOnDisk("Option3")), QString("True"));
        QCOMPARE(q(harness.storedOnDisk("Option4")), QString("False"));
        QVERIFY(form->Frame3->isEnabled() && form->PushButton8->isEnabled());
    }

    void folderPickerFillsTheFolderField() {
        FormHarness harness;
        auto form = harness.start();
        QVERIFY(form);
        auto& requests = harness.prompts.folderRequests;

        harness.prompts.queueFolder("/tmp/x");
        form->PushButton8->click();
        QCOMPARE(form->Text2Field->text(), QString("/tmp/x/"));
        QCOMPARE(q(harness.storedOnDisk("Text2")), QString("/tmp/x/"));
        QCOMPARE(q(harness.storedOnDisk("LastFolderDot")), QString("/tmp/x"));
        QCOMPARE(requests.size(), size_t(1));
        QCOMPARE(q(requests[0].prompt), QString("Please select folder:"));
        QCOMPARE(q(requests[0].initialFolder), QString(""));

        harness.prompts.queueFolder("/");
        form->PushButton8->click();
        QCOMPARE(form->Text2Field->text(), QString("/")); // the root keeps its one separator
        QCOMPARE(q(harness.storedOnDisk("LastFolderDot")), QString("/"));
        QCOMPARE(q(requests[1].initialFolder), QString("/tmp/x"));

        form->Text2Field->setText("/typed/");
        form->PushButton8->click(); // cancelled
        QCOMPARE(form->Text2Field->text(), QString("/typed/"));
        QCOMPARE(q(harness.storedOnDisk("LastFolderDot")), QString("/"));
        QCOMPARE(q(requests[2].initialFolder), QString("/"));
        QCOMPARE(boxTexts(harness.prompts), QStringList());
    }

    void folderFieldIsStoredAtEveryChange() {
        FormHarness harness;
        auto form = harness.start();
        QVERIFY(form);
        QStringList stored;
        connect(form->Text2Field, &QLineEdit::textChanged, this,
                [&] { stored << q(harness.store->GetSetting("Text2", "<absent>")); });
        form->Text2Field->clear();
        QTest::keyClicks(form->Text2Field, "/a b");
        QCOMPARE(stored, QStringList({"", "/", "/a", "/a ", "/a b"}));

        for (const char* typed : {" /tmp/a, b;c #d %e \\g=\"h\u00e9/ ", "@Invalid()", "@@x"}) {
            form->Text2Field->setText(QString::fromUtf8(typed));
            QCOMPARE(q(harness.storedOnDisk("Text2")), QString::fromUtf8(typed));
        }
        form->Text2Field->clear();
        QCOMPARE(q(harness.storedOnDisk("Text2")), QString(""));
        auto next = harness.start();
        QVERIFY(next);
        QCOMPARE(next->Text2Field->text(), QString("")); // not the desktop
    }

    void pushButtonsShowTheHand() {
        FormHarness harness;
        QString hand = harness.programFolder() + "/HAND-M.CUR";
        QVERIFY2(writeCursorFile(hand, {10, 1}), "cannot write HAND-M.CUR");
        QVERIFY2(!QPixmap(hand).isNull(), "HAND-M.CUR does not load as a picture");
        auto form = harness.start();
        QVERIFY(form);
        ui::Form1& f = *form;

        for (QPushButton* button : {f.PushButton1, f.PushButton2, f.PushButton3, f.PushButton4,
                                    f.PushButton5, f.PushButton6, f.PushButton7, f.PushButton8}) {
            QCOMPARE(pointerAfterMoveOver(f, f.Frame2), int(platform::PointerDefault));
            QCOMPARE(f.cursor().shape(), Qt::ArrowCursor);
            QVERIFY2(pointerAfterMoveOver(f, button) == platform::PointerCustom,
                     qPrintable(named(button) + " does not set the hand"));
            QCOMPARE(f.cursor().shape(), Qt::BitmapCursor);
        }
        for (QWidget* keeps :
             Widgets{f.Text2Field, f.Option3Button, f.Option4Button, f.ProgressBar1}) {
            pointerAfterMoveOver(f, f.PushButton8);
            QVERIFY2(pointerAfterMoveOver(f, keeps) == platform::PointerCustom,
                     qPrintable(named(keeps) + " changed the pointer"));
        }
        for (QWidget* resets :
             Widgets{&f, f.Frame1, f.Frame2, f.Frame3, f.Frame5, f.Label1, f.Option1Button,
                     f.Option2Button, f.Text1, f.ListView1->viewport(), f.ListView2->viewport()}) {
            pointerAfterMoveOver(f, f.PushButton1);
            QVERIFY2(pointerAfterMoveOver(f, resets) == platform::PointerDefault,
                     qPrintable(named(resets) + " does not reset the pointer"));
        }
        pointerAfterMoveOver(f, f.PushButton1);
        // The hand points with its finger tip, where the file puts the hot spot.
        QCOMPARE(f.cursor().hotSpot(), QPoint(10, 1));
    }

    void withoutTheHandFileThePointerStaysTheArrow() {
        FormHarness harness;
        auto form = harness.start();
        QVERIFY(form);
        QCOMPARE(pointerAfterMoveOver(*form, form->PushButton7), int(platform::PointerCustom));
        QCOMPARE(form->cursor().shape(), Qt::ArrowCursor); // no picture: the arrow
    }

    void hourglassStaysWhileBusy() {
        FormHarness harness;
        auto form = harness.start();
        QVERIFY(form);
        form->SetMousePointer(platform::PointerHourglass);
        for (QWidget* over :
             Widgets{form->PushButton1, form->Frame2, form.get(), form->ListView2->viewport()})
            QVERIFY2(pointerAfterMoveOver(*form, over) == platform::PointerHourglass,
                     qPrintable(named(over) + " replaced the hourglass"));
        QCOMPARE(form->cursor().shape(), Qt::WaitCursor);
        form->SetMousePointer(platform::PointerDefault);
        QCOMPARE(pointerAfterMoveOver(*form, form->PushButton1), int(platform::PointerCustom));
    }
};

int runControlTests(int argc, char** argv) {
    ControlTest tests;
    return QTest::qExec(&tests, argc, argv);
}

} // namespace pellucor::test

#include "ControlTest.moc"
