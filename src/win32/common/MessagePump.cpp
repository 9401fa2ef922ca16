#include "win32/common/MessagePump.h"

#include <windows.h>

#include "platform/Tick.h"

namespace bailan {
namespace {

constexpr DWORD kPumpSliceMs = 10;  // sleep between passes: short enough for a responsive window

void Dispatch(MSG& message) {
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

}  // namespace

void ProcessMessages(bool allPending) {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    Dispatch(message);
    if (!allPending) return;
  }
}

bool PumpUntil(const std::function<bool()>& done, unsigned timeoutMs) {
  const std::uint32_t start = GetTickCount32();
  while (!done()) {
    if (TickDiff(GetTickCount32(), start) >= timeoutMs) return done();
    ProcessMessages(true);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, kPumpSliceMs, QS_ALLINPUT);
  }
  return true;
}

int RunMessageLoop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) Dispatch(message);
  return static_cast<int>(message.wParam);
}

}  // namespace bailan
