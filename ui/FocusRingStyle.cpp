#include "FocusRingStyle.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>
#include <QPushButton>
#include <QStyleFactory>
#include <QStyleOption>

namespace pellucor::ui {
namespace {

constexpr int kRingWidth = 2;
constexpr int kPalest = 150;

void drawRing(QPainter& painter, const QStyleOption& option, QRect area) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    // A pale highlight, as a skin may choose for selected rows, is darkened.
    QColor colour = option.palette.color(QPalette::Highlight);
    if (colour.lightness() > kPalest)
        colour = colour.darker(250);
    painter.setPen(QPen(colour, kRingWidth));
    painter.setBrush(Qt::NoBrush);
    const int inset = kRingWidth / 2;
    painter.drawRoundedRect(QRectF(area).adjusted(inset, inset, -inset, -inset), 3, 3);
    painter.restore();
}

bool hasFocus(const QStyleOption* option) {
    return option && (option->state & QStyle::State_HasFocus);
}

} // namespace

// A style of the same kind as the application's, so that only the focus
// looks different.
FocusRingStyle::FocusRingStyle()
    : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

// A list's frame is as wide as the ring, which would otherwise hide under
// the rows.
int FocusRingStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                                const QWidget* widget) const {
    if (metric == PM_DefaultFrameWidth && qobject_cast<const QAbstractItemView*>(widget))
        return kRingWidth;
    return QProxyStyle::pixelMetric(metric, option, widget);
}

void FocusRingStyle::drawControl(ControlElement element, const QStyleOption* option,
                                 QPainter* painter, const QWidget* widget) const {
    QProxyStyle::drawControl(element, option, painter, widget);
    // A list's frame: the list has the focus, its current row is selected.
    if ((element == CE_PushButton || element == CE_ShapedFrame) && hasFocus(option))
        drawRing(*painter, *option, option->rect);
}

void FocusRingStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                   QPainter* painter, const QWidget* widget) const {
    if (element == PE_FrameFocusRect) {
        // A push button has its ring around it already (or the skin's).
        if (!qobject_cast<const QPushButton*>(widget))
            drawRing(*painter, *option, option->rect);
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    if (element == PE_PanelLineEdit && hasFocus(option))
        drawRing(*painter, *option, option->rect);
}

} // namespace pellucor::ui
