#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "receive/ResourceRecords.h"

#include "receive/ResourceOffer.h"

class QTreeWidgetItem;
namespace Ui {
class TFResReceive;
}

namespace bailan {

class TReceiveLists;

// The resource selection dialog: a check-box list of offered resources; OK turns
// every ticked one into a pending record and a started download job of the
// receive window's lists.
class TFResReceive : public QDialog {
  Q_OBJECT

 public:
  // What changed in a row of the list.
  enum class TItemChange { Text, Image, State };

  // `lists` is the receive window's model, shared with it; the dialog appends to
  // it and starts jobs in it. `parent` is the main window that the dialog centres
  // on and that owns it (Qt parent). Created and used on the GUI thread only.
  explicit TFResReceive(std::shared_ptr<TReceiveLists> lists, QWidget* parent = nullptr);
  ~TFResReceive() override;
  TFResReceive(const TFResReceive&) = delete;
  TFResReceive& operator=(const TFResReceive&) = delete;

  // Appends a row for `resource`, not ticked unless it cannot be left out.
  void AddResource(const TOfferedResource& resource);

  // The folder under which every category gets its folder of received files:
  // "Download" in the program's folder unless set. Ends with PathDelim.
  const std::string& DownloadFolder() const { return downloadFolder_; }
  void SetDownloadFolder(std::string folder);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BitBtn1Click();
  void BitBtn2Click();
  void CheckBox1Click();
  void ListView1Change(QTreeWidgetItem* item, TItemChange change);

  void ConnectListChanges();
  void AnchorControls();
  // The pending record of one ticked row; raises an error before anything is
  // appended when the row cannot be taken over.
  TResourceRec RecordFromRow(const QTreeWidgetItem& row) const;

  std::unique_ptr<Ui::TFResReceive> ui;
  std::shared_ptr<TReceiveLists> lists_;
  std::string downloadFolder_;
};

}  // namespace bailan
