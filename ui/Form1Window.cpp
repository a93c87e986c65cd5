// The window as document processing sees it, and the pointer feedback.
#include "base/Error.h"
#include "Form1.h"
#include "ShownTextBar.h"

#include <QApplication>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>

namespace pellucor::ui {
namespace {

// Pending events are let run at most this often: a walk asks once per word.
constexpr qint64 kEventPassMs = 8;
// The bar is repainted at most this often while values stream in; a value of
// 0 or 100 is shown at once.
constexpr qint64 kBarPaintMs = 40;

} // namespace

int Form1::FileCount() {
    return ListView1->topLevelItemCount();
}

std::string Form1::FileAt(int row) {
    QTreeWidgetItem* item = ListView1->topLevelItem(row - 1);
    if (!item)
        throw Error(ErrorNumber::SubscriptOutOfRange,
                    "Index out of bounds: the file list has no row " + std::to_string(row));
    return item->text(0).toStdString();
}

int Form1::MarkCount() {
    return ListView2->topLevelItemCount();
}

std::string Form1::MarkAt(int row) {
    QTreeWidgetItem* item = ListView2->topLevelItem(row - 1);
    if (!item)
        throw Error(ErrorNumber::SubscriptOutOfRange,
                    "Index out of bounds: the punctuation list has no row " + std::to_string(row));
    return item->text(0).toStdString();
}

bool Form1::MarkTicked(int row) {
    QTreeWidgetItem* item = ListView2->topLevelItem(row - 1);
    return item && item->checkState(0) == Qt::Checked;
}

bool Form1::Option1() {
    return Option1Button->isChecked();
}
bool Form1::Option2() {
    return Option2Button->isChecked();
}
bool Form1::Option3() {
    return Option3Button->isChecked();
}
bool Form1::Option4() {
    return Option4Button->isChecked();
}
std::string Form1::Text2() {
    return Text2Field->text().toStdString();
}

void Form1::SetMousePointer(int pointer) {
    m_mousePointer = pointer;
    if (pointer == platform::PointerHourglass)
        setCursor(Qt::WaitCursor);
    else if (pointer == platform::PointerCustom && !m_customPointer.pixmap().isNull())
        setCursor(m_customPointer);
    else
        unsetCursor();
}

void Form1::SetProgressValue(double percent) {
    m_progressValue = percent;
    bool settled = percent <= 0 || percent >= 100;
    if (settled || m_sinceBarPaint.elapsed() >= kBarPaintMs) {
        paintProgressValue();
        return;
    }
    // A value held back must still be shown if no other follows it.
    if (!m_barPaintPending) {
        m_barPaintPending = true;
        QTimer::singleShot(kBarPaintMs, this, [this] {
            if (m_barPaintPending)
                paintProgressValue();
        });
    }
}

void Form1::paintProgressValue() {
    m_barPaintPending = false;
    ProgressBar1->setValue(static_cast<int>(m_progressValue));
    m_sinceBarPaint.restart();
}

void Form1::SetProgressText(const std::string& text) {
    static_cast<ShownTextBar*>(ProgressBar1)->setShownText(QString::fromStdString(text));
}

void Form1::DoEvents() {
    if (m_sinceEvents.elapsed() < kEventPassMs)
        return;
    QCoreApplication::processEvents();
    m_sinceEvents.restart();
}

// ---- pointer feedback ------------------------------------------------------

// Each control sees only the moves over itself: a move a control ignores
// must not reach the frame around it, or the frame would reset the pointer.
void Form1::watchMouseMoves() {
    for (QWidget* child : findChildren<QWidget*>())
        child->setAttribute(Qt::WA_NoMousePropagation);
    QWidget* watched[] = {this,        Frame1,        Frame2,        Frame3,      Frame5,
                          Label1,      Option1Button, Option2Button, Text1,       ListView2,
                          ListView1,   PushButton1,   PushButton2,   PushButton3, PushButton4,
                          PushButton5, PushButton6,   PushButton7,   PushButton8};
    for (QWidget* widget : watched) {
        widget->setMouseTracking(true);
        widget->installEventFilter(this);
        if (auto* list = qobject_cast<QTreeWidget*>(widget)) {
            list->viewport()->setMouseTracking(true);
            list->viewport()->installEventFilter(this);
        }
    }
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove && m_mousePointer != platform::PointerHourglass) {
        bool overButton = qobject_cast<QPushButton*>(watched) != nullptr;
        SetMousePointer(overButton ? platform::PointerCustom : platform::PointerDefault);
    }
    // A list draws its focus ring on its frame, which it does not repaint
    // by itself when the focus comes or goes.
    bool focusChange = event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut;
    if (focusChange && (watched == ListView1 || watched == ListView2))
        static_cast<QWidget*>(watched)->update();
    bool onFileList = watched == ListView1 || watched == ListView1->viewport();
    if (onFileList && m_listGestures && fileListEvent(watched, event))
        return true;
    return QWidget::eventFilter(watched, event);
}

} // namespace pellucor::ui
