#include "DesktopFolder.h"

#include <QStandardPaths>

namespace pellucor::cli {

std::string desktopFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation).toStdString();
}

} // namespace pellucor::cli
