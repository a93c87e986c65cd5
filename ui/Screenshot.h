#pragma once

class QWidget;

namespace pellucor::ui {

// With PELLUCOR_SCREENSHOT=FILE.png set, saves a picture of the window once
// it has been painted, and quits.
void grabWhenAsked(QWidget& window);

} // namespace pellucor::ui
