#pragma once

#include "FileRows.h"

namespace pellucor::filelist {

// Where the pointer stands against the list's rows on the screen, in screen
// pixels: the rows area spans [top, bottom).
struct PointerOverList {
    int pointerY = 0;
    int top = 0;
    int bottom = 0;
    int topRowHeight = 0;
    int bottomRowHeight = 0;
};

enum class Scroll { None, Up, Down };

// Up within the top row's height of the list's top edge, down within the
// bottom row's height of its bottom edge, nothing in between; up wins on a
// list too low for both.
Scroll scrollDirection(const PointerOverList& where);

// The list's own editing gestures: reordering by dragging a row over the
// others, removing the selected row (Delete key, double-click) and clearing.
// The dragged row is remembered by its number, kept right when rows above it
// are removed and forgotten when it is removed itself.
class ListGestures {
public:
    explicit ListGestures(FileRows& rows) : m_rows(rows) {}

    // ListView1_MouseDown.
    void MouseDown() { m_listMouseDown = true; }
    // ListView1_ItemClick: the selected row becomes the dragged one.
    void ItemClick() { m_dragItem = m_rows.Selected(); }
    // ListView1_MouseMove with the row under the pointer (0 for none): while
    // the mouse is down the dragged row's text changes places with the
    // target's, and the list scrolls near its edges. True when texts moved.
    bool MouseMove(int targetRow, const PointerOverList& where);
    // ListView1_MouseUp.
    void MouseUp() { m_listMouseDown = false; }

    // ListView1_KeyDown (Delete) and ListView1_DblClick: nothing while the
    // window shows the hourglass or when no row is selected.
    void RemoveSelected(int windowPointer);
    // "Clear List": nothing while the window shows the hourglass.
    void ClearList(int windowPointer);

    bool listMouseDown() const { return m_listMouseDown; }
    int dragItem() const { return m_dragItem; }

private:
    void scrollNear(int targetRow, const PointerOverList& where);

    FileRows& m_rows;
    bool m_listMouseDown = false;
    int m_dragItem = 0; // 0: none
};

} // namespace pellucor::filelist
