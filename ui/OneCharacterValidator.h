#pragma once

#include <QValidator>

namespace pellucor::ui {

// Lets a field hold at most one character as a person sees it: one grapheme
// cluster (a letter with its accents, an emoji with its modifiers), never half
// of a surrogate pair, which a plain length limit of one would cut.
class OneCharacterValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override;
};

} // namespace pellucor::ui
