// bailan-setup.exe: the online installer, plain Win32. No arguments are read.
#include <windows.h>
// after windows.h, which they need
#include <commctrl.h>
#include <ole2.h>

#include <stdexcept>

#include "win32/common/MessageBox.h"
#include "win32/common/MessagePump.h"
#include "win32/common/WideText.h"
#include "win32/receive/FMain.h"

namespace {

constexpr DWORD kMaxVariableLength = 256;  // a test server's address is short

// The test run's server, when BAILAN_TEST_SERVER_URL names one on the loopback
// address; otherwise the built-in addresses stay.
void ApplyTestServer(bailan::TMainForm& form) {
  wchar_t value[kMaxVariableLength] = {};
  const DWORD length = GetEnvironmentVariableW(bailan::kTestServerVariable, value, kMaxVariableLength);
  if (length == 0 || length >= kMaxVariableLength) return;
  if (auto redirected = bailan::RedirectToTestServer(form.Addresses(), bailan::Narrow(value))) {
    form.SetAddresses(std::move(*redirected));
  }
}

// COM for the browser, the folder browser and the picture decoder; the common
// controls. For the life of the program.
class TProgramServices {
 public:
  TProgramServices() {
    if (FAILED(OleInitialize(nullptr))) throw std::runtime_error("OleInitialize failed");
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_LINK_CLASS};
    InitCommonControlsEx(&controls);
  }
  ~TProgramServices() { OleUninitialize(); }
  TProgramServices(const TProgramServices&) = delete;
  TProgramServices& operator=(const TProgramServices&) = delete;
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  try {
    TProgramServices services;
    // The main window (closing it ends the program); it creates the resource
    // selection dialog FResReceive hidden.
    bailan::TFMain FMain;
    ApplyTestServer(FMain);
    FMain.Show();
    return bailan::RunMessageLoop();
  } catch (const std::exception& error) {
    bailan::ShowErrorReport(nullptr, error);
    return 1;
  }
}
