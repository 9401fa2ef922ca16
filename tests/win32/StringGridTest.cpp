// The owner-drawn grid of the receive area: its geometry, and what the mouse
// does to it when code sends the messages a click sends.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "win32/receive/GridLayout.h"
#include "win32/receive/StringGrid.h"

namespace bailan {
namespace {

// 8 columns as the receiving grid's, rows 20 high: a row pitch of 21.
TGridLayout Layout(int rows, int clientHeight, int top = 1) {
  TGridLayout layout({30, 120, 180, 80, 100, 80, 80, 80}, 20);
  layout.SetClientSize(800, clientHeight);
  layout.SetRowCount(rows);
  layout.SetTopRow(top);
  return layout;
}

TEST(GridLayoutTest, CellsRowsInViewAndHits) {
  struct {
    const char* What;
    int Rows, Height, Top;
    int WantTop, WantVisible;
    int Column, Row;
    TCellRect WantRect;
  } cases[] = {
      {"header cell", 31, 21 * 11 + 10, 1, 1, 10, 0, 0, {0, 0, 30, 20}},
      {"first data row", 31, 21 * 11 + 10, 1, 1, 10, 2, 1, {152, 21, 332, 41}},
      {"scrolled to row 5", 31, 21 * 11 + 10, 5, 5, 10, 4, 5, {414, 21, 514, 41}},
      {"a row above the top lies under the header", 31, 21 * 11, 5, 5, 10, 4, 4, {414, 0, 514, 20}},
      {"top row bounded by the rows left", 31, 21 * 11, 40, 21, 10, 0, 30, {0, 210, 30, 230}},
      {"few rows: all in view, no scrolling", 3, 21 * 11, 2, 1, 2, 0, 2, {0, 42, 30, 62}},
      {"no room for a whole row", 31, 30, 3, 3, 0, 0, 3, {0, 21, 30, 41}},
      {"fewer than two rows are two", 0, 21 * 11, 1, 1, 1, 7, 1, {677, 21, 757, 41}},
  };
  for (const auto& c : cases) {
    const TGridLayout layout = Layout(c.Rows, c.Height, c.Top);
    EXPECT_EQ(layout.TopRow(), c.WantTop) << c.What;
    EXPECT_EQ(layout.VisibleRowCount(), c.WantVisible) << c.What;
    EXPECT_EQ(layout.CellRect(c.Column, c.Row), c.WantRect) << c.What;
    if (c.WantRect.Top >= 21 || c.Row == 0) {
      const TCellAt at = layout.CellAt(c.WantRect.Left + 1, c.WantRect.Top + 1);
      EXPECT_EQ(at.Column, c.Column) << c.What;
      EXPECT_EQ(at.Row, c.Row) << c.What;
    }
  }
  const TGridLayout layout = Layout(3, 21 * 11);
  EXPECT_EQ(layout.CellAt(10, 21 * 3 + 2).Row, -1);  // below the last row
  EXPECT_EQ(layout.CellAt(790, 5).Column, -1);       // right of the last column
  EXPECT_EQ(layout.ColumnEdgeAt(30), 0);
  EXPECT_EQ(layout.ColumnEdgeAt(153), 1);
  EXPECT_EQ(layout.ColumnEdgeAt(90), -1);
}

LPARAM At(int x, int y) {
  return MAKELPARAM(x, y);
}

class TStringGridTest : public ::testing::Test {
 protected:
  HWND parent = nullptr;
  std::unique_ptr<TStringGrid> grid;
  int clicks = 0, doubleClicks = 0, topLeftChanges = 0;
  std::vector<POINT> menus;

  void SetUp() override {
    parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 900, 400, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    // Ten whole rows and part of one below the header, no scroll bar space lost.
    grid = std::make_unique<TStringGrid>(parent, RECT{0, 0, 820, 21 * 11 + 10},
                                         std::vector<int>{30, 120, 180, 80, 100, 80, 80, 80}, 20);
    grid->SetRowCount(31);
    grid->OnClick = [this] { ++clicks; };
    grid->OnDblClick = [this] { ++doubleClicks; };
    grid->OnTopLeftChanged = [this] { ++topLeftChanges; };
    grid->OnContextMenu = [this](POINT at) { menus.push_back(at); };
  }
  void TearDown() override {
    grid.reset();
    DestroyWindow(parent);
  }
  void Click(int x, int y, WPARAM keys = 0) {
    SendMessageW(grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON | keys, At(x, y));
    SendMessageW(grid->Handle(), WM_LBUTTONUP, keys, At(x, y));
  }
};

TEST_F(TStringGridTest, MouseSelectsRowsAndRaisesTheGridsEvents) {
  EXPECT_EQ(grid->Row(), 1);
  Click(200, 21 * 3 + 5);  // row 3
  EXPECT_EQ(grid->Row(), 3);
  EXPECT_EQ(clicks, 1);
  Click(200, 21 * 5 + 5, MK_SHIFT);  // Shift extends the selection to row 5
  EXPECT_EQ(grid->Row(), 5);
  for (int row = 1; row <= 6; ++row) EXPECT_EQ(grid->IsSelected(row), row >= 3 && row <= 5) << row;
  Click(200, 5);  // the header selects nothing and is no click
  Click(200, 21 * 11 + 5);
  EXPECT_EQ(grid->Row(), 11);
  EXPECT_EQ(clicks, 3);  // the partly shown row 11 can be clicked
  SendMessageW(grid->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, At(40, 21 * 2 + 5));
  EXPECT_EQ(doubleClicks, 1);
  EXPECT_EQ(grid->Row(), 2);
  SendMessageW(grid->Handle(), WM_RBUTTONUP, 0, At(7, 30));
  ASSERT_EQ(menus.size(), 1u);
  POINT client{7, 30};
  ClientToScreen(grid->Handle(), &client);
  EXPECT_EQ(menus[0].x, client.x);
  EXPECT_EQ(menus[0].y, client.y);
  EXPECT_EQ(grid->Row(), 2);  // a right click leaves the selection
}

TEST_F(TStringGridTest, ScrollingMovesTheTopRowWithinItsRange) {
  struct {
    WPARAM Request;
    int WantTop;
  } steps[] = {{SB_LINEDOWN, 2}, {SB_PAGEDOWN, 12}, {SB_BOTTOM, 21}, {SB_LINEDOWN, 21},
               {SB_LINEUP, 20},  {SB_PAGEUP, 10},   {SB_TOP, 1},     {SB_LINEUP, 1}};
  int changes = 0;
  for (const auto& step : steps) {
    const int before = grid->TopRow();
    SendMessageW(grid->Handle(), WM_VSCROLL, step.Request, 0);
    EXPECT_EQ(grid->TopRow(), step.WantTop) << step.Request;
    if (grid->TopRow() != before) ++changes;
  }
  EXPECT_EQ(topLeftChanges, changes);  // raised for every change and only then
  grid->SetRowCount(5);                // fewer rows than fit: back to the top
  EXPECT_EQ(grid->TopRow(), 1);
}

TEST_F(TStringGridTest, DraggingAHeaderEdgeResizesItsColumn) {
  SendMessageW(grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(151, 5));  // the edge after column 1
  SendMessageW(grid->Handle(), WM_MOUSEMOVE, MK_LBUTTON, At(171, 5));
  SendMessageW(grid->Handle(), WM_LBUTTONUP, 0, At(171, 5));
  EXPECT_EQ(grid->ColumnWidth(1), 140);
  EXPECT_EQ(grid->CellRect(2, 1).Left, 30 + 1 + 140 + 1);
  SendMessageW(grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(30, 5));
  SendMessageW(grid->Handle(), WM_MOUSEMOVE, MK_LBUTTON, At(-100, 5));
  SendMessageW(grid->Handle(), WM_LBUTTONUP, 0, At(-100, 5));
  EXPECT_EQ(grid->ColumnWidth(0), TGridLayout::kMinColumnWidth);
  EXPECT_EQ(clicks, 0);
}

}  // namespace
}  // namespace bailan
