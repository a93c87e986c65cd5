#include "ProgramWindow.h"

#include <QApplication>
#include <QScreen>

namespace pellucor::ui {

ProgramWindow::ProgramWindow(const QString& programFolder)
    : m_program(m_settings), m_form(m_prompts, m_automation, m_program, m_settings, programFolder) {
    QApplication::setApplicationName(QStringLiteral("Pellucor"));
    m_prompts.setOwner(&m_form);
}

void ProgramWindow::show() {
    m_form.Form_Load();
    m_form.move(m_form.screen()->availableGeometry().center() - m_form.rect().center());
    m_form.show();
}

} // namespace pellucor::ui
