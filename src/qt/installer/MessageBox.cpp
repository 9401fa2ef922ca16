#include "qt/installer/MessageBox.h"

#include <QMessageBox>
#include <QPushButton>

#include "platform/Cp936.h"
#include "qt/installer/QtText.h"

namespace bailan {
namespace {

TMessageSeam& Seam() {
  static TMessageSeam seam;
  return seam;
}

QMessageBox::Icon ToQtIcon(TMessageIcon icon) {
  switch (icon) {
    case TMessageIcon::Information:
      return QMessageBox::Information;
    case TMessageIcon::Warning:
      return QMessageBox::Warning;
    case TMessageIcon::Error:
      return QMessageBox::Critical;
    case TMessageIcon::Question:
      return QMessageBox::Question;
    case TMessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

// The system's texts break lines with LF CR as well as CR LF; a box shows
// each of them as one line break.
QString DisplayText(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
  text.remove(QLatin1Char('\r'));
  return text;
}

}  // namespace

void SetMessageSeam(TMessageSeam seam) {
  Seam() = std::move(seam);
}

int ShowMessageBox(const TMessageRequest& request) {
  if (Seam()) return Seam()(request);
  QMessageBox box(ToQtIcon(request.Icon), request.Caption, DisplayText(request.Text), QMessageBox::NoButton,
                  request.Owner);
  box.setTextFormat(Qt::PlainText);
  // The buttons carry their Chinese names themselves, whatever translation of
  // Qt is installed.
  struct TButton {
    int Code;
    QMessageBox::StandardButton Qt;
    const char* Caption;
  };
  QAbstractButton* defaultButton = nullptr;
  for (TButton button : {TButton{mbYes, QMessageBox::Yes, "是"}, TButton{mbNo, QMessageBox::No, "否"},
                         TButton{mbOK, QMessageBox::Ok, "确定"}}) {
    if ((request.Buttons & button.Code) == 0) continue;
    QAbstractButton* added = box.addButton(button.Qt);
    added->setText(Ui(button.Caption));
    if (button.Code == request.DefaultButton) defaultButton = added;
  }
  if (auto* push = qobject_cast<QPushButton*>(defaultButton)) box.setDefaultButton(push);
  const int answer = box.exec();
  if (answer == QMessageBox::Yes) return mbYes;
  if (answer == QMessageBox::No) return mbNo;
  if (answer == QMessageBox::Ok) return mbOK;
  return (request.Buttons & mbOK) ? mbOK : mbNo;
}

void ShowErrorReport(QWidget* owner, const std::exception& error) {
  ShowMessageBox(
      {owner, ToQString(ErrorReportText(error.what())), Ui("柏岚软件"), TMessageIcon::Error, mbOK, mbOK});
}

void RunHandler(QWidget* owner, const std::function<void()>& body) {
  try {
    body();
  } catch (const std::exception& error) {
    ShowErrorReport(owner, error);
  }
}

}  // namespace bailan
