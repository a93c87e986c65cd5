#include "FormHarness.h"

#include "support/TestConversions.h"
#include "word/Application.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTest>
#include <QTreeWidget>

namespace pellucor::test {

void WatchedProgram::End() {
    ++ends;
    if (onEnd)
        onEnd();
    throw platform::ProgramEnded{};
}

FormHarness::FormHarness() : store(std::make_unique<ui::SettingsStore>(settingsFile())) {
    QDir().mkpath(programFolder());
}

FormHarness::~FormHarness() {
    if (QTest::currentTestFailed())
        return; // a test stopped early leaves its later answers unused
    QStringList unused;
    if (prompts.answersLeft() > 0)
        unused << QString("%1 Yes/No answer(s)").arg(prompts.answersLeft());
    if (prompts.foldersLeft() > 0)
        unused << QString("%1 folder(s)").arg(prompts.foldersLeft());
    if (prompts.inputsLeft() > 0)
        unused << QString("%1 text entry(ies)").arg(prompts.inputsLeft());
    if (prompts.openAnswersLeft() > 0)
        unused << QString("%1 file-open answer(s)").arg(prompts.openAnswersLeft());
    if (!unused.isEmpty())
        QTest::qFail(qPrintable("the window never asked for the queued " + unused.join(", ")),
                     __FILE__, __LINE__);
}

QString FormHarness::folder(const QString& name) const {
    QDir().mkpath(path(name));
    return path(name);
}

std::unique_ptr<ui::Form1> FormHarness::create() {
    return std::make_unique<ui::Form1>(prompts, automation, program, *store, programFolder());
}

std::unique_ptr<ui::Form1> FormHarness::start() {
    auto form = create();
    try {
        form->Form_Load();
    } catch (const platform::ProgramEnded&) {
        return nullptr;
    }
    return form;
}

std::string FormHarness::storedOnDisk(const std::string& key) {
    store->sync();
    return valueOnDisk(settingsFile(), key);
}

namespace {

// A fresh copy of the file under a new name: settings files are cached by
// name, and only a new name makes sure the text on disk is parsed again.
QString freshCopy(const QString& file) {
    static int copies = 0;
    QString copy = QDir::temp().filePath(
        QString("pellucor-ui-%1-%2.ini").arg(QCoreApplication::applicationPid()).arg(++copies));
    QFile::remove(copy);
    QFile::copy(file, copy);
    return copy;
}

} // namespace

std::string valueOnDisk(const QString& file, const std::string& key) {
    QString copy = freshCopy(file);
    std::string value;
    {
        QSettings disk(copy, QSettings::IniFormat);
        value = disk.value("Pellucor/" + q(key), "<absent>").toString().toStdString();
    }
    QFile::remove(copy);
    return value;
}

QStringList keysOnDiskOf(const QString& file) {
    QString copy = freshCopy(file);
    QStringList keys;
    {
        QSettings disk(copy, QSettings::IniFormat);
        keys = disk.allKeys();
    }
    QFile::remove(copy);
    keys.sort();
    return keys;
}

QStringList marksOf(const ui::Form1& form) {
    QStringList rows;
    for (int i = 0; i < form.ListView2->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = form.ListView2->topLevelItem(i);
        rows << (row->checkState(0) == Qt::Checked ? "[x] " : "[ ] ") + row->text(0);
    }
    return rows;
}

void setTicked(ui::Form1& form, int row, bool ticked) {
    form.ListView2->topLevelItem(row)->setCheckState(0, ticked ? Qt::Checked : Qt::Unchecked);
}

QStringList boxTexts(const ScriptedPrompts& prompts) {
    QStringList texts;
    for (const ShownBox& box : prompts.boxes)
        texts << q(box.text);
    return texts;
}

QStringList reportPlaces(const ScriptedPrompts& prompts) {
    QStringList places;
    for (const ShownBox& box : prompts.errorReports()) {
        QString text = q(box.text);
        int in = text.indexOf("\r\nin ");
        int at = text.indexOf(" at line ", in);
        int end = text.indexOf('\r', at);
        places << text.mid(in + 5, at - in - 5) + ":" + text.mid(at + 9, end - at - 9);
    }
    return places;
}

std::string documentText(const QString& path) {
    word::Application app = word::Application::Create(&testConversions());
    word::Document document = app.Documents().Open(path.toStdString());
    std::string text;
    for (int32_t i = 1, n = document.Words().Count(); i <= n; ++i)
        text += document.Words()(i).Text();
    app.Quit();
    return text;
}

} // namespace pellucor::test
