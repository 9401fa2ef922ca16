#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <string>

#include "receive/MessageKinds.h"

namespace bailan {

// One message box: texts in CP936.
struct TMessageRequest {
  HWND Owner = nullptr;
  std::string Text;
  std::string Caption;
  TMessageIcon Icon = TMessageIcon::None;
  int Buttons = mbOK;
  int DefaultButton = mbOK;
};

// Shows a modal box through MessageBoxW and returns the button that closed it
// (mbOK when it was closed otherwise and OK is among the buttons, else mbNo).
// Every message box of the windows goes through here. GUI thread only.
int ShowMessageBox(const TMessageRequest& request);

// Tests answer message boxes through this seam: while one is set, it receives
// every request instead of the user and its result is the answer. An empty
// function restores real boxes. GUI thread only.
using TMessageSeam = std::function<int(const TMessageRequest&)>;
void SetMessageSeam(TMessageSeam seam);

// The MessageBoxW flags of a request (icon, buttons, default button, modal to
// its owner).
UINT MessageBoxFlags(const TMessageRequest& request);
// The text as a box shows it: LF CR, CR LF, and a lone LF or CR each become
// one line break (CR LF).
std::wstring MessageBoxText(const std::string& cp936);

// The application's default error report: the error's text with a full stop
// added when its last character sorts after ".", caption "柏岚软件", error icon.
void ShowErrorReport(HWND owner, const std::exception& error);

// Runs an event handler's body; whatever it raises is shown by the default
// error report and the program goes on.
void RunHandler(HWND owner, const std::function<void()>& body);

}  // namespace bailan
