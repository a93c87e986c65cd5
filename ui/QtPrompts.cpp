#include "QtPrompts.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace pellucor::ui {

platform::Answer QtPrompts::MsgBox(const std::string& text, platform::Buttons buttons,
                                   platform::Icon icon, const std::string& title) {
    QMessageBox box(m_owner);
    box.setWindowTitle(title.empty() ? QApplication::applicationDisplayName()
                                     : QString::fromStdString(title));
    // Boxes write line breaks as CR LF or CR alone.
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace('\r', '\n');
    box.setText(shown);
    box.setIcon(icon == platform::Icon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon);
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

} // namespace pellucor::ui
