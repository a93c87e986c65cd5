#pragma once

#include <QString>

namespace pellucor::ui {

// The title of every box that names none of its own. It is kept apart from
// Qt's application display name, which the desktop would append to the title
// of every window and box.
void setApplicationTitle(const QString& title);
// The title set, or the application's name before one is.
QString applicationTitle();

} // namespace pellucor::ui
