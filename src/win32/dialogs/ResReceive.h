#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "receive/ResourceOffer.h"
#include "win32/common/Handles.h"
#include "win32/common/Window.h"

namespace bailan {

class TReceiveLists;

// The resource selection dialog "资源下载": a check-box list of offered resources;
// OK turns every ticked one into a pending record and a started download job of
// the receive window's lists, Cancel (or Escape) closes it with nothing taken
// over. Rows of download type "0" cannot be unticked. A row once taken over is
// drawn greyed and never taken over again, so that an OK after a failing row
// starts no resource twice.
class TFResReceive : public TWindow {
 public:
  static constexpr int kClientWidth = 588;
  static constexpr int kClientHeight = 392;
  // BitBtn1 and BitBtn2 carry the dialog ids, so that Enter and Escape press them.
  enum TControlId : int { idBitBtn1 = IDOK, idBitBtn2 = IDCANCEL, idListView1 = 101, idCheckBox1 };
  enum class TModalResult { None, OK, Cancel };

  // The dialog, hidden, owned by `owner` (the main window, which it centres on
  // when shown). `lists` is the receive window's model, shared with it: the
  // dialog appends to it and starts jobs in it. GUI thread only.
  TFResReceive(std::shared_ptr<TReceiveLists> lists, HWND owner);
  ~TFResReceive() override;

  HWND ListView1() const { return listView_; }
  HWND CheckBox1() const { return checkBox_; }
  HWND BitBtn1() const { return okButton_; }
  HWND BitBtn2() const { return cancelButton_; }

  // Appends a row for `resource`, not ticked unless it cannot be left out.
  void AddResource(const TOfferedResource& resource);
  bool RowTicked(int row) const;
  int RowCount() const { return static_cast<int>(rows_.size()); }

  // The folder under which every category gets its folder of received files:
  // "Download" in the program's folder unless set. Ends with PathDelim.
  const std::string& DownloadFolder() const { return downloadFolder_; }
  void SetDownloadFolder(const std::string& folder);

  // Shows the dialog modal to its owner, centred on it, until OK or Cancel
  // closes it; returns how it closed (Cancel also when the program is ending).
  TModalResult ShowModal();
  TModalResult ModalResult() const { return result_; }

  // Runs after OK added jobs (also when a later row failed), so that the
  // receiving grid shows their rows.
  std::function<void()> JobsAdded;

  void BitBtn1Click();
  void BitBtn2Click();
  void CheckBox1Click();

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  struct TRow {
    TOfferedResource Offer;
    bool TakenOver = false;
  };
  void CreateControls();
  void ListView1Change(int row, UINT changed);
  void SetRowTicked(int row, bool ticked) const;
  LRESULT ListView1CustomDraw(NMLVCUSTOMDRAW& draw) const;
  void CloseWith(TModalResult result);

  std::shared_ptr<TReceiveLists> lists_;
  HWND owner_;
  TFont font_;
  HWND listView_ = nullptr;  // the controls are owned by the dialog's window
  HWND checkBox_ = nullptr;
  HWND okButton_ = nullptr;
  HWND cancelButton_ = nullptr;
  std::vector<TRow> rows_;
  std::string downloadFolder_;
  TModalResult result_ = TModalResult::None;
};

}  // namespace bailan
