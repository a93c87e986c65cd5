// The file list's own gestures: reordering by drag with the scrolling near
// the edges, removing the selected row, clearing, and ListContains.

#include "ListGestures.h"

#include "FileListTestSupport.h"
#include "services/MainWindow.h"

#include <gtest/gtest.h>

namespace pellucor::test {
namespace {

using filelist::PointerOverList;
using filelist::Scroll;
using Rows = std::vector<std::string>;

// A list whose rows area spans screen rows 100 to 299, rows 20 pixels high.
PointerOverList pointerAt(int y) {
    return {y, 100, 300, 20, 20};
}
const PointerOverList kMiddle = pointerAt(200);

class ReorderByDrag : public ::testing::Test {
protected:
    // Press on a row: the list selects it, then reports the item click.
    void pressOn(int row) {
        rows.selected = row;
        gestures.MouseDown();
        gestures.ItemClick();
    }

    VectorRows rows{{"A", "B", "C", "D"}};
    filelist::ListGestures gestures{rows};
};

TEST_F(ReorderByDrag, RowMovedDownRowByRowTravelsToTheEnd) {
    pressOn(1);
    for (int target : {2, 3, 4})
        EXPECT_TRUE(gestures.MouseMove(target, kMiddle)) << "no exchange over row " << target;
    EXPECT_EQ(rows.rows, Rows({"B", "C", "D", "A"}));
    EXPECT_EQ(rows.selected, 4);
    EXPECT_EQ(gestures.dragItem(), 4);
}

TEST_F(ReorderByDrag, JumpFromFirstToLastExchangesOnlyThoseTwo) {
    pressOn(1);
    gestures.MouseMove(4, kMiddle);
    EXPECT_EQ(rows.rows, Rows({"D", "B", "C", "A"}));
}

TEST_F(ReorderByDrag, IdenticalPathsAndTheRowItselfNeverExchange) {
    rows.rows = {"A", "A", "B"};
    pressOn(1);
    EXPECT_FALSE(gestures.MouseMove(2, pointerAt(100)));
    EXPECT_FALSE(gestures.MouseMove(1, pointerAt(100)));
    EXPECT_EQ(rows.rows, Rows({"A", "A", "B"}));
    EXPECT_TRUE(rows.madeVisible.empty()) << "a move that exchanged nothing scrolled";
}

TEST_F(ReorderByDrag, NothingMovesWithoutAPressOrADraggedRowOrATarget) {
    gestures.MouseDown();
    EXPECT_FALSE(gestures.MouseMove(2, kMiddle)) << "moved before any item click";
    pressOn(1);
    EXPECT_FALSE(gestures.MouseMove(0, kMiddle)) << "moved with no row under the pointer";
    gestures.MouseUp();
    EXPECT_FALSE(gestures.MouseMove(2, kMiddle)) << "moved after the release";
    EXPECT_EQ(rows.rows, Rows({"A", "B", "C", "D"}));
}

TEST_F(ReorderByDrag, PressOnEmptyAreaDragsTheRowLastDragged) {
    pressOn(1);
    gestures.MouseMove(2, kMiddle); // "A" rests on row 2
    gestures.MouseUp();
    gestures.MouseDown(); // no item under the press: no item click
    gestures.MouseMove(3, kMiddle);
    EXPECT_EQ(rows.rows, Rows({"B", "C", "A", "D"}));
}

TEST(ScrollDirection, RowHeightsFromEitherEdgeDecide) {
    struct Case {
        int y;
        Scroll expected;
    } cases[] = {{50, Scroll::Up},    {100, Scroll::Up},   {119, Scroll::Up},
                 {120, Scroll::None}, {279, Scroll::None}, {280, Scroll::Down},
                 {299, Scroll::Down}, {900, Scroll::Down}};
    for (const Case& c : cases)
        EXPECT_EQ(filelist::scrollDirection(pointerAt(c.y)), c.expected) << "pointer at " << c.y;
    // A list of one row: both edges are near, up wins.
    EXPECT_EQ(filelist::scrollDirection({110, 100, 120, 20, 20}), Scroll::Up);
    // Wherever the window stands on the screen.
    EXPECT_EQ(filelist::scrollDirection({1010, 1000, 1200, 20, 20}), Scroll::Up);
    EXPECT_EQ(filelist::scrollDirection({1100, 1000, 1200, 20, 20}), Scroll::None);
}

TEST_F(ReorderByDrag, ExchangeNearAnEdgeRevealsTheNextRowThatWay) {
    pressOn(2);
    gestures.MouseMove(3, pointerAt(290)); // near the bottom: row 4 shown
    gestures.MouseMove(2, pointerAt(105)); // near the top: row 1 shown
    gestures.MouseMove(3, kMiddle);        // in between: nothing
    EXPECT_EQ(rows.madeVisible, std::vector<int>({4, 1}));

    rows.madeVisible.clear();
    pressOn(1);
    gestures.MouseMove(4, pointerAt(290)); // no row below the last
    rows.selected = 4;
    gestures.ItemClick();
    gestures.MouseMove(1, pointerAt(105)); // no row above the first
    EXPECT_TRUE(rows.madeVisible.empty());
}

class RemovingRows : public ReorderByDrag {};

TEST_F(RemovingRows, SelectedRowGoesUnlessTheWindowIsBusy) {
    rows.selected = 2;
    gestures.RemoveSelected(platform::PointerHourglass);
    EXPECT_EQ(rows.rows, Rows({"A", "B", "C", "D"})) << "removed while busy";
    gestures.RemoveSelected(platform::PointerDefault);
    EXPECT_EQ(rows.rows, Rows({"A", "C", "D"}));
    gestures.RemoveSelected(platform::PointerCustom); // nothing selected now
    EXPECT_EQ(rows.rows, Rows({"A", "C", "D"}));
    gestures.ClearList(platform::PointerHourglass);
    EXPECT_EQ(rows.Count(), 3) << "cleared while busy";
    gestures.ClearList(platform::PointerDefault);
    EXPECT_EQ(rows.Count(), 0);
    rows.selected = 1; // a stale selection on an empty list
    gestures.RemoveSelected(platform::PointerDefault);
    gestures.ClearList(platform::PointerDefault);
    EXPECT_EQ(rows.Count(), 0);
}

TEST_F(RemovingRows, DraggedRowIsFollowedOrForgotten) {
    pressOn(3); // dragging "C"
    gestures.MouseUp();
    rows.selected = 1;
    gestures.RemoveSelected(platform::PointerDefault); // "C" is row 2 now
    EXPECT_EQ(gestures.dragItem(), 2);
    gestures.MouseDown();
    gestures.MouseMove(3, kMiddle);
    EXPECT_EQ(rows.rows, Rows({"B", "D", "C"}));

    rows.selected = 3; // where "C" rests, the dragged row
    gestures.RemoveSelected(platform::PointerDefault);
    EXPECT_EQ(gestures.dragItem(), 0);
    EXPECT_FALSE(gestures.MouseMove(1, kMiddle)) << "a removed row was dragged";
    pressOn(2);
    gestures.ClearList(platform::PointerDefault);
    EXPECT_EQ(gestures.dragItem(), 0) << "a cleared row is still dragged";
}

TEST(ListContains, ComparesWholeTextsExactly) {
    VectorRows rows{{"/docs/a.docx", "/docs/b.docx"}};
    EXPECT_TRUE(Main::ListContains(rows, "/docs/b.docx"));
    for (const char* other : {"/docs/B.docx", "/docs/b.docx ", "/docs//b.docx", "/docs/", ""})
        EXPECT_FALSE(Main::ListContains(rows, other)) << "matched \"" << other << "\"";
    EXPECT_FALSE(Main::ListContains(VectorRows{}, ""));
}

} // namespace
} // namespace pellucor::test
