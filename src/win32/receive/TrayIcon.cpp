#include "win32/receive/TrayIcon.h"

#include <shellapi.h>

#include <algorithm>
#include <cwchar>
#include <utility>

#include "win32/common/WideText.h"

namespace bailan {
namespace {

// Copies as much of `text` as fits into a fixed field, NUL-terminated.
template <std::size_t N>
void CopyField(wchar_t (&field)[N], const std::wstring& text) {
  const std::size_t length = std::min(text.size(), N - 1);
  std::wmemcpy(field, text.data(), length);
  field[length] = L'\0';
}

}  // namespace

TTrayIcon::TTrayIcon(HWND owner, UINT callbackMessage, TIcon icon, const std::string& tooltip)
    : owner_(owner), icon_(std::move(icon)), tooltip_(tooltip) {
  NOTIFYICONDATAW data = Data();
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = callbackMessage;
  data.hIcon = icon_.Get();
  CopyField(data.szTip, Wide(tooltip_));
  present_ = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
}

TTrayIcon::~TTrayIcon() {
  if (!present_) return;
  NOTIFYICONDATAW data = Data();
  Shell_NotifyIconW(NIM_DELETE, &data);
}

NOTIFYICONDATAW TTrayIcon::Data() const {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = owner_;
  data.uID = kIconId;
  return data;
}

bool TTrayIcon::ShowBalloon(const std::string& title, const std::string& text, unsigned timeoutMs) {
  if (!present_) return false;
  NOTIFYICONDATAW data = Data();
  data.uFlags = NIF_INFO;
  data.dwInfoFlags = NIIF_INFO;
  data.uTimeout = timeoutMs;
  CopyField(data.szInfoTitle, Wide(title));
  CopyField(data.szInfo, Wide(text));
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

}  // namespace bailan
