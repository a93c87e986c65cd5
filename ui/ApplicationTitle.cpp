#include "ApplicationTitle.h"

#include <QCoreApplication>

namespace pellucor::ui {
namespace {

QString& storedTitle() {
    static QString title;
    return title;
}

} // namespace

void setApplicationTitle(const QString& title) {
    storedTitle() = title;
}

QString applicationTitle() {
    return storedTitle().isEmpty() ? QCoreApplication::applicationName() : storedTitle();
}

} // namespace pellucor::ui
