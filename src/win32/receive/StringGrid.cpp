#include "win32/receive/StringGrid.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "win32/common/Text.h"

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

ATOM RegisterGridClass(WNDPROC procedure) {
  static const ATOM atom = [procedure] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;  // a double click is the grid's second command
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    return RegisterClassExW(&windowClass);
  }();
  return atom;
}

}  // namespace

TStringGrid::TStringGrid(HWND parent, const RECT& rect, std::vector<int> columnWidths, int rowHeight)
    : layout_(std::move(columnWidths), rowHeight) {
  RegisterGridClass(&TStringGrid::WindowProc);
  // No WS_TABSTOP: the grid is never reached by the keyboard.
  hwnd_ = CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_CLIPCHILDREN, rect.left,
                          rect.top, rect.right - rect.left, rect.bottom - rect.top, parent, nullptr,
                          GetModuleHandleW(nullptr), this);
}

TStringGrid::~TStringGrid() {
  if (hwnd_ != nullptr && IsWindow(hwnd_)) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

LRESULT CALLBACK TStringGrid::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* grid = static_cast<TStringGrid*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    grid->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(grid));
  }
  auto* grid = reinterpret_cast<TStringGrid*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (grid == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    grid->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  return grid->HandleMessage(message, wParam, lParam);
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
  InvalidateRect(hwnd_, nullptr, FALSE);
  if (layout_.TopRow() != top) Fire(OnTopLeftChanged);
}

void TStringGrid::SetColumnWidth(int column, int width) {
  layout_.SetColumnWidth(column, width);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void TStringGrid::SetTopRow(int row) {
  const int top = layout_.TopRow();
  layout_.SetTopRow(row);
  if (layout_.TopRow() == top) return;
  UpdateScrollBar();
  InvalidateRect(hwnd_, nullptr, FALSE);
  Fire(OnTopLeftChanged);
}

void TStringGrid::SetRow(int row) {
  row_ = anchor_ = std::clamp(row, 1, layout_.RowCount() - 1);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

bool TStringGrid::IsSelected(int row) const {
  return row >= std::min(row_, anchor_) && row <= std::max(row_, anchor_);
}

void TStringGrid::SetFont(HFONT font) {
  font_ = font;
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void TStringGrid::Repaint() {
  InvalidateRect(hwnd_, nullptr, FALSE);
  UpdateWindow(hwnd_);
}

void TStringGrid::UpdateScrollBar() {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMin = 1;
  info.nMax = layout_.RowCount() - 1;
  info.nPage = static_cast<UINT>(std::max(layout_.RowsThatFit(), 1));
  info.nPos = layout_.TopRow();
  SetScrollInfo(hwnd_, SB_VERT, &info, TRUE);
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
      GetScrollInfo(hwnd_, SB_VERT, &info);
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
  const std::wstring text = ToWide(CellText ? CellText(row, column) : std::string());
  RECT cell = ToRect(rect);
  cell.left += kDefaultTextInset;
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &cell, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

void TStringGrid::DrawCells(HDC dc) {
  RECT client;
  GetClientRect(hwnd_, &client);
  FillWith(dc, client, GetSysColor(COLOR_WINDOW));
  HGDIOBJ oldFont = font_ != nullptr ? SelectObject(dc, font_) : nullptr;
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(DC_BRUSH));
  SetBkMode(dc, TRANSPARENT);
  const int lastRow = layout_.TopRow() + layout_.VisibleRowCount();  // and the partly shown one
  std::vector<int> rows{0};
  for (int row = layout_.TopRow(); row <= lastRow && row < layout_.RowCount(); ++row) rows.push_back(row);
  // Data rows first: the header stays on top of a partly hidden row.
  std::rotate(rows.begin(), rows.begin() + 1, rows.end());
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
  SelectObject(dc, oldBrush);
  if (oldFont != nullptr) SelectObject(dc, oldFont);
}

void TStringGrid::PaintTo(HDC dc) {
  RECT client;
  GetClientRect(hwnd_, &client);
  // Drawn off screen first, so that a repaint never flickers.
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap =
      CreateCompatibleBitmap(dc, std::max<int>(client.right, 1), std::max<int>(client.bottom, 1));
  HGDIOBJ old = SelectObject(memory, bitmap);
  DrawCells(memory);
  BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
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
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd_, &paint);
      PaintTo(dc);
      EndPaint(hwnd_, &paint);
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
      ScreenToClient(hwnd_, &at);
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
          SetCapture(hwnd_);
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
      ClientToScreen(hwnd_, &at);
      if (OnContextMenu) OnContextMenu(at);
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace bailan
