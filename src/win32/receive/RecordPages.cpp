#include "win32/receive/RecordPages.h"

#include <shellapi.h>

#include <utility>

#include "platform/Cp936.h"
#include "platform/FileSystem.h"
#include "receive/RecordRows.h"
#include "win32/common/MessageBox.h"
#include "win32/common/WideText.h"
#include "win32/receive/ReceiveArea.h"

namespace bailan {
namespace {

constexpr int kColumnWidths[kRecycleGridColumns] = {30, 120, 180, 80, 100, 120, 120, 120};
const char* const kHeaders[kRecycleGridColumns] = {"状态",     "发布时间", "资源名称", "资源大小",
                                                   "资源分类", "备注",     "接收时间", "删除时间"};

void OpenThroughShell(HWND owner, const std::string& path) {
  ShellExecuteW(owner, L"open", Wide(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

TRecordPages::TRecordPages(std::shared_ptr<TReceiveLists> lists, const TReceiveArea& area, HWND window,
                           HFONT font, std::function<void()> jobsChanged)
    : ShellOpen(&OpenThroughShell),
      lists_(std::move(lists)),
      window_(window),
      jobsChanged_(std::move(jobsChanged)),
      painter_{area.ImageList2.Get()} {
  StringGrid2 = AddGrid(TRecordPage::Received, area.RzTbSht_Received->Handle(), font);
  StringGrid3 = AddGrid(TRecordPage::Recycled, area.RzTbSht_Recycle->Handle(), font);
  StringGrid2->OnDblClick = [this] { pmiOpenClick(); };

  PM2 = TMenu(CreatePopupMenu());
  AppendMenuW(PM2.Get(), MF_STRING, idpmiOpen, Wide(Cp("打开")).c_str());
  AppendMenuW(PM2.Get(), MF_STRING, idpmiOpenDir, Wide(Cp("打开所在目录")).c_str());
  AppendMenuW(PM2.Get(), MF_SEPARATOR, 0, nullptr);  // N6
  AppendMenuW(PM2.Get(), MF_STRING, idpmiReReceive, Wide(Cp("重新接收")).c_str());
  AppendMenuW(PM2.Get(), MF_STRING, idpmiDelete, Wide(Cp("删除")).c_str());
  SetMenuDefaultItem(PM2.Get(), idpmiOpen, FALSE);
  PM3 = TMenu(CreatePopupMenu());
  AppendMenuW(PM3.Get(), MF_STRING, idN5, Wide(Cp("还原")).c_str());
}

std::unique_ptr<TStringGrid> TRecordPages::AddGrid(TRecordPage page, HWND sheet, HFONT font) {
  RECT client;
  GetClientRect(sheet, &client);
  const int columns = page == TRecordPage::Received ? kReceivedGridColumns : kRecycleGridColumns;
  auto grid = std::make_unique<TStringGrid>(
      sheet, client, std::vector<int>(kColumnWidths, kColumnWidths + columns), TReceiveArea::kRowHeight);
  grid->SetFont(font);
  const int icon = page == TRecordPage::Received ? kReceivedIcon : kRecycledIcon;
  TStringGrid* drawn = grid.get();
  grid->OnDrawCell = [this, page, icon, drawn](HDC dc, int column, int row, const TCellRect& rect,
                                               TGridCellState) {
    const std::string text = row == 0 ? Utf8ToCp936(kHeaders[column]) : lists_->PageCell(page, row, column);
    painter_.Draw(dc, *drawn, column, row, rect, text, row <= lists_->PageRecordCount(page) ? icon : -1);
  };
  grid->OnContextMenu = [this, page](POINT at) {
    TrackPopupMenu(page == TRecordPage::Received ? PM2.Get() : PM3.Get(), TPM_RIGHTBUTTON, at.x, at.y, 0,
                   window_, nullptr);
  };
  return grid;
}

TStringGrid& TRecordPages::Grid(TRecordPage page) const {
  return page == TRecordPage::Received ? *StringGrid2 : *StringGrid3;
}

void TRecordPages::Refresh(TRecordPage page) {
  Grid(page).SetRowCount(lists_->PageRowCount(page));
  Grid(page).Repaint();
}

void TRecordPages::RzPgCtrl_MainChange(int index) {
  if (index != TReceiveArea::kPageReceived && index != TReceiveArea::kPageRecycle) return;
  const TRecordPage page =
      index == TReceiveArea::kPageReceived ? TRecordPage::Received : TRecordPage::Recycled;
  lists_->FillPage(page);
  Refresh(page);
}

bool TRecordPages::HandleCommand(int id) {
  switch (id) {
    case idpmiOpen:
      pmiOpenClick();
      return true;
    case idpmiOpenDir:
      pmiOpenDirClick();
      return true;
    case idpmiReReceive:
      pmiReReceiveClick();
      return true;
    case idpmiDelete:
      pmiDeleteClick();
      return true;
    case idN5:
      N5Click();
      return true;
    default:
      return false;
  }
}

int TRecordPages::SelectedRecordRow(TRecordPage page) const {
  const int row = Grid(page).Row();
  return row >= 1 && row <= lists_->PageRecordCount(page) ? row : 0;
}

std::optional<TReceivedRec> TRecordPages::SelectedReceived() const {
  const int row = SelectedRecordRow(TRecordPage::Received);
  if (row == 0) return std::nullopt;
  return lists_->ReceivedList()[static_cast<std::size_t>(row - 1)];  // only this thread takes records out
}

bool TRecordPages::Confirm(const char* question) const {
  return ShowMessageBox({window_, Utf8ToCp936(question), Cp("确认信息"), TMessageIcon::Question, mbYes | mbNo,
                         mbYes}) == mbYes;
}

void TRecordPages::pmiOpenClick() {
  const std::optional<TReceivedRec> record = SelectedReceived();
  if (!record) return;
  const std::string path = ReceivedFilePath(*record);
  if (FileExists(path)) {
    ShellOpen(window_, path);
  } else {
    ShowMessageBox({window_, Cp("资源文件已经被移除！"), Cp("警告信息"), TMessageIcon::Warning, mbOK, mbOK});
  }
}

void TRecordPages::pmiOpenDirClick() {
  if (const std::optional<TReceivedRec> record = SelectedReceived())
    ShellOpen(window_, record->SavePath.Get());
}

// The row is taken before the question: the answer applies to the record asked
// about, whatever the grid shows when the box closes.
void TRecordPages::pmiReReceiveClick() {
  const int row = SelectedRecordRow(TRecordPage::Received);
  if (row == 0 || !Confirm("是否确定重新接收此资源？")) return;
  lists_->ReceiveAgain(row - 1);
  Refresh(TRecordPage::Received);
  if (jobsChanged_) jobsChanged_();
}

void TRecordPages::pmiDeleteClick() {
  const int row = SelectedRecordRow(TRecordPage::Received);
  if (row == 0 || !Confirm("是否确定删除此资源？")) return;
  lists_->DeleteReceived(row - 1);
  Refresh(TRecordPage::Received);
}

void TRecordPages::N5Click() {
  const int row = SelectedRecordRow(TRecordPage::Recycled);
  if (row == 0 || !Confirm("是否确定还原此资源？")) return;
  lists_->RestoreRecycled(row - 1);
  Refresh(TRecordPage::Recycled);
}

}  // namespace bailan
