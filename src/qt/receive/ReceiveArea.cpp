#include "qt/receive/ReceiveArea.h"

#include <QAction>
#include <QFrame>
#include <QHeaderView>
#include <QIcon>
#include <QMenu>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>
#include <QToolBar>
#include <QVBoxLayout>

#include "qt/installer/PictureStrip.h"
#include "qt/installer/QtText.h"

namespace bailan {
namespace {

constexpr QSize kToolbarPicture(16, 16);

QIcon ToolbarIcon(int normal, int disabled) {
  QIcon icon;
  icon.addPixmap(PictureSlot(":/assets/toolbar.png", normal, kToolbarPicture), QIcon::Normal);
  icon.addPixmap(PictureSlot(":/assets/toolbar.png", disabled, kToolbarPicture), QIcon::Disabled);
  return icon;
}

QAction* AddButton(QToolBar* toolbar, const char* name, const char* hint, int normal, int disabled) {
  QAction* action = toolbar->addAction(ToolbarIcon(normal, disabled), Ui(hint));
  action->setObjectName(name);
  action->setToolTip(Ui(hint));
  return action;
}

void AddSpacer(QToolBar* toolbar, const char* name) {
  toolbar->addSeparator()->setObjectName(name);
}

QWidget* AddPage(QTabWidget* pages, const char* name, const char* caption) {
  auto* page = new QWidget;
  page->setObjectName(name);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  pages->addTab(page, Ui(caption));
  return page;
}

QTabWidget* PageControl(const char* name) {
  auto* pages = new QTabWidget;
  pages->setObjectName(name);
  pages->setTabPosition(QTabWidget::South);
  pages->setDocumentMode(true);
  pages->setStyleSheet(QStringLiteral("QTabBar::tab { height: 18px; border-radius: 3px; padding: 0 8px; }"));
  return pages;
}

}  // namespace

TReceiveArea TReceiveArea::Build(QWidget* window) {
  TReceiveArea area;
  area.Panel2 = new QFrame(window);
  area.Panel2->setObjectName("Panel2");
  area.Panel2->setFrameShape(QFrame::NoFrame);
  area.Panel2->setGeometry(kLeft, kTop, kWidth, kHeight);
  auto* layout = new QVBoxLayout(area.Panel2);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  area.RzToolbar1 = new QToolBar;
  area.RzToolbar1->setObjectName("RzToolbar1");
  area.RzToolbar1->setFixedHeight(kToolbarHeight);
  area.RzToolbar1->setIconSize(kToolbarPicture);
  area.BtnPlay = AddButton(area.RzToolbar1, "BtnPlay", "开始接收所有资源", 0, 1);
  area.BtnPause = AddButton(area.RzToolbar1, "BtnPause", "暂停所有正在接收的资源", 14, 15);
  AddSpacer(area.RzToolbar1, "RzSpacer1");
  area.BtnPrintPreview = AddButton(area.RzToolbar1, "BtnPrintPreview", "检查资源更新", 6, 7);
  AddSpacer(area.RzToolbar1, "RzSpacer2");
  area.BtnUtilities = AddButton(area.RzToolbar1, "BtnUtilities", "参数设置", 10, 11);
  AddSpacer(area.RzToolbar1, "RzSpacer3");
  area.BtnExit = AddButton(area.RzToolbar1, "BtnExit", "退出系统", 12, 13);
  layout->addWidget(area.RzToolbar1);

  area.RzPgCtrl_Main = PageControl("RzPgCtrl_Main");
  area.RzTbSht_Download = AddPage(area.RzPgCtrl_Main, "RzTbSht_Download", "正在接收");
  area.RzTbSht_Received = AddPage(area.RzPgCtrl_Main, "RzTbSht_Received", "已接收");
  area.RzTbSht_Recycle = AddPage(area.RzPgCtrl_Main, "RzTbSht_Recycle", "回收站");
  layout->addWidget(area.RzPgCtrl_Main, 1);

  area.StringGrid1 = new QTableView;
  area.StringGrid1->setObjectName("StringGrid1");
  area.StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
  area.StringGrid1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  area.StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  area.StringGrid1->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  area.StringGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
  area.StringGrid1->setFrameShape(QFrame::NoFrame);
  area.StringGrid1->verticalHeader()->hide();
  area.StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  area.StringGrid1->horizontalHeader()->setHighlightSections(false);
  area.RzTbSht_Download->layout()->addWidget(area.StringGrid1);

  area.PnlInfo = new QFrame;
  area.PnlInfo->setObjectName("PnlInfo");
  area.PnlInfo->setFixedHeight(kInfoHeight);
  auto* infoLayout = new QVBoxLayout(area.PnlInfo);
  infoLayout->setContentsMargins(0, 0, 0, 0);
  area.RzPgCtrl_Info = PageControl("RzPgCtrl_Info");
  area.RzTbSht_JobInfo = AddPage(area.RzPgCtrl_Info, "RzTbSht_JobInfo", "任务信息");
  area.RzRchEdt_JobInfo = new QTextEdit;
  area.RzRchEdt_JobInfo->setObjectName("RzRchEdt_JobInfo");
  area.RzRchEdt_JobInfo->setReadOnly(true);
  area.RzRchEdt_JobInfo->setFrameShape(QFrame::NoFrame);
  area.RzRchEdt_JobInfo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  area.RzRchEdt_JobInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QPalette tooltip = area.RzRchEdt_JobInfo->palette();
  tooltip.setColor(QPalette::Base, tooltip.color(QPalette::ToolTipBase));
  area.RzRchEdt_JobInfo->setPalette(tooltip);
  area.RzTbSht_JobInfo->layout()->addWidget(area.RzRchEdt_JobInfo);
  infoLayout->addWidget(area.RzPgCtrl_Info);
  layout->addWidget(area.PnlInfo);

  area.PM1 = new QMenu(window);
  area.PM1->setObjectName("PM1");
  area.N1 = area.PM1->addAction(Ui("开始接收"));
  area.N1->setObjectName("N1");
  area.N2 = area.PM1->addAction(Ui("停止接收"));
  area.N2->setObjectName("N2");

  area.RzPgCtrl_Main->setCurrentIndex(kPageReceived);
  return area;
}

void TReceiveArea::ShutOutTheUser() const {
  QList<QWidget*> widgets = Panel2->findChildren<QWidget*>();
  widgets << Panel2;
  for (QWidget* widget : widgets) {
    widget->setFocusPolicy(Qt::NoFocus);
    // Not NoContextMenu, which would hand the request on to the window.
    widget->setContextMenuPolicy(Qt::PreventContextMenu);
  }
}

}  // namespace bailan
