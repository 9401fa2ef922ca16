#include "dialogs/MessageBox.h"

#include <utility>

namespace bailan {
namespace {

TMessageBoxAnswerer& Answerer() {
  static TMessageBoxAnswerer answerer;  // GUI thread only
  return answerer;
}

}  // namespace

QMessageBox::StandardButton ShowMessageBox(const TMessageBoxRequest& request) {
  if (Answerer()) return Answerer()(request);
  QMessageBox box(request.Icon, request.Caption, request.Text, request.Buttons, request.Owner);
  box.setDefaultButton(request.DefaultButton);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

TMessageBoxAnswerer SetMessageBoxAnswerer(TMessageBoxAnswerer answerer) {
  return std::exchange(Answerer(), std::move(answerer));
}

}  // namespace bailan
