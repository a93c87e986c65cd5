// "Start Changing" through the window: the refusals, the documents it writes,
// the state at "Done.", and closing the window while it works.
#include "converter/ConverterService.h"
#include "FormHarness.h"
#include "Messages.h"
#include "support/DocxBuilder.h"
#include "support/TestConversions.h"
#include "UiTests.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace pellucor::test {
namespace {

// Writes a one-paragraph document into the input folder and lists it.
QString listFile(FormHarness& harness, ui::Form1& form, const QString& name,
                 const std::string& text) {
    QString path = harness.folder("in") + "/" + name;
    DocxBuilder(textP(text)).write(path.toStdString());
    new QTreeWidgetItem(form.ListView1, {path});
    return path;
}

// About a hundred thousand words in two thousand paragraphs.
void writeLargeDocument(const QString& path) {
    std::string body;
    for (int i = 0; i < 2000; ++i)
        body += textP("The report was sent. Did the council meet on time? It did. Mr. Smith "
                      "and Dr. Brown read the final draft of the budget for the harbour, the "
                      "library and the museum, then signed it! Nobody asked why the bridge "
                      "was closed so early in the season. Next");
    DocxBuilder(body).write(path.toStdString());
}

// What the window shows at a moment: bar value, bar text, pointer setting, pointer shape.
QString stateOf(ui::Form1& form) {
    return QString("%1|%2|%3|%4")
        .arg(form.ProgressBar1->value())
        .arg(form.ProgressBar1->text())
        .arg(form.MousePointer())
        .arg(form.cursor().shape() == Qt::ArrowCursor ? "arrow" : "other");
}

void writeScript(const QString& path, const QString& body) {
    QFile script(path);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(("#!/bin/sh\n" + body + "\n").toUtf8());
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
}

// Sets environment variables for the object's life ("" unsets one).
class TestEnvironment {
public:
    void set(const char* name, const QString& value) {
        m_saved.append({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
        value.isEmpty() ? qunsetenv(name) : qputenv(name, value.toLocal8Bit());
    }
    ~TestEnvironment() {
        for (const Saved& saved : m_saved)
            saved.wasSet ? qputenv(saved.name, saved.value) : qunsetenv(saved.name);
    }

private:
    struct Saved {
        const char* name;
        QByteArray value;
        bool wasSet;
    };
    QList<Saved> m_saved;
};

} // namespace

class BatchTest : public QObject {
    Q_OBJECT

private slots:
    void refusalsLeaveTheWindowAsItWas() {
        FormHarness harness;
        auto form = harness.start();
        QVERIFY(form);
        form->PushButton7->click();
        QString original = listFile(harness, *form, "a.docx", "It ends. Next");
        form->Text2Field->setText(harness.path("missing") + "/");
        form->PushButton7->click();
        form->Text2Field->setText(harness.folder("out") + "/");
        QString namesake = harness.folder("in/other") + "/a.docx";
        DocxBuilder(textP("It ends. Next")).write(namesake.toStdString());
        new QTreeWidgetItem(form->ListView1, {namesake});
        new QTreeWidgetItem(form->ListView1, {original}); // listed twice: no clash
        form->PushButton7->click();
        delete form->ListView1->takeTopLevelItem(1);
        harness.automation.setRunning(messages::kRunningWordName);
        harness.prompts.queue(platform::Answer::No);
        form->PushButton7->click();

        const QString clash = "These files have the same name, and their results would be saved "
                              "over each other in the output folder:\r\n\r\n" +
                              original + "\r\n" + namesake +
                              "\r\n\r\nPlease rename one of each, or choose \"Save results in "
                              "folder of original file\".";
        QCOMPARE(boxTexts(harness.prompts),
                 QStringList({messages::kNoFilesAdded, messages::kFolderDoesNotExist, clash,
                              messages::kWordMayBeOpen}));
        QCOMPARE(harness.prompts.boxes[2].title, std::string());
        QCOMPARE(harness.prompts.boxes[3].buttons, platform::Buttons::YesNo);
        QCOMPARE(harness.automation.creationAttempts(), 1); // only the start's check
        QCOMPARE(QDir(harness.path("out")).entryList(QDir::Files), QStringList());
        QCOMPARE(q(documentText(original)), QString("It ends. Next\r"));
        QVERIFY(!form->BatchRunning());
        QCOMPARE(form->MousePointer(), int(platform::PointerDefault));
        QCOMPARE(form->ProgressBar1->text(), QString("Progress Bar"));
    }

    void everyFileIsChangedForEveryTickedMark() {
        FormHarness harness;
        auto form = harness.start();
        QVERIFY(form);
        QString a = listFile(harness, *form, "a.docx", "It ends. Is it? Yes! No");
        QString b = listFile(harness, *form, "b.docx", "It was one. Was it two? Three");
        setTicked(*form, 2, false); // "!"
        QString out = harness.folder("out");
        form->Text2Field->setText(out + "/");
        QStringList atBoxes;
        harness.prompts.onBox = [&](const ShownBox&) { atBoxes << stateOf(*form); };

        form->PushButton7->click();

        QCOMPARE(boxTexts(harness.prompts), QStringList({messages::kDone}));
        QCOMPARE(q(documentText(out + "/a.docx")), QString("It ends.  Is it?  Yes! No\r"));
        QCOMPARE(q(documentText(out + "/b.docx")), QString("It was one.  Was it two?  Three\r"));
        QCOMPARE(q(documentText(a)), QString("It ends. Is it? Yes! No\r"));
        QCOMPARE(q(documentText(b)), QString("It was one. Was it two? Three\r"));
        QCOMPARE(harness.automation.creationAttempts(), 1 + 2 * 2);
        QCOMPARE(harness.automation.instancesLeftRunning(), 0);
        QCOMPARE(atBoxes, QStringList({"0|Progress Bar|0|arrow"})); // at "Done."
        QVERIFY(!form->BatchRunning());
    }

    // Rows are moved and removed while the third, slow document is worked on:
    // the run goes on with the list as it was when it began.
    void rowsChangedDuringARunChangeNothingOfIt() {
        FormHarness harness;
        auto form = harness.start();
        QVERIFY(form);
        QStringList names = {"a.docx", "b.docx", "c.docx", "d.docx", "e.docx", "f.docx"};
        for (const QString& name : names)
            listFile(harness, *form, name, "It ends. Next");
        writeLargeDocument(harness.path("in/c.docx"));
        for (int row : {1, 2})
            setTicked(*form, row, false);
        QString out = harness.folder("out");
        form->Text2Field->setText(out + "/");
        QTimer meddler;
        connect(&meddler, &QTimer::timeout, form.get(), [&] {
            if (!form->ProgressBar1->text().endsWith("c.docx"))
                return;
            meddler.stop();
            form->ListView1->insertTopLevelItem(1, form->ListView1->takeTopLevelItem(4));
            delete form->ListView1->takeTopLevelItem(5);
        });
        meddler.start(0);

        form->PushButton7->click();

        QVERIFY2(!meddler.isActive(), "the rows were not changed during the run");
        QCOMPARE(boxTexts(harness.prompts), QStringList({messages::kDone}));
        QCOMPARE(harness.automation.creationAttempts(), 1 + 6);
        QCOMPARE(QDir(out).entryList(QDir::Files), names);
        QCOMPARE(q(documentText(out + "/e.docx")), QString("It ends.  Next\r"));
        QCOMPARE(q(documentText(out + "/f.docx")), QString("It ends.  Next\r"));
        QCOMPARE(form->ListView1->topLevelItem(1)->text(0), harness.path("in/e.docx"));
        QCOMPARE(form->ListView1->topLevelItemCount(), 5);
    }

    void removingSpacesOverTheOriginals() {
        FormHarness harness;
        auto form = harness.start();
        QVERIFY(form);
        QString original = listFile(harness, *form, "c.docx", "It ends.  Is it?  Yes");
        form->Option2Button->click();
        form->Option4Button->click();
        form->Text2Field->setText(harness.path("missing") + "/"); // not looked at

        form->PushButton7->click();

        QCOMPARE(boxTexts(harness.prompts), QStringList({messages::kDone}));
        QCOMPARE(q(documentText(original)), QString("It ends. Is it? Yes\r"));
    }

    // File names may hold "%": the bar shows them as they are.
    void progressTextShowsNamesAsTheyAre() {
        FormHarness harness;
        auto form = harness.create();
        const QStringList texts = {"Processing: 100% sure.docx", "Processing: %p %v %m.docx",
                                   "Processing: 50%%.docx"};
        QStringList shown;
        for (const QString& text : texts) {
            form->SetProgressText(text.toStdString());
            shown << form->ProgressBar1->text();
        }
        QCOMPARE(shown, texts);
    }

    // Values come faster than the bar is repainted; the last one still shows.
    void barEndsShowingTheLastValueGiven() {
        FormHarness harness;
        auto form = harness.create();
        for (double value : {10.0, 20.0, 30.5})
            form->SetProgressValue(value);
        QTRY_COMPARE(form->ProgressBar1->value(), 30);
    }

    // LibreOffice stand-ins hold the conversion until the window's own timer
    // releases it, which it can only do when the window handles its events
    // while it waits; the time limit ends the wait otherwise.
    void theWindowAnswersWhileLibreOfficeWorks_data() {
        QTest::addColumn<QString>("converter");
        QTest::newRow("one process a conversion") << "process";
        QTest::newRow("the shared LibreOffice") << "";
    }

    void theWindowAnswersWhileLibreOfficeWorks() {
        QFETCH(QString, converter);
        FormHarness harness;
        auto form = harness.start();
        QVERIFY(form);
        const QString bin = harness.folder("bin"), started = harness.path("started"),
                      release = harness.path("release");
        const QString hold =
            "touch " + started + "; while [ ! -e " + release + " ]; do sleep 0.05; done; ";
        // The shared one listens until stopped; one of its own holds and fails.
        writeScript(bin + "/soffice", "case \"$*\" in *--accept*) exec sleep 60 ;; esac; " +
                                          (converter.isEmpty() ? "" : hold) + "exit 1");
        writeScript(bin + "/python", "echo ready; while read -r line; do case $line in convert*) " +
                                         hold + "printf 'error\\tstand-in\\n' ;; " +
                                         "quit) echo ok; kill 0 ;; esac; done");
        TestEnvironment environment;
        environment.set("PATH", bin + ":" + qgetenv("PATH"));
        environment.set("PELLUCOR_CONVERTER", converter);
        environment.set("PELLUCOR_CONVERTER_PYTHON", bin + "/python");
        environment.set("PELLUCOR_CONVERT_TIMEOUT", "10");
        QFile rtf(harness.folder("in") + "/a.rtf");
        QVERIFY(rtf.open(QIODevice::WriteOnly) && rtf.write("{\\rtf1 It ends. Next}") > 0);
        rtf.close();
        new QTreeWidgetItem(form->ListView1, {rtf.fileName()});
        for (int row = 1; row < form->ListView2->topLevelItemCount(); ++row)
            setTicked(*form, row, false);
        form->Text2Field->setText(harness.folder("out") + "/");
        QString atRelease;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] {
            if (!QFile::exists(started) || QFile::exists(release))
                return;
            form->PushButton7->click(); // a second start while one runs does nothing
            atRelease = QString("%1|%2").arg(form->MousePointer()).arg(form->BatchRunning());
            QFile(release).open(QIODevice::WriteOnly);
        });
        timer.start(10);

        form->PushButton7->click();
        testConversions().stop();

        QCOMPARE(atRelease, QString("%1|1").arg(int(platform::PointerHourglass)));
        QCOMPARE(harness.prompts.errorReports().size(), size_t(1));
        QCOMPARE(boxTexts(harness.prompts).last(), QString(messages::kDone));
    }

    void closingDuringARunEndsTheProgramWithTheListSaved() {
        FormHarness harness;
        auto form = harness.start();
        QVERIFY(form);
        QString large = harness.folder("in") + "/large.docx";
        writeLargeDocument(large);
        new QTreeWidgetItem(form->ListView1, {large});
        form->Text1->setText("z");
        form->PushButton1->click();
        for (int row : {1, 2})
            setTicked(*form, row, false);
        form->Text2Field->setText(harness.folder("out") + "/");
        bool runningAtEnd = false;
        QString listAtEnd;
        QString flagsAtEnd;
        harness.program.onEnd = [&] {
            runningAtEnd = form->BatchRunning();
            listAtEnd = q(harness.storedOnDisk("Punctuations"));
            flagsAtEnd = q(harness.storedOnDisk("Punctuations Value"));
        };
        form->show();
        // Runs at the first pass of events inside the run.
        QTimer::singleShot(0, form.get(), [&] { form->close(); });

        form->PushButton7->click();

        QCOMPARE(harness.program.ends, 1);
        QVERIFY2(runningAtEnd, "the program ended before or after the run, not during it");
        QCOMPARE(listAtEnd, QString(".|?|!|:|z"));
        QCOMPARE(flagsAtEnd, QString("1|0|0|0|0"));
        QVERIFY(!form->isVisible());
    }
};

int runBatchTests(int argc, char** argv) {
    BatchTest tests;
    return QTest::qExec(&tests, argc, argv);
}

} // namespace pellucor::test

#include "BatchTest.moc"
