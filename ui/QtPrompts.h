#pragma once

#include "base/Prompts.h"

#include <QPointer>
#include <QWidget>

namespace pellucor::ui {

// Message boxes, the text-entry box, the file-open dialog and the folder
// picker as Qt dialogs, modal to the owner.
class QtPrompts : public platform::Prompts {
public:
    void setOwner(QWidget* owner) { m_owner = owner; }

    platform::Answer MsgBox(const std::string& text, platform::Buttons buttons, platform::Icon icon,
                            const std::string& title) override;
    std::string BrowseForFolder(const std::string& prompt,
                                const std::string& initialFolder) override;
    std::string InputBox(const std::string& prompt, const std::string& defaultText) override;
    std::string ShowOpen(const std::string& title, const std::string& filter) override;

private:
    QPointer<QWidget> m_owner;
};

} // namespace pellucor::ui
