#include "ProgramWindow.h"

#include <QApplication>
#include <QScreen>

namespace pellucor::ui {

ProgramWindow::ProgramWindow(const QString& programFolder)
    : m_program(m_settings, m_conversions),
      m_form(m_prompts, m_automation, m_program, m_settings, programFolder) {
    QApplication::setApplicationName(QStringLiteral("Pellucor"));
    m_prompts.setOwner(&m_form);
}

// Placed before the start sequence, so that a box it shows stands over the
// window's place rather than at the screen's corner.
void ProgramWindow::show() {
    m_form.move(m_form.screen()->availableGeometry().center() - m_form.rect().center());
    m_form.Form_Load();
    m_form.show();
}

} // namespace pellucor::ui
