// The Win32 resource selection dialog under Wine: its look, the mandatory rows,
// and the OK paths with their records, jobs and error box.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <vector>

#include "WindowTestSupport.h"
#include "engine/DownloadJob.h"
#include "platform/Cp936.h"
#include "receive/ReceiveLists.h"
#include "support/TempDir.h"
#include "win32/common/MessageBox.h"
#include "win32/common/WideText.h"
#include "win32/dialogs/ResReceive.h"

namespace bailan {
namespace {

TOfferedResource Offer(const std::string& name, const std::string& type = "1",
                       const std::string& pushTime = "2012-03-07 09:05:02",
                       const std::string& category = "docs") {
  // Nothing listens at port 1: a started job ends at once.
  return {name, category, pushTime, "who", "remark of " + name, "http://127.0.0.1:1/" + name + ".zip",
          type, "7"};
}

class TFResReceiveTest : public ::testing::Test {
 protected:
  test::TTempDir dir;
  std::shared_ptr<TReceiveLists> lists = TReceiveLists::Create();
  HWND owner = nullptr;
  std::unique_ptr<TFResReceive> dialog;
  test::TBoxes boxes;
  int jobsAdded = 0;

  void SetUp() override {
    owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 100, 100, 624, 360, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    dialog = std::make_unique<TFResReceive>(lists, owner);
    dialog->SetDownloadFolder(Utf8ToCp936(dir.Path()));
    dialog->JobsAdded = [this] { ++jobsAdded; };
  }
  void TearDown() override {
    dialog.reset();
    DestroyWindow(owner);
    for (const auto& job : lists->ReleaseJobs()) {
      job->RequestStop();
      EXPECT_TRUE(job->WaitUntilIdle(20000));
    }
  }
  // A click on a row's check box, as the list view reports it.
  void ToggleRow(int row) {
    LVITEMW item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(dialog->RowTicked(row) ? 1 : 2);
    SendMessageW(dialog->ListView1(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
  }
  void ClickOk() { SendMessageW(dialog->BitBtn1(), BM_CLICK, 0, 0); }
};

TEST_F(TFResReceiveTest, StartsHiddenAtItsFixedSize) {
  EXPECT_FALSE(IsWindowVisible(dialog->Handle()));
  EXPECT_EQ(WindowText(dialog->Handle()), Cp("资源下载"));
  RECT client;
  GetClientRect(dialog->Handle(), &client);
  EXPECT_EQ(client.right, 588);
  EXPECT_EQ(client.bottom, 392);
  EXPECT_EQ(GetWindowLongW(dialog->Handle(), GWL_STYLE) & WS_THICKFRAME, 0);  // not resizable
  EXPECT_EQ(SendMessageW(dialog->CheckBox1(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(TFResReceiveTest, RowsOfDownloadTypeZeroStayTicked) {
  dialog->AddResource(Offer("a"));
  dialog->AddResource(Offer("must", "0"));
  dialog->AddResource(Offer("b", "00"));  // only exactly "0" is mandatory
  const struct {
    const char* What;
    std::function<void()> Act;
    bool Want[3];
  } steps[] = {
      {"as added", [] {}, {false, true, false}},
      {"clicking the mandatory row's box", [this] { ToggleRow(1); }, {false, true, false}},
      {"clicking another row's box", [this] { ToggleRow(0); }, {true, true, false}},
      {"全选 ticked", [this] { SendMessageW(dialog->CheckBox1(), BM_CLICK, 0, 0); }, {true, true, true}},
      {"全选 cleared", [this] { SendMessageW(dialog->CheckBox1(), BM_CLICK, 0, 0); }, {false, true, false}},
  };
  for (const auto& step : steps) {
    step.Act();
    for (int row = 0; row < 3; ++row)
      EXPECT_EQ(dialog->RowTicked(row), step.Want[row]) << step.What << " " << row;
  }
}

TEST_F(TFResReceiveTest, OkTakesOverTheTickedRowsInOrder) {
  const struct {
    const char* What;
    std::vector<TOfferedResource> Offers;
    std::vector<int> Ticked;
    std::vector<std::string> Names;  // of the records appended
  } cases[] = {
      {"nothing ticked", {Offer("a"), Offer("b")}, {}, {}},
      {"two of three", {Offer("a"), Offer("b"), Offer("c")}, {0, 2}, {"a", "c"}},
      {"a mandatory row", {Offer("a"), Offer("m", "0")}, {}, {"m"}},
  };
  for (const auto& c : cases) {
    TearDown();
    lists = TReceiveLists::Create();
    jobsAdded = 0;
    SetUp();
    for (const auto& offer : c.Offers) dialog->AddResource(offer);
    for (int row : c.Ticked) ToggleRow(row);
    ClickOk();
    EXPECT_EQ(dialog->ModalResult(), TFResReceive::TModalResult::OK) << c.What;
    const auto pending = lists->PendingList();
    ASSERT_EQ(pending.size(), c.Names.size()) << c.What;
    EXPECT_EQ(jobsAdded, c.Names.empty() ? 0 : 1) << c.What;
    for (std::size_t i = 0; i < pending.size(); ++i) {
      EXPECT_EQ(pending[i].Name.Get(), c.Names[i]);
      EXPECT_EQ(pending[i].Remark.Get(), "remark of " + c.Names[i]);
      EXPECT_EQ(pending[i].SavePath.Get(), Utf8ToCp936(dir.Path()) + "\\docs");
      EXPECT_EQ(pending[i].SegCount, 3);
      EXPECT_EQ(lists->JobList()[i]->SegCount, 3);
      EXPECT_EQ(lists->JobList()[i]->URL, "http://127.0.0.1:1/" + c.Names[i] + ".zip");
    }
    EXPECT_TRUE(boxes.Shown.empty()) << c.What;
  }
}

TEST_F(TFResReceiveTest, ARefusedRowShowsTheBoxKeepsTheDialogAndASecondOkStartsNothingTwice) {
  const struct {
    const char* What;
    TOfferedResource Bad;
  } cases[] = {
      {"a push time that does not parse", Offer("bad", "1", "not a time")},
      {"a category that climbs out", Offer("bad", "1", "2012-03-07 09:05:02", "..")},
      {"a category naming a subfolder", Offer("bad", "1", "2012-03-07 09:05:02", "a\\b")},
  };
  for (const auto& c : cases) {
    TearDown();
    lists = TReceiveLists::Create();
    boxes.Shown.clear();
    SetUp();
    dialog->AddResource(Offer("first"));
    dialog->AddResource(c.Bad);
    dialog->AddResource(Offer("last"));
    SendMessageW(dialog->CheckBox1(), BM_CLICK, 0, 0);  // all ticked
    ClickOk();
    ASSERT_EQ(boxes.Shown.size(), 1u) << c.What;
    EXPECT_EQ(boxes.Shown[0].Text.rfind(Cp("获取资源时出错："), 0), 0u) << c.What;
    EXPECT_GT(boxes.Shown[0].Text.size(), Cp("获取资源时出错：").size()) << c.What;  // with the reason
    EXPECT_EQ(boxes.Shown[0].Caption, Cp("错误信息"));
    EXPECT_EQ(boxes.Shown[0].Icon, TMessageIcon::Error);
    EXPECT_EQ(boxes.Shown[0].Owner, dialog->Handle());
    EXPECT_EQ(dialog->ModalResult(), TFResReceive::TModalResult::None) << c.What;  // the dialog stays
    EXPECT_EQ(lists->PendingCount(), 1) << c.What;  // the row before keeps its record and job
    EXPECT_EQ(lists->JobCount(), 1) << c.What;
    ClickOk();  // the same failure; "first" is not started again
    EXPECT_EQ(boxes.Shown.size(), 2u) << c.What;
    EXPECT_EQ(lists->JobCount(), 1) << c.What;
    ToggleRow(1);  // leave the refused row out
    ClickOk();
    EXPECT_EQ(dialog->ModalResult(), TFResReceive::TModalResult::OK) << c.What;
    const auto pending = lists->PendingList();
    ASSERT_EQ(pending.size(), 2u) << c.What;
    EXPECT_EQ(pending[0].Name.Get(), "first");
    EXPECT_EQ(pending[1].Name.Get(), "last");
    EXPECT_TRUE(dialog->RowTicked(0));  // a row taken over keeps its tick
    ToggleRow(0);
    EXPECT_TRUE(dialog->RowTicked(0));
  }
}

TEST_F(TFResReceiveTest, ShownModalItClosesWithEscapeOrOk) {
  dialog->AddResource(Offer("a"));
  // Escape reaches the dialog through its modal loop and presses Cancel.
  PostMessageW(dialog->ListView1(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(dialog->ShowModal(), TFResReceive::TModalResult::Cancel);
  EXPECT_FALSE(IsWindowVisible(dialog->Handle()));
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(lists->PendingCount(), 0);
  ToggleRow(0);
  PostMessageW(dialog->BitBtn1(), BM_CLICK, 0, 0);
  EXPECT_EQ(dialog->ShowModal(), TFResReceive::TModalResult::OK);
  EXPECT_EQ(lists->PendingCount(), 1);
  EXPECT_TRUE(IsWindowEnabled(owner));
}

}  // namespace
}  // namespace bailan
