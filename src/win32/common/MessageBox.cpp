#include "win32/common/MessageBox.h"

#include "platform/Cp936.h"
#include "receive/ErrorReport.h"
#include "win32/common/WideText.h"

namespace bailan {
namespace {

TMessageSeam& Seam() {
  static TMessageSeam seam;
  return seam;
}

UINT IconFlag(TMessageIcon icon) {
  switch (icon) {
    case TMessageIcon::Information:
      return MB_ICONINFORMATION;
    case TMessageIcon::Warning:
      return MB_ICONWARNING;
    case TMessageIcon::Error:
      return MB_ICONERROR;
    case TMessageIcon::Question:
      return MB_ICONQUESTION;
    case TMessageIcon::None:
      break;
  }
  return 0;
}

UINT ButtonFlags(int buttons) {
  if ((buttons & mbYes) && (buttons & mbNo)) return MB_YESNO;
  return MB_OK;
}

// MessageBoxW numbers its buttons from the left: Yes, No, then Cancel.
UINT DefaultFlag(const TMessageRequest& request) {
  if (ButtonFlags(request.Buttons) == MB_OK) return MB_DEFBUTTON1;
  return request.DefaultButton == mbNo ? MB_DEFBUTTON2 : MB_DEFBUTTON1;
}

}  // namespace

void SetMessageSeam(TMessageSeam seam) {
  Seam() = std::move(seam);
}

UINT MessageBoxFlags(const TMessageRequest& request) {
  return IconFlag(request.Icon) | ButtonFlags(request.Buttons) | DefaultFlag(request) |
         (request.Owner != nullptr ? MB_APPLMODAL : MB_TASKMODAL);
}

std::wstring MessageBoxText(const std::string& cp936) {
  const std::wstring text = Wide(cp936);
  std::wstring shown;
  shown.reserve(text.size() + 8);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c != L'\n' && c != L'\r') {
      shown += c;
      continue;
    }
    // A pair of different breaks is one break.
    if (i + 1 < text.size() && (text[i + 1] == L'\n' || text[i + 1] == L'\r') && text[i + 1] != c) ++i;
    shown += L"\r\n";
  }
  return shown;
}

int ShowMessageBox(const TMessageRequest& request) {
  if (Seam()) return Seam()(request);
  const int answer = MessageBoxW(request.Owner, MessageBoxText(request.Text).c_str(),
                                 Wide(request.Caption).c_str(), MessageBoxFlags(request));
  if (answer == IDYES) return mbYes;
  if (answer == IDNO) return mbNo;
  if (answer == IDOK) return mbOK;
  return (request.Buttons & mbOK) ? mbOK : mbNo;
}

void ShowErrorReport(HWND owner, const std::exception& error) {
  ShowMessageBox({owner, ErrorReportText(error.what()), Cp("柏岚软件"), TMessageIcon::Error, mbOK, mbOK});
}

void RunHandler(HWND owner, const std::function<void()>& body) {
  try {
    body();
  } catch (const std::exception& error) {
    ShowErrorReport(owner, error);
  }
}

}  // namespace bailan
