#include "ListGestures.h"

#include "services/MainWindow.h"

namespace pellucor::filelist {

Scroll scrollDirection(const PointerOverList& where) {
    if (where.pointerY < where.top + where.topRowHeight)
        return Scroll::Up;
    if (where.pointerY >= where.bottom - where.bottomRowHeight)
        return Scroll::Down;
    return Scroll::None;
}

bool ListGestures::MouseMove(int targetRow, const PointerOverList& where) {
    if (!m_listMouseDown)
        return false;
    int count = m_rows.Count();
    if (m_dragItem < 1 || m_dragItem > count || targetRow < 1 || targetRow > count)
        return false;
    std::string dragged = m_rows.Text(m_dragItem);
    std::string target = m_rows.Text(targetRow);
    // Also a row over itself, and two rows holding the same path.
    if (dragged == target)
        return false;
    m_rows.SetText(m_dragItem, target);
    m_rows.SetText(targetRow, dragged);
    m_rows.Select(targetRow);
    m_dragItem = targetRow;
    scrollNear(targetRow, where);
    return true;
}

void ListGestures::scrollNear(int targetRow, const PointerOverList& where) {
    switch (scrollDirection(where)) {
    case Scroll::Up:
        if (targetRow > 1)
            m_rows.EnsureVisible(targetRow - 1);
        break;
    case Scroll::Down:
        if (targetRow < m_rows.Count())
            m_rows.EnsureVisible(targetRow + 1);
        break;
    case Scroll::None:
        break;
    }
}

void ListGestures::RemoveSelected(int windowPointer) {
    if (windowPointer == platform::PointerHourglass || m_rows.Count() == 0)
        return;
    int row = m_rows.Selected();
    if (row < 1)
        return;
    m_rows.Remove(row);
    if (row == m_dragItem)
        m_dragItem = 0;
    else if (row < m_dragItem)
        --m_dragItem;
}

void ListGestures::ClearList(int windowPointer) {
    if (windowPointer == platform::PointerHourglass)
        return;
    m_rows.Clear();
    m_dragItem = 0;
}

} // namespace pellucor::filelist
