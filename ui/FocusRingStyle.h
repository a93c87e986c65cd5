#pragma once

#include <QProxyStyle>

namespace pellucor::ui {

// The window's style with a focus that can be seen at a glance: a ring of
// the highlight colour, two pixels wide, around the push button, text field
// or option that has the keyboard focus, and around a list that has it and
// its current row.
class FocusRingStyle : public QProxyStyle {
public:
    FocusRingStyle();

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;
};

} // namespace pellucor::ui
