#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

namespace bailan {

// One modal message box as the windows ask it: text, caption, icon, buttons and
// the button that Enter presses.
struct TMessageBoxRequest {
  QWidget* Owner = nullptr;
  QString Text;
  QString Caption;
  QMessageBox::Icon Icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons Buttons = QMessageBox::Ok;
  QMessageBox::StandardButton DefaultButton = QMessageBox::Ok;
};

// Answers a box in place of the user.
using TMessageBoxAnswerer = std::function<QMessageBox::StandardButton(const TMessageBoxRequest&)>;

// Shows the box modally and returns the button pressed, or, while an answerer is
// installed, returns its answer without showing anything. GUI thread only.
QMessageBox::StandardButton ShowMessageBox(const TMessageBoxRequest& request);

// Installs the answerer (an empty one shows the boxes again); returns the one it
// replaces. Tests install one for their duration.
TMessageBoxAnswerer SetMessageBoxAnswerer(TMessageBoxAnswerer answerer);

}  // namespace bailan
