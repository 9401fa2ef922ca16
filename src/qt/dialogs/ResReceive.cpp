#include "qt/dialogs/ResReceive.h"

#include <QCoreApplication>
#include <QFont>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStyle>
#include <array>
#include <utility>

#include "platform/Cp936.h"
#include "platform/DateTime.h"
#include "platform/Exception.h"
#include "platform/Path.h"
#include "qt/installer/MessageBox.h"
#include "qt/installer/QtText.h"
#include "receive/ReceiveLists.h"
#include "ui_ResReceive.h"

namespace bailan {
namespace {

// Columns of ListView1: the row's caption, then its sub-items 0 to 6.
enum TColumn : int { kName, kCategory, kPushTime, kWho, kRemark, kUrl, kDownloadType, kId, kColumnCount };
constexpr std::array<int, kColumnCount> kColumnWidths = {200, 100, 120, 80, 200, 0, 0, 0};

constexpr int kFontPixels = 12;

// The design's client area; the anchors keep the controls' distances to the
// edges they are anchored on when it changes.
constexpr QSize kDesignClient(588, 392);
constexpr QRect kListRect(8, 8, 572, 345);
constexpr QPoint kCheckBoxPos(16, 360);
constexpr QPoint kOkPos(406, 360);
constexpr QPoint kCancelPos(486, 360);

// Each cell keeps the caller's CP936 bytes beside the text it shows, so that
// taking a row over reads back exactly what was offered.
constexpr int kBytesRole = Qt::UserRole;
// Set on a row whose record and job exist: after a failure further down the list
// the dialog stays open, and a second OK must not start the same resource twice
// (two jobs would write one partial file at once).
constexpr int kTakenOverRole = Qt::UserRole + 1;

std::string CellBytes(const QTreeWidgetItem& row, int column) {
  return row.data(column, kBytesRole).toByteArray().toStdString();
}

void SetCell(QTreeWidgetItem& row, int column, const std::string& bytes) {
  row.setText(column, ToQString(bytes));
  row.setData(column, kBytesRole, QByteArray::fromStdString(bytes));
}

bool IsMandatory(const QTreeWidgetItem& row) {
  return row.columnCount() >= kColumnCount && IsMandatoryOffer(CellBytes(row, kDownloadType));
}

}  // namespace

TFResReceive::TFResReceive(std::shared_ptr<TReceiveLists> lists, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TFResReceive>()), lists_(std::move(lists)) {
  ui->setupUi(this);
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(kDesignClient);
  QFont font(QStringLiteral("宋体"));
  font.setPixelSize(kFontPixels);
  setFont(font);

  QHeaderView* header = ui->ListView1->header();
  header->setMinimumSectionSize(0);  // the hidden columns are 0 wide
  header->setStretchLastSection(false);
  for (int column = 0; column < kColumnCount; ++column)
    ui->ListView1->setColumnWidth(column, kColumnWidths[column]);

  SetDownloadFolder(OfferDownloadFolder(FromQString(QCoreApplication::applicationDirPath())));
  auto wire = [this](auto* control, auto signal, void (TFResReceive::*handler)()) {
    connect(control, signal, this,
            [this, handler] { RunHandler(this, [this, handler] { (this->*handler)(); }); });
  };
  wire(ui->BitBtn1, &QPushButton::clicked, &TFResReceive::BitBtn1Click);
  wire(ui->BitBtn2, &QPushButton::clicked, &TFResReceive::BitBtn2Click);
  wire(ui->CheckBox1, &QCheckBox::clicked, &TFResReceive::CheckBox1Click);
  ConnectListChanges();
}

TFResReceive::~TFResReceive() = default;

void TFResReceive::SetDownloadFolder(std::string folder) {
  downloadFolder_ = IncludeTrailingPathDelimiter(folder);
}

void TFResReceive::ConnectListChanges() {
  QTreeWidget* list = ui->ListView1;
  auto changeRows = [this, list](int first, int last, TItemChange change) {
    for (int row = first; row <= last; ++row) ListView1Change(list->topLevelItem(row), change);
  };
  connect(list->model(), &QAbstractItemModel::dataChanged, this,
          [changeRows](const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles) {
            TItemChange change = TItemChange::Text;
            if (roles.isEmpty() || roles.contains(Qt::CheckStateRole)) {
              change = TItemChange::State;
            } else if (roles.contains(Qt::DecorationRole)) {
              change = TItemChange::Image;
            }
            changeRows(topLeft.row(), bottomRight.row(), change);
          });
  // Selection and focus are state changes of a row too.
  connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [changeRows](const QItemSelection& selected, const QItemSelection& deselected) {
            for (const QItemSelection& selection : {selected, deselected}) {
              for (const QItemSelectionRange& range : selection)
                changeRows(range.top(), range.bottom(), TItemChange::State);
            }
          });
  connect(list->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [changeRows](const QModelIndex& current, const QModelIndex& previous) {
            for (const QModelIndex& index : {current, previous}) {
              if (index.isValid()) changeRows(index.row(), index.row(), TItemChange::State);
            }
          });
}

void TFResReceive::AddResource(const TOfferedResource& resource) {
  auto row = std::make_unique<QTreeWidgetItem>();
  const std::array<const std::string*, kColumnCount> texts = {
      &resource.Name,   &resource.Category, &resource.PushTime,     &resource.Who,
      &resource.Remark, &resource.URL,      &resource.DownloadType, &resource.ID};
  for (int column = 0; column < kColumnCount; ++column) SetCell(*row, column, *texts[column]);
  row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
  row->setCheckState(kName, Qt::Unchecked);
  QTreeWidgetItem* added = row.release();
  ui->ListView1->addTopLevelItem(added);  // the list owns the row from here
  // The new row's check box takes its state once every sub-item is in place, so
  // a resource that cannot be left out enters ticked.
  ListView1Change(added, TItemChange::State);
}

void TFResReceive::ListView1Change(QTreeWidgetItem* item, TItemChange change) {
  if (item == nullptr || change != TItemChange::State || !IsMandatory(*item)) return;
  if (item->checkState(kName) != Qt::Checked) item->setCheckState(kName, Qt::Checked);
}

void TFResReceive::CheckBox1Click() {
  const Qt::CheckState state = ui->CheckBox1->isChecked() ? Qt::Checked : Qt::Unchecked;
  for (int row = 0; row < ui->ListView1->topLevelItemCount(); ++row)
    ui->ListView1->topLevelItem(row)->setCheckState(kName, state);
}

TResourceRec TFResReceive::RecordFromRow(const QTreeWidgetItem& row) const {
  TOfferedResource offer;
  offer.Name = CellBytes(row, kName);
  offer.Category = CellBytes(row, kCategory);
  offer.PushTime = CellBytes(row, kPushTime);
  offer.Remark = CellBytes(row, kRemark);
  offer.URL = CellBytes(row, kUrl);
  return RecordFromOffer(offer, downloadFolder_);
}

void TFResReceive::BitBtn1Click() {
  for (int index = 0; index < ui->ListView1->topLevelItemCount(); ++index) {
    QTreeWidgetItem& row = *ui->ListView1->topLevelItem(index);
    if (row.checkState(kName) != Qt::Checked || row.data(kName, kTakenOverRole).toBool()) continue;
    try {
      lists_->AddPendingJob(RecordFromRow(row), true);
      row.setData(kName, kTakenOverRole, true);
      row.setFlags(row.flags() & ~Qt::ItemIsEnabled);  // shown greyed, its tick fixed
    } catch (const Exception& error) {
      // The rows before this one keep their records and jobs; the dialog stays.
      ShowMessageBox({this, ToQString(Cp("获取资源时出错：") + error.Message()), Ui("错误信息"),
                      TMessageIcon::Error, mbOK, mbOK});
      return;
    }
  }
  accept();
}

void TFResReceive::BitBtn2Click() {
  reject();
}

void TFResReceive::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    ui->BitBtn2->click();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TFResReceive::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  AnchorControls();
}

void TFResReceive::AnchorControls() {
  const QSize grown = size() - kDesignClient;
  ui->ListView1->setGeometry(kListRect.adjusted(0, 0, grown.width(), grown.height()));
  ui->CheckBox1->move(kCheckBoxPos + QPoint(0, grown.height()));
  ui->BitBtn1->move(kOkPos + QPoint(grown.width(), grown.height()));
  ui->BitBtn2->move(kCancelPos + QPoint(grown.width(), grown.height()));
}

void TFResReceive::showEvent(QShowEvent* event) {
  // The button glyphs come from the icon theme, whose first look-up reads the
  // theme's index: a cost the installer, which creates the dialog hidden at its
  // start, would pay before its window's first frame.
  if (ui->BitBtn1->icon().isNull()) {
    ui->BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    ui->BitBtn2->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
  }
  if (QWidget* owner = parentWidget()) {
    const QWidget* main = owner->window();
    move(main->frameGeometry().center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
  }
  QDialog::showEvent(event);
}

}  // namespace bailan
