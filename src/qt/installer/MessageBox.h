#pragma once

#include <QString>
#include <exception>
#include <functional>

#include "receive/ErrorReport.h"
#include "receive/MessageKinds.h"

class QWidget;

namespace bailan {

struct TMessageRequest {
  QWidget* Owner = nullptr;
  QString Text;
  QString Caption;
  TMessageIcon Icon = TMessageIcon::None;
  int Buttons = mbOK;
  int DefaultButton = mbOK;
};

// Shows a modal message box and returns the button that closed it (mbOK when
// it was closed otherwise and OK is among the buttons, else the last button).
// Every message box of the windows goes through here.
int ShowMessageBox(const TMessageRequest& request);

// Tests answer message boxes through this seam: while one is set, it receives
// every request instead of the user and its result is the answer. An empty
// function restores real boxes. GUI thread only.
using TMessageSeam = std::function<int(const TMessageRequest&)>;
void SetMessageSeam(TMessageSeam seam);

// The application's default error report: the error's text with a full stop
// added when its last character sorts after ".", caption "柏岚软件", error icon.
void ShowErrorReport(QWidget* owner, const std::exception& error);
// Runs an event handler's body; whatever it raises is shown by the default error
// report and the program goes on.
void RunHandler(QWidget* owner, const std::function<void()>& body);

}  // namespace bailan
