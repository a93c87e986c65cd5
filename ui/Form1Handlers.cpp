// What the window's buttons, options and fields do.
#include "base/ErrorTrap.h"
#include "base/PathHelpers.h"
#include "Form1.h"
#include "services/SettingKeys.h"
#include "WindowBatch.h"
#include "Word1.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

namespace pellucor::ui {

void Form1::PushButton1_Click() {
    ErrorTrap trap(m_prompts, "Form1", "PushButton1_Click");
    QString mark = Text1->text();
    if (mark.trimmed().isEmpty())
        return;
    // A "|" would split the mark when the list is stored: it is ignored
    // like a blank one.
    if (mark.contains('|'))
        return;
    for (int i = 0; i < ListView2->topLevelItemCount(); ++i)
        if (ListView2->topLevelItem(i)->text(0) == mark)
            return;
    trap(3, [&] {
        auto* row = new QTreeWidgetItem(ListView2, {mark});
        row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
        row->setCheckState(0, Qt::Unchecked);
    });
}

void Form1::PushButton2_Click() {
    ErrorTrap trap(m_prompts, "Form1", "PushButton2_Click");
    for (int i = 0; i < ListView2->topLevelItemCount(); ++i) {
        if (ListView2->topLevelItem(i)->isSelected()) {
            trap(2, [&] { delete ListView2->takeTopLevelItem(i); });
            return;
        }
    }
}

void Form1::PushButton7_Click() {
    WindowServices services{{m_prompts, m_automation, m_program}, *this};
    RunBatch(services);
}

void Form1::PushButton8_Click() {
    ErrorTrap trap(m_prompts, "Form1", "PushButton8_Click");
    std::string initial;
    std::string chosen;
    trap(1, [&] {
        initial = m_settings.GetSetting(keys::kLastOutputFolder.name,
                                        keys::kLastOutputFolder.defaultValue);
    });
    trap(2, [&] { chosen = m_prompts.BrowseForFolder("Please select folder:", initial); });
    if (chosen.empty())
        return;
    trap(4, [&] { m_settings.SaveSetting(keys::kLastOutputFolder.name, chosen); });
    trap(5, [&] {
        std::string folder = chosen.back() == kSeparator ? chosen : chosen + kSeparator;
        Text2Field->setText(QString::fromStdString(folder));
    });
}

void Form1::Option3_Click() {
    m_settings.SaveSetting(keys::kSaveToOutputFolder.name, truthText(Option3Button->isChecked()));
    m_settings.SaveSetting(keys::kSaveBesideOriginal.name, truthText(Option4Button->isChecked()));
    Frame3->setEnabled(Option3Button->isChecked());
}

void Form1::Option4_Click() {
    Option3_Click();
}

void Form1::Text2_Change() {
    m_settings.SaveSetting(keys::kOutputFolder.name, Text2Field->text().toStdString());
}

} // namespace pellucor::ui
