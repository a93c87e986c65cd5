#include "Form1Rows.h"

#include "base/Error.h"

#include <QTreeWidget>

namespace pellucor::ui {
namespace {

QTreeWidgetItem* rowOf(QTreeWidget& list, int row) {
    QTreeWidgetItem* item = list.topLevelItem(row - 1);
    if (!item)
        throw Error(ErrorNumber::SubscriptOutOfRange,
                    "Index out of bounds: the file list has no row " + std::to_string(row));
    return item;
}

} // namespace

int TreeRows::Count() const {
    return m_list.topLevelItemCount();
}

std::string TreeRows::Text(int row) const {
    return rowOf(m_list, row)->text(0).toStdString();
}

void TreeRows::SetText(int row, const std::string& text) {
    rowOf(m_list, row)->setText(0, QString::fromStdString(text));
}

void TreeRows::Add(const std::string& text) {
    new QTreeWidgetItem(&m_list, {QString::fromStdString(text)});
}

void TreeRows::Remove(int row) {
    rowOf(m_list, row); // raises for a row that is not there
    delete m_list.takeTopLevelItem(row - 1);
}

void TreeRows::Clear() {
    m_list.clear();
}

// The current row when it is selected: the one the keys moved to and the
// list shows; otherwise the first selected one.
int TreeRows::Selected() const {
    QTreeWidgetItem* current = m_list.currentItem();
    if (current && current->isSelected())
        return m_list.indexOfTopLevelItem(current) + 1;
    const QList<QTreeWidgetItem*> selected = m_list.selectedItems();
    return selected.isEmpty() ? 0 : m_list.indexOfTopLevelItem(selected.front()) + 1;
}

void TreeRows::Select(int row) {
    m_list.setCurrentItem(rowOf(m_list, row));
}

void TreeRows::EnsureVisible(int row) {
    m_list.scrollToItem(rowOf(m_list, row));
}

} // namespace pellucor::ui
