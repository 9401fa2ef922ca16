// The launcher on Windows: the batch file itself runs, hidden, through the
// shell's "open" verb; it starts the program and deletes itself.
#include "platform/Launcher.h"
#include "platform/Path.h"
#include "platform/Win32Api.h"
// After windows.h, which it needs.
#include <shellapi.h>

namespace bailan {

bool RunLauncher(const std::string& folder, const std::string& batchName, const std::string& /*program*/) {
  const std::wstring batch = Cp936ToWide(IncludeTrailingPathDelimiter(folder) + batchName);
  const std::wstring directory = Cp936ToWide(folder);
  SHELLEXECUTEINFOW execute{};
  execute.cbSize = sizeof execute;
  execute.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  execute.lpVerb = L"open";
  execute.lpFile = batch.c_str();
  execute.lpDirectory = directory.c_str();
  execute.nShow = SW_HIDE;
  return ::ShellExecuteExW(&execute) != 0;
}

bool RunningAsSuperUser() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  TOKEN_ELEVATION elevation{};
  DWORD length = 0;
  const bool elevated = ::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &length) &&
                        elevation.TokenIsElevated;
  ::CloseHandle(token);
  return elevated;
}

}  // namespace bailan
