#include "win32/receive/StringGrid.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "win32/common/Handles.h"
#include "win32/common/WideText.h"

namespace bailan {
namespace {

constexpr wchar_t kClassName[] = L"TStringGrid";

// The colours of the grid's own drawing.
COLORREF FillColour(TGridCellState state) {
  if (state.Fixed) return GetSysColor(COLOR_BTNFACE);
  return GetSysColor(state.Selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
}

COLORREF TextColour(TGridCellState state) {
  if (state.Fixed) return GetSysColor(COLOR_BTNTEXT);
  return GetSysColor(state.Selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
}

void FillWith(HDC dc, const RECT& rect, COLORREF colour) {
  SetDCBrushColor(dc, colour);
  FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

RECT ToRect(const TCellRect& cell) {
  return {cell.Left, cell.Top, cell.Right, cell.Bottom};
}

}  // namespace

TStringGrid::TStringGrid(HWND parent, const RECT& bounds, std::vector<int> columnWidths, int rowHeight)
    : layout_(std::move(columnWidths), rowHeight) {
  // No WS_TABSTOP: the grid is never reached by the keyboard.
  CreateHandle(
      {kClassName, WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_CLIPCHILDREN, 0, bounds, parent, 0, L"", nullptr});
  RECT client;
  GetClientRect(Handle(), &client);
  layout_.SetClientSize(client.right, client.bottom);
  UpdateScrollBar();
}

void TStringGrid::Fire(const std::function<void()>& handler) {
  if (handler) handler();
}

void TStringGrid::SetRowCount(int count) {
  const int top = layout_.TopRow();
  layout_.SetRowCount(count);
  const int last = layout_.RowCount() - 1;
  row_ = std::min(row_, last);
  anchor_ = std::min(anchor_, last);
  UpdateScrollBar();
  InvalidateRect(Handle(), nullptr, FALSE);
  if (layout_.TopRow() != top) Fire(OnTopLeftChanged);
}

void TStringGrid::SetColumnWidth(int column, int width) {
  layout_.SetColumnWidth(column, width);
  InvalidateRect(Handle(), nullptr, FALSE);
}

void TStringGrid::SetTopRow(int row) {
  const int top = layout_.TopRow();
  layout_.SetTopRow(row);
  if (layout_.TopRow() == top) return;
  UpdateScrollBar();
  InvalidateRect(Handle(), nullptr, FALSE);
  Fire(OnTopLeftChanged);
}

void TStringGrid::SetRow(int row) {
  row_ = anchor_ = std::clamp(row, 1, layout_.RowCount() - 1);
  InvalidateRect(Handle(), nullptr, FALSE);
}

bool TStringGrid::IsSelected(int row) const {
  return row >= std::min(row_, anchor_) && row <= std::max(row_, anchor_);
}

void TStringGrid::SetFont(HFONT font) {
  font_ = font;
  InvalidateRect(Handle(), nullptr, FALSE);
}

void TStringGrid::Repaint() {
  InvalidateRect(Handle(), nullptr, FALSE);
  UpdateWindow(Handle());
}

void TStringGrid::UpdateScrollBar() {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMin = 1;
  info.nMax = layout_.RowCount() - 1;
  info.nPage = static_cast<UINT>(std::max(layout_.RowsThatFit(), 1));
  info.nPos = layout_.TopRow();
  SetScrollInfo(Handle(), SB_VERT, &info, TRUE);
}

void TStringGrid::Scroll(WPARAM request) {
  const int page = std::max(layout_.RowsThatFit(), 1);
  int top = layout_.TopRow();
  switch (LOWORD(request)) {
    case SB_LINEUP:
      --top;
      break;
    case SB_LINEDOWN:
      ++top;
      break;
    case SB_PAGEUP:
      top -= page;
      break;
    case SB_PAGEDOWN:
      top += page;
      break;
    case SB_TOP:
      top = 1;
      break;
    case SB_BOTTOM:
      top = layout_.MaxTopRow();
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO info{};
      info.cbSize = sizeof info;
      info.fMask = SIF_TRACKPOS;
      GetScrollInfo(Handle(), SB_VERT, &info);
      top = info.nTrackPos;
      break;
    }
    default:
      return;
  }
  SetTopRow(top);
}

void TStringGrid::SelectAt(int x, int y, bool extend) {
  const TCellAt at = layout_.CellAt(x, y);
  if (at.Row < 1 || at.Column < 0) return;
  row_ = at.Row;
  if (!extend) anchor_ = row_;
  pressed_ = true;
  Repaint();
}

void TStringGrid::DefaultDrawCell(HDC dc, int column, int row, const TCellRect& rect) {
  const std::wstring text = Wide(CellText ? CellText(row, column) : std::string());
  RECT cell = ToRect(rect);
  cell.left += kDefaultTextInset;
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &cell, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

void TStringGrid::DrawCells(HDC dc) {
  RECT client;
  GetClientRect(Handle(), &client);
  FillWith(dc, client, GetSysColor(COLOR_WINDOW));
  TSelection font(dc, font_ != nullptr ? static_cast<HGDIOBJ>(font_) : GetStockObject(DEFAULT_GUI_FONT));
  TSelection brush(dc, GetStockObject(DC_BRUSH));
  SetBkMode(dc, TRANSPARENT);
  // The header, the rows in view and the one partly shown below them.
  const int lastRow = std::min(layout_.TopRow() + layout_.VisibleRowCount(), layout_.RowCount() - 1);
  std::vector<int> rows{0};
  for (int row = layout_.TopRow(); row <= lastRow; ++row) rows.push_back(row);
  for (int row : rows) {
    for (int column = 0; column < layout_.ColumnCount(); ++column) {
      const TCellRect rect = layout_.CellRect(column, row);
      if (rect.Left >= client.right || rect.Top >= client.bottom) continue;
      const TGridCellState state{row == 0, row != 0 && IsSelected(row)};
      const RECT cell = ToRect(rect);
      FillWith(dc, cell, FillColour(state));
      // The line after the cell, right and below.
      FillWith(dc, {cell.right, cell.top, cell.right + TGridLayout::kGridLine, cell.bottom + 1},
               GetSysColor(COLOR_BTNSHADOW));
      FillWith(dc, {cell.left, cell.bottom, cell.right + TGridLayout::kGridLine, cell.bottom + 1},
               GetSysColor(COLOR_BTNSHADOW));
      SetDCBrushColor(dc, FillColour(state));
      SetTextColor(dc, TextColour(state));
      if (OnDrawCell) {
        OnDrawCell(dc, column, row, rect, state);
      } else {
        DefaultDrawCell(dc, column, row, rect);
      }
    }
  }
}

void TStringGrid::PaintTo(HDC dc) {
  RECT client;
  GetClientRect(Handle(), &client);
  // Drawn off screen first, so that a repaint never flickers.
  TMemoryDc memory(CreateCompatibleDC(dc));
  TBitmap bitmap(CreateCompatibleBitmap(dc, std::max<int>(client.right, 1), std::max<int>(client.bottom, 1)));
  {
    TSelection selected(memory.Get(), bitmap.Get());
    DrawCells(memory.Get());
    BitBlt(dc, 0, 0, client.right, client.bottom, memory.Get(), 0, 0, SRCCOPY);
  }
}

LRESULT TStringGrid::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      layout_.SetClientSize(LOWORD(lParam), HIWORD(lParam));
      UpdateScrollBar();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      TPaintDc paint(Handle());
      PaintTo(paint.Get());
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintTo(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_VSCROLL:
      Scroll(wParam);
      return 0;
    case WM_SETCURSOR: {
      POINT at;
      GetCursorPos(&at);
      ScreenToClient(Handle(), &at);
      if (LOWORD(lParam) == HTCLIENT && layout_.CellAt(at.x, at.y).Row == 0 &&
          layout_.ColumnEdgeAt(at.x) >= 0) {
        SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
        return TRUE;
      }
      break;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
      if (layout_.CellAt(x, y).Row == 0) {
        resizing_ = layout_.ColumnEdgeAt(x);
        if (resizing_ >= 0) {
          resizeStartX_ = x;
          resizeStartWidth_ = layout_.ColumnWidth(resizing_);
          SetCapture(Handle());
        }
        return 0;
      }
      SelectAt(x, y, (wParam & MK_SHIFT) != 0);
      if (message == WM_LBUTTONDBLCLK && pressed_) {
        pressed_ = false;
        Fire(OnDblClick);
      }
      return 0;
    }
    case WM_MOUSEMOVE:
      if (resizing_ >= 0) SetColumnWidth(resizing_, resizeStartWidth_ + GET_X_LPARAM(lParam) - resizeStartX_);
      return 0;
    case WM_LBUTTONUP:
      if (resizing_ >= 0) {
        resizing_ = -1;
        ReleaseCapture();
        Repaint();
      } else if (pressed_) {
        pressed_ = false;
        Fire(OnClick);
      }
      return 0;
    case WM_CAPTURECHANGED:
      resizing_ = -1;
      return 0;
    case WM_RBUTTONUP: {
      POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ClientToScreen(Handle(), &at);
      if (OnContextMenu) OnContextMenu(at);
      return 0;
    }
    default:
      break;
  }
  return TWindow::HandleMessage(message, wParam, lParam);
}

}  // namespace bailan
