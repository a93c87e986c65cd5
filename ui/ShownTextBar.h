#pragma once

#include <QProgressBar>

namespace pellucor::ui {

// A progress bar that shows its text as given: the stock bar would read "%"
// in a file name as a placeholder.
class ShownTextBar : public QProgressBar {
public:
    using QProgressBar::QProgressBar;
    void setShownText(const QString& text) {
        m_text = text;
        update();
    }
    QString text() const override { return m_text; }

private:
    QString m_text = QStringLiteral("Progress Bar");
};

} // namespace pellucor::ui
