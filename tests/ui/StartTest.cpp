// The window's controls and the start sequence: defaults, restored settings,
// unreadable ones, and an engine that cannot start.
#include "ApplicationTitle.h"
#include "FormHarness.h"
#include "Messages.h"
#include "UiTests.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTest>
#include <QTreeWidget>

namespace pellucor::test {
namespace {

constexpr const char* kStartPlace = "Kintara2021/08/31.Form1.Form_Load";

struct Placed {
    const char* name;
    const char* container;
    QRect twips;
    const char* caption;
};

// Every control with its container, its place in twips and its caption.
const Placed kControls[] = {
    {"ListView1", "Form1", {120, 120, 7800, 1575}, ""},
    {"Frame1", "Form1", {120, 2790, 7800, 1050}, "Spacing Options"},
    {"Option1", "Frame1", {240, 300, 3735, 255}, "Add space after sentence punctuation"},
    {"Option2", "Frame1", {240, 650, 4095, 255}, "Remove space after sentence punctuation"},
    {"Frame2", "Form1", {120, 3900, 7800, 2955}, "Punctuation/Characters To Consider"},
    {"Text1", "Frame2", {2475, 300, 2460, 345}, ""},
    {"ListView2", "Frame2", {240, 765, 7335, 1485}, ""},
    {"Label1", "Frame2", {240, 360, 1965, 225}, "Punctuation/Character:"},
    {"PushButton1", "Frame2", {5040, 300, 2490, 345}, "Add"},
    {"PushButton2",
     "Frame2",
     {240, 2355, 7335, 405},
     "Remove Selected Punctuation/Character From List"},
    {"ProgressBar1", "Form1", {120, 9390, 7800, 405}, "Progress Bar"},
    {"PushButton3", "Form1", {120, 1800, 3840, 405}, "Add Word File(s)"},
    {"PushButton6", "Form1", {4080, 1800, 3840, 405}, "Add All Word File(s) In Folder"},
    {"PushButton7", "Form1", {120, 8870, 7800, 405}, "Start Changing"},
    {"PushButton5", "Form1", {120, 2310, 3840, 405}, "Clear List"},
    {"PushButton4", "Form1", {4080, 2310, 3840, 405}, "Load Sample/Example Files"},
    {"Frame5", "Form1", {120, 6930, 7800, 1815}, "Save Option"},
    {"Option3", "Frame5", {240, 300, 3615, 255}, "Save results to this folder:"},
    {"Option4", "Frame5", {240, 1410, 3615, 255}, "Save results in folder of original file"},
    {"Frame3", "Frame5", {480, 510, 6840, 810}, ""},
    {"Text2", "Frame3", {240, 300, 5670, 345}, ""},
    {"PushButton8", "Frame3", {6000, 300, 600, 345}, "..."},
};

QString captionOf(QWidget* widget) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return button->text();
    if (auto* frame = qobject_cast<QGroupBox*>(widget))
        return frame->title();
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    if (auto* bar = qobject_cast<QProgressBar*>(widget))
        return bar->text();
    if (auto* field = qobject_cast<QLineEdit*>(widget))
        return field->text();
    return {};
}

QRect pixels(QRect twips) {
    return {twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15};
}

} // namespace

class StartTest : public QObject {
    Q_OBJECT

private slots:
    void controlsHaveTheirNamesPlacesAndCaptions() {
        FormHarness harness;
        auto form = harness.create();
        QCOMPARE(form->objectName(), QString("Form1"));
        QCOMPARE(form->minimumSize(), QSize(536, 660));
        QCOMPARE(form->maximumSize(), QSize(536, 660));
        for (const Placed& control : kControls) {
            auto* widget = form->findChild<QWidget*>(control.name);
            QVERIFY2(widget, qPrintable(QString("no control named %1").arg(control.name)));
            QCOMPARE(widget->parentWidget()->objectName(), QString(control.container));
            QCOMPARE(widget->geometry(), pixels(control.twips));
            QCOMPARE(captionOf(widget), QString::fromUtf8(control.caption));
            bool listView = qobject_cast<QTreeWidget*>(widget) != nullptr;
            QVERIFY2(listView || widget->toolTip().isEmpty(),
                     qPrintable(QString("%1 has a tooltip").arg(control.name)));
        }
        QCOMPARE(form->ListView1->toolTip(),
                 QString("Drag and drop files here. Double-click item to remove it. Move | line "
                         "to right and out of window to reveal full names."));
        QCOMPARE(form->ListView2->toolTip(),
                 QString("Move | line to right and out of window to reveal full names."));
        QVERIFY2(form->Text1->validator(), "Text1 takes one character");
        QTest::keyClicks(form->Text1, "ab");
        QCOMPARE(form->Text1->text(), QString("a"));
        QVERIFY(form->Option1Button->isChecked());
        QVERIFY(form->Option3Button->isChecked());
        QCOMPARE(form->PushButton7->font().pointSizeF(), 11.25);
        QVERIFY(form->PushButton7->font().bold());
        QCOMPARE(form->Label1->font().pointSizeF(), 9.0);
    }

    void firstStartUsesTheDefaultsAndStoresOnlyTheFolder() {
        QFile::remove(ui::SettingsStore::defaultFilePath());
        FormHarness harness;
        harness.store = std::make_unique<ui::SettingsStore>(); // the user's own file
        auto form = harness.start();
        QVERIFY2(form, "the start sequence ended the program");

        QCOMPARE(boxTexts(harness.prompts), QStringList());
        QCOMPARE(marksOf(*form), QStringList({"[x] .", "[x] ?", "[x] !", "[ ] :"}));
        QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        QCOMPARE(desktop, QDir::homePath() + "/Desktop");
        QCOMPARE(form->Text2Field->text(), desktop + "/");
        QVERIFY(form->Option3Button->isChecked() && !form->Option4Button->isChecked());
        QVERIFY(form->Frame3->isEnabled());
        QVERIFY(form->Option1Button->isChecked());
        QCOMPARE(form->ProgressBar1->value(), 0);
        QCOMPARE(form->windowTitle(), QString("Pellucor"));
        QCOMPARE(ui::applicationTitle(), QString("Pellucor"));
        QCOMPARE(form->ListView1->headerItem()->text(0), QString(" Word File(s)"));
        QCOMPARE(form->ListView1->columnWidth(0), 7000 / 15);
        QCOMPARE(form->ListView2->headerItem()->text(0), QString("Punctuation/Character(s)"));
        QCOMPARE(form->ListView2->columnWidth(0), 6500 / 15);
        QCOMPARE(harness.automation.creationAttempts(), 1);
        QCOMPARE(harness.automation.instancesLeftRunning(), 0);

        harness.store->sync();
        QString userFile = QDir::homePath() + "/.config/Velmora.ini";
        QCOMPARE(keysOnDiskOf(userFile), QStringList({"Pellucor/Text2"}));
        QCOMPARE(q(valueOnDisk(userFile, "Text2")), desktop + "/");
    }

    void storedSaveOptionIsRestored_data() {
        QTest::addColumn<QString>("option3");
        QTest::addColumn<QString>("option4");
        QTest::newRow("True/False") << "False"
                                    << "True";
        QTest::newRow("numbers") << "0"
                                 << "1";
        QTest::newRow("lower case") << "false"
                                    << "true";
        QTest::newRow("upper case") << "FALSE"
                                    << "TRUE";
    }
    void storedSaveOptionIsRestored() {
        QFETCH(QString, option3);
        QFETCH(QString, option4);
        FormHarness harness;
        harness.store->SaveSetting("Option3", option3.toStdString());
        harness.store->SaveSetting("Option4", option4.toStdString());
        auto form = harness.start();
        QVERIFY(form);
        QCOMPARE(boxTexts(harness.prompts), QStringList());
        QVERIFY(!form->Option3Button->isChecked());
        QVERIFY(form->Option4Button->isChecked());
        QVERIFY(!form->Frame3->isEnabled());
        QVERIFY(!form->Text2Field->isEnabled() && !form->PushButton8->isEnabled());
        QCOMPARE(q(harness.storedOnDisk("Option3")), QString("False"));
        QCOMPARE(q(harness.storedOnDisk("Option4")), QString("True"));
    }

    void storedOptionsThatSelectNeitherShowTheDefaultAndStayStored() {
        FormHarness harness;
        harness.store->SaveSetting("Option3", "False");
        auto form = harness.start();
        QVERIFY(form);
        QCOMPARE(boxTexts(harness.prompts), QStringList());
        QVERIFY(form->Option3Button->isChecked() && !form->Option4Button->isChecked());
        QVERIFY(form->Frame3->isEnabled());
        QCOMPARE(q(harness.storedOnDisk("Option3")), QString("False"));
        QCOMPARE(q(harness.storedOnDisk("Option4")), QString("<absent>"));
    }

    void unreadableTruthIsReportedAndTheStartGoesOn() {
        FormHarness harness;
        harness.store->SaveSetting("Option3", "maybe");
        auto form = harness.start();
        QVERIFY2(form, "the start sequence ended the program");
        QCOMPARE(reportPlaces(harness.prompts), QStringList({QString(kStartPlace) + ":8"}));
        QCOMPARE(harness.prompts.errorReports()[0].icon, platform::Icon::Warning);
        QVERIFY(form->Option3Button->isChecked() && !form->Option4Button->isChecked());
        QVERIFY(form->Frame3->isEnabled());
        QCOMPARE(harness.automation.creationAttempts(), 1); // the engine check still ran
    }

    void flagsThatDoNotMatchTheMarksAreReported_data() {
        QTest::addColumn<QString>("marks");
        QTest::addColumn<QString>("flags");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("reports");
        QTest::newRow("missing flag") << ".|!"
                                      << "0" << QStringList({"[ ] .", "[ ] !"}) << 1;
        QTest::newRow("not a number") << ".|!"
                                      << "x|1" << QStringList({"[ ] .", "[x] !"}) << 1;
        QTest::newRow("extra flags") << "."
                                     << "1|0|1" << QStringList({"[x] ."}) << 0;
        QTest::newRow("stored empty") << ""
                                      << "" << QStringList() << 0;
        QTest::newRow("no flags stored") << ""
                                         << "<absent>" << QStringList() << 0;
    }
    void flagsThatDoNotMatchTheMarksAreReported() {
        QFETCH(QString, marks);
        QFETCH(QString, flags);
        QFETCH(QStringList, rows);
        QFETCH(int, reports);
        FormHarness harness;
        harness.store->SaveSetting("Punctuations", marks.toStdString());
        if (flags != "<absent>")
            harness.store->SaveSetting("Punctuations Value", flags.toStdString());
        auto form = harness.start();
        QVERIFY(form);
        QCOMPARE(marksOf(*form), rows);
        QCOMPARE(reportPlaces(harness.prompts), QStringList(reports, QString(kStartPlace) + ":6"));
        QCOMPARE(harness.prompts.boxes.size(), size_t(reports));
    }

    void engineThatCannotStartEndsTheProgram() {
        FormHarness harness;
        harness.automation.failCreation();
        auto form = harness.start();
        QVERIFY2(!form, "the start sequence went on without an engine");
        QCOMPARE(boxTexts(harness.prompts), QStringList({messages::kWordCannotStart}));
        QCOMPARE(q(harness.prompts.boxes[0].title), QString()); // the application title
        QCOMPARE(harness.program.ends, 1);
    }
};

int runStartTests(int argc, char** argv) {
    StartTest tests;
    return QTest::qExec(&tests, argc, argv);
}

} // namespace pellucor::test

#include "StartTest.moc"
