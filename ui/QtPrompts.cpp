#include "QtPrompts.h"

#include "ApplicationTitle.h"
#include "DialogAnswer.h"

#include <algorithm>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>

namespace pellucor::ui {
namespace {

// Boxes write line breaks as CR LF or CR alone.
QString shownText(const std::string& text) {
    QString shown = QString::fromStdString(text);
    return shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace('\r', '\n');
}

// Pixels of a title bar that its text cannot use: the icon and the buttons
// of the usual window managers, and their margins.
constexpr int kTitleBarControls = 140;
constexpr int kNarrowestBox = 260;

QString titleOr(const std::string& title) {
    return title.empty() ? applicationTitle() : QString::fromStdString(title);
}

// "Description|pattern|..." as Qt's filters: each description keeps its text
// and gets the patterns Qt matches in parentheses, which the dialog hides.
// "*.*" means every file, also one without a dot.
QString qtFilters(const std::string& filter) {
    QStringList parts = QString::fromStdString(filter).split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        for (QString& pattern : patterns)
            if (pattern == QStringLiteral("*.*"))
                pattern = QStringLiteral("*");
        filters << parts[i] + " (" + patterns.join(' ') + ")";
    }
    return filters.join(QStringLiteral(";;"));
}

// A box as narrow as a short text would cut its own title, as the window
// manager draws it beside the box's icon and buttons: the title, a bold
// letter wider, and room for those.
void keepTitleInView(QMessageBox& box) {
    QFont bold = box.font();
    bold.setBold(true);
    const int title = QFontMetrics(bold).horizontalAdvance(box.windowTitle() + "MM");
    const int width = std::max(kNarrowestBox, title + kTitleBarControls);
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid)
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                      grid->rowCount(), 0, 1, grid->columnCount());
}

} // namespace

platform::Answer QtPrompts::MsgBox(const std::string& text, platform::Buttons buttons,
                                   platform::Icon icon, const std::string& title) {
    QMessageBox box(m_owner);
    box.setWindowTitle(titleOr(title));
    box.setText(shownText(text));
    box.setIcon(icon == platform::Icon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon);
    keepTitleInView(box); // after the icon, which lays the box out anew
    if (buttons == platform::Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? platform::Answer::Yes : platform::Answer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return platform::Answer::OK;
}

std::string QtPrompts::BrowseForFolder(const std::string& prompt,
                                       const std::string& initialFolder) {
    QString start = QString::fromStdString(initialFolder);
    if (!start.isEmpty() && !QDir(start).exists())
        start.clear();
    QString chosen = QFileDialog::getExistingDirectory(m_owner, QString::fromStdString(prompt),
                                                       start, QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty())
        return {};
    QString clean = QDir::cleanPath(chosen); // no final separator, except the root's
    return clean.toStdString();
}

std::string QtPrompts::InputBox(const std::string& prompt, const std::string& defaultText) {
    QInputDialog box(m_owner);
    box.setWindowTitle(titleOr({}));
    box.setLabelText(shownText(prompt));
    box.setTextValue(QString::fromStdString(defaultText));
    if (box.exec() != QDialog::Accepted)
        return {};
    return box.textValue().toStdString();
}

std::string QtPrompts::ShowOpen(const std::string& title, const std::string& filter) {
    QStringList chosen = QFileDialog::getOpenFileNames(m_owner, QString::fromStdString(title),
                                                       QString(), qtFilters(filter), nullptr,
                                                       QFileDialog::HideNameFilterDetails);
    std::vector<std::string> paths;
    for (const QString& path : chosen)
        paths.push_back(QDir::cleanPath(path).toStdString());
    return filelist::dialogBufferOf(paths);
}

} // namespace pellucor::ui
