#include "win32/dialogs/ResReceive.h"

#include <commctrl.h>

#include <array>

#include "platform/Cp936.h"
#include "platform/Exception.h"
#include "platform/Path.h"
#include "receive/ReceiveLists.h"
#include "win32/common/Fonts.h"
#include "win32/common/MessageBox.h"
#include "win32/common/WideText.h"

namespace bailan {
namespace {

constexpr int kFontPixels = 12;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;  // a fixed dialog border
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

struct TColumn {
  const char* Caption;
  int Width;
};
// The row's caption, then its sub-items 0 to 6; the last three are hidden.
constexpr std::array<TColumn, 8> kColumns = {{{"推送资源名称", 200},
                                              {"资源分类", 100},
                                              {"推送时间", 120},
                                              {"推送人", 80},
                                              {"备注", 200},
                                              {"下载地址", 0},
                                              {"下载类型", 0},
                                              {"ID", 0}}};

std::array<const std::string*, 8> CellsOf(const TOfferedResource& offer) {
  return {&offer.Name,   &offer.Category, &offer.PushTime,     &offer.Who,
          &offer.Remark, &offer.URL,      &offer.DownloadType, &offer.ID};
}

std::string ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return ExtractFilePath(Narrow(path));
}

RECT WindowBoundsFor(int clientWidth, int clientHeight) {
  RECT bounds{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&bounds, kStyle, FALSE, kExStyle);
  return Bounds(0, 0, Width(bounds), Height(bounds));
}

}  // namespace

TFResReceive::TFResReceive(std::shared_ptr<TReceiveLists> lists, HWND owner)
    : lists_(std::move(lists)), owner_(owner), font_(CreateUiFont(Cp("宋体"), kFontPixels)) {
  CreateHandle({L"TFResReceive", kStyle, kExStyle, WindowBoundsFor(kClientWidth, kClientHeight), owner, 0,
                Wide(Cp("资源下载")), nullptr});
  CreateControls();
  SetDownloadFolder(OfferDownloadFolder(ProgramFolder()));
}

TFResReceive::~TFResReceive() {
  // A dialog that goes while shown gives its owner back its input.
  if (result_ == TModalResult::None && IsWindowVisible(Handle())) EnableWindow(owner_, TRUE);
}

void TFResReceive::CreateControls() {
  const HWND dialog = Handle();
  const auto setFont = [this](HWND control) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    return control;
  };
  listView_ = setFont(CreateControl(WC_LISTVIEWW, L"",
                                    WS_VISIBLE | WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS,
                                    Bounds(8, 8, 572, 345), dialog, idListView1));
  SendMessageW(listView_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
               LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  for (std::size_t column = 0; column < kColumns.size(); ++column) {
    const std::wstring caption = Wide(Utf8ToCp936(kColumns[column].Caption));
    LVCOLUMNW added{};
    added.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    added.pszText = const_cast<wchar_t*>(caption.c_str());
    added.cx = kColumns[column].Width;
    added.iSubItem = static_cast<int>(column);
    SendMessageW(listView_, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&added));
  }
  checkBox_ = setFont(CreateControl(L"BUTTON", Wide(Cp("全选")), WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX,
                                    Bounds(16, 360, 50, 17), dialog, idCheckBox1));
  okButton_ =
      setFont(CreateControl(L"BUTTON", Wide(Cp("确定(&O)")), WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                            Bounds(406, 360, 75, 25), dialog, idBitBtn1));
  cancelButton_ =
      setFont(CreateControl(L"BUTTON", Wide(Cp("取消(&C)")), WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                            Bounds(486, 360, 75, 25), dialog, idBitBtn2));
}

void TFResReceive::SetDownloadFolder(const std::string& folder) {
  downloadFolder_ = IncludeTrailingPathDelimiter(folder);
}

void TFResReceive::AddResource(const TOfferedResource& resource) {
  const int row = RowCount();
  rows_.push_back({resource});
  const auto cells = CellsOf(rows_.back().Offer);
  const std::wstring name = Wide(*cells[0]);
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.pszText = const_cast<wchar_t*>(name.c_str());
  SendMessageW(listView_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  for (std::size_t column = 1; column < cells.size(); ++column) {
    const std::wstring text = Wide(*cells[column]);
    LVITEMW sub{};
    sub.iSubItem = static_cast<int>(column);
    sub.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(listView_, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&sub));
  }
  // The row takes its tick once every sub-item is in place, so that a resource
  // that cannot be left out enters ticked.
  ListView1Change(row, LVIF_STATE);
}

bool TFResReceive::RowTicked(int row) const {
  const auto state = SendMessageW(listView_, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK);
  return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;  // state picture 2 is the tick
}

void TFResReceive::SetRowTicked(int row, bool ticked) const {
  LVITEMW item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(ticked ? 2 : 1);
  SendMessageW(listView_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

void TFResReceive::ListView1Change(int row, UINT changed) {
  if (row < 0 || row >= RowCount() || !(changed & LVIF_STATE)) return;
  const TRow& entry = rows_[static_cast<std::size_t>(row)];
  if ((IsMandatoryOffer(entry.Offer.DownloadType) || entry.TakenOver) && !RowTicked(row))
    SetRowTicked(row, true);
}

void TFResReceive::CheckBox1Click() {
  const bool ticked = SendMessageW(checkBox_, BM_GETCHECK, 0, 0) == BST_CHECKED;
  for (int row = 0; row < RowCount(); ++row) SetRowTicked(row, ticked);
}

void TFResReceive::BitBtn1Click() {
  bool added = false;
  for (int row = 0; row < RowCount(); ++row) {
    TRow& entry = rows_[static_cast<std::size_t>(row)];
    if (!RowTicked(row) || entry.TakenOver) continue;
    try {
      // Checked whole before anything is appended: a refused row leaves the
      // lists as they were.
      lists_->AddPendingJob(RecordFromOffer(entry.Offer, downloadFolder_), true);
    } catch (const Exception& error) {
      // The rows before this one keep their records and jobs; the dialog stays.
      if (added && JobsAdded) JobsAdded();
      ShowMessageBox({Handle(), Cp("获取资源时出错：") + error.Message(), Cp("错误信息"), TMessageIcon::Error,
                      mbOK, mbOK});
      return;
    }
    entry.TakenOver = true;
    added = true;
    SendMessageW(listView_, LVM_REDRAWITEMS, row, row);
  }
  if (added && JobsAdded) JobsAdded();
  CloseWith(TModalResult::OK);
}

void TFResReceive::BitBtn2Click() {
  CloseWith(TModalResult::Cancel);
}

void TFResReceive::CloseWith(TModalResult result) {
  result_ = result;
  if (IsWindowVisible(Handle()))
    EnableWindow(owner_, TRUE);  // before hiding, so the owner gets the focus back
  ShowWindow(Handle(), SW_HIDE);
}

TFResReceive::TModalResult TFResReceive::ShowModal() {
  result_ = TModalResult::None;
  RECT owner{}, dialog{};
  GetWindowRect(owner_ != nullptr ? owner_ : GetDesktopWindow(), &owner);
  GetWindowRect(Handle(), &dialog);
  SetWindowPos(Handle(), nullptr, owner.left + (Width(owner) - Width(dialog)) / 2,
               owner.top + (Height(owner) - Height(dialog)) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  EnableWindow(owner_, FALSE);
  ShowWindow(Handle(), SW_SHOW);
  MSG message;
  while (result_ == TModalResult::None) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) {
      // The program is ending: the outer loop must see its quit message too.
      if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
      CloseWith(TModalResult::Cancel);
      break;
    }
    if (!IsDialogMessageW(Handle(), &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return result_;
}

LRESULT TFResReceive::ListView1CustomDraw(NMLVCUSTOMDRAW& draw) const {
  if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
  if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
    const auto row = static_cast<std::size_t>(draw.nmcd.dwItemSpec);
    if (row < rows_.size() && rows_[row].TakenOver) {
      draw.clrText = GetSysColor(COLOR_GRAYTEXT);
    }
  }
  return CDRF_DODEFAULT;
}

LRESULT TFResReceive::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case idBitBtn1:
          BitBtn1Click();
          return 0;
        case idBitBtn2:
          BitBtn2Click();
          return 0;
        case idCheckBox1:
          if (HIWORD(wParam) == BN_CLICKED) CheckBox1Click();
          return 0;
        default:
          break;
      }
      break;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom != static_cast<UINT_PTR>(idListView1)) break;
      if (header->code == LVN_ITEMCHANGED) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
        ListView1Change(change->iItem, change->uChanged);
        return 0;
      }
      if (header->code == NM_CUSTOMDRAW)
        return ListView1CustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
      break;
    }
    case WM_CLOSE:  // the caption's close button: as Cancel
      BitBtn2Click();
      return 0;
    default:
      break;
  }
  return TWindow::HandleMessage(message, wParam, lParam);
}

}  // namespace bailan
