#include "win32/receive/ReceiveArea.h"

#include <commctrl.h>

#include <array>
#include <stdexcept>

#include "platform/Cp936.h"
#include "win32/common/Pictures.h"
#include "win32/common/WideText.h"
#include "win32/resources/Resources.h"

namespace bailan {
namespace {

constexpr std::array<int, 8> kJobColumnWidths = {30, 120, 180, 80, 100, 80, 80, 80};

struct TToolButton {
  int Id;
  const char* Hint;
  int Normal, Disabled;  // pictures of the toolbar strip
};
// The toolbar in its order; an id of 0 is a grooved spacer.
constexpr std::array<TToolButton, 8> kToolbar = {{
    {idBtnPlay, "开始接收所有资源", 0, 1},
    {idBtnPause, "暂停所有正在接收的资源", 14, 15},
    {0, nullptr, 0, 0},
    {idBtnPrintPreview, "检查资源更新", 6, 7},
    {0, nullptr, 0, 0},
    {idBtnUtilities, "参数设置", 10, 11},
    {0, nullptr, 0, 0},
    {idBtnExit, "退出系统", 12, 13},
}};

const char* const kPageCaptions[TReceiveArea::kPageCount] = {"正在接收", "已接收", "回收站"};

HWND Toolbar(HWND parent, HFONT font, TReceiveArea& area) {
  // No WS_TABSTOP on any control of the area; the toolbar's buttons carry their
  // hints as texts that are shown only as tooltips (mixed buttons).
  HWND toolbar =
      CreateControl(TOOLBARCLASSNAMEW, L"",
                    WS_VISIBLE | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER | TBSTYLE_FLAT |
                        TBSTYLE_TOOLTIPS | TBSTYLE_LIST,
                    Bounds(0, 0, TReceiveArea::kWidth, TReceiveArea::kToolbarHeight), parent, idRzToolbar1);
  SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageW(toolbar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_MIXEDBUTTONS);
  SendMessageW(toolbar, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  const TPicture strip = LoadPicture(IDP_TOOLBAR);
  std::vector<int> normal, disabled;
  for (const TToolButton& button : kToolbar) {
    if (button.Id == 0) continue;
    normal.push_back(button.Normal);
    disabled.push_back(button.Disabled);
  }
  area.ImageList3 = ImageListFromStrip(strip, TReceiveArea::kToolbarPicture, normal);
  area.ImageList3Disabled = ImageListFromStrip(strip, TReceiveArea::kToolbarPicture, disabled);
  SendMessageW(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(area.ImageList3.Get()));
  SendMessageW(toolbar, TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(area.ImageList3Disabled.Get()));
  int picture = 0;
  for (const TToolButton& button : kToolbar) {
    TBBUTTON added{};
    if (button.Id == 0) {
      added.fsStyle = BTNS_SEP;
    } else {
      const std::wstring hint = Wide(Utf8ToCp936(button.Hint));
      added.iBitmap = picture++;
      added.idCommand = button.Id;
      added.fsState = TBSTATE_ENABLED;
      added.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE;
      added.iString =
          SendMessageW(toolbar, TB_ADDSTRINGW, 0, reinterpret_cast<LPARAM>((hint + L'\0').c_str()));
    }
    SendMessageW(toolbar, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&added));
  }
  return toolbar;
}

// A page control with tabs along the bottom, 18 pixels high, that never takes
// the focus; its sheets are panels laid over its display area.
HWND PageControl(HWND parent, int id, RECT bounds, HFONT font) {
  HWND pages = CreateControl(WC_TABCONTROLW, L"",
                             WS_VISIBLE | WS_CLIPCHILDREN | TCS_BOTTOM | TCS_FIXEDWIDTH | TCS_FOCUSNEVER,
                             bounds, parent, id);
  SendMessageW(pages, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendMessageW(pages, TCM_SETITEMSIZE, 0, MAKELPARAM(TReceiveArea::kTabWidth, TReceiveArea::kTabHeight));
  return pages;
}

std::unique_ptr<TPanel> AddSheet(HWND pages, int index, const char* caption) {
  const std::wstring text = Wide(Utf8ToCp936(caption));
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<wchar_t*>(text.c_str());
  SendMessageW(pages, TCM_INSERTITEMW, index, reinterpret_cast<LPARAM>(&item));
  RECT display;
  GetClientRect(pages, &display);
  SendMessageW(pages, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  return std::make_unique<TPanel>(pages, display, GetSysColor(COLOR_BTNFACE), false);
}

RECT ClientOf(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  return client;
}

}  // namespace

TReceiveArea TReceiveArea::Build(HWND window, HFONT font) {
  TReceiveArea area;
  area.Panel2 = std::make_unique<TPanel>(window, Bounds(kLeft, kTop, kWidth, kHeight),
                                         GetSysColor(COLOR_BTNFACE), false);
  const HWND panel = area.Panel2->Handle();
  area.RzToolbar1 = Toolbar(panel, font, area);

  const int pagesHeight = kHeight - kToolbarHeight - kInfoHeight;
  area.RzPgCtrl_Main =
      PageControl(panel, idRzPgCtrl_Main, Bounds(0, kToolbarHeight, kWidth, pagesHeight), font);
  area.RzTbSht_Download = AddSheet(area.RzPgCtrl_Main, kPageDownload, kPageCaptions[kPageDownload]);
  area.RzTbSht_Received = AddSheet(area.RzPgCtrl_Main, kPageReceived, kPageCaptions[kPageReceived]);
  area.RzTbSht_Recycle = AddSheet(area.RzPgCtrl_Main, kPageRecycle, kPageCaptions[kPageRecycle]);
  area.StringGrid1 = std::make_unique<TStringGrid>(
      area.RzTbSht_Download->Handle(), ClientOf(area.RzTbSht_Download->Handle()),
      std::vector<int>(kJobColumnWidths.begin(), kJobColumnWidths.end()), kRowHeight);
  area.StringGrid1->SetFont(font);

  area.PnlInfo = std::make_unique<TPanel>(panel, Bounds(0, kHeight - kInfoHeight, kWidth, kInfoHeight),
                                          GetSysColor(COLOR_BTNFACE), false);
  area.RzPgCtrl_Info =
      PageControl(area.PnlInfo->Handle(), idRzPgCtrl_Info, Bounds(0, 0, kWidth, kInfoHeight), font);
  area.RzTbSht_JobInfo = AddSheet(area.RzPgCtrl_Info, 0, "任务信息");
  ShowWindow(area.RzTbSht_JobInfo->Handle(), SW_SHOWNA);
  // A read-only box without border, vertical scroll bar only; its colour comes
  // from the window's answer to WM_CTLCOLORSTATIC.
  area.RzRchEdt_JobInfo = CreateControl(
      L"EDIT", L"", WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
      ClientOf(area.RzTbSht_JobInfo->Handle()), area.RzTbSht_JobInfo->Handle(), idRzRchEdt_JobInfo);
  SendMessageW(area.RzRchEdt_JobInfo, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  area.InfoBrush = TBrush(CreateSolidBrush(GetSysColor(COLOR_INFOBK)));

  area.PM1 = TMenu(CreatePopupMenu());
  AppendMenuW(area.PM1.Get(), MF_STRING, idN1, Wide(Cp("开始接收")).c_str());
  AppendMenuW(area.PM1.Get(), MF_STRING, idN2, Wide(Cp("停止接收")).c_str());

  area.ImageList2 = ImageListFromStrip(LoadPicture(IDP_STATUS), 16, {0, 1, 2, 3});

  ShowWindow(area.PnlInfo->Handle(), SW_SHOWNA);
  SendMessageW(area.RzPgCtrl_Main, TCM_SETCURSEL, kPageReceived, 0);
  area.ShowActiveSheet();
  ShowWindow(panel, SW_SHOWNA);
  EnableWindow(panel, FALSE);  // nothing of the hidden area takes the mouse or the keyboard
  return area;
}

int TReceiveArea::ActivePage() const {
  return static_cast<int>(SendMessageW(RzPgCtrl_Main, TCM_GETCURSEL, 0, 0));
}

HWND TReceiveArea::Sheet(int page) const {
  switch (page) {
    case kPageDownload:
      return RzTbSht_Download->Handle();
    case kPageReceived:
      return RzTbSht_Received->Handle();
    case kPageRecycle:
      return RzTbSht_Recycle->Handle();
    default:
      return nullptr;
  }
}

void TReceiveArea::ShowActiveSheet() const {
  const int active = ActivePage();
  for (int page = 0; page < kPageCount; ++page) ShowWindow(Sheet(page), page == active ? SW_SHOWNA : SW_HIDE);
}

RECT TReceiveArea::SheetClient() const {
  return ClientOf(RzTbSht_Download->Handle());
}

}  // namespace bailan
