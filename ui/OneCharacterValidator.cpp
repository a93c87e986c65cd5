#include "OneCharacterValidator.h"

#include <QTextBoundaryFinder>

namespace pellucor::ui {

QValidator::State OneCharacterValidator::validate(QString& input, int&) const {
    if (input.isEmpty())
        return Acceptable;
    if (!QStringView(input).isValidUtf16())
        return Invalid;
    QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, input);
    const qsizetype firstEnd = clusters.toNextBoundary();
    return firstEnd == input.size() ? Acceptable : Invalid;
}

} // namespace pellucor::ui
