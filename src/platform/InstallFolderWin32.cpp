#include "platform/InstallFolder.h"
#include "platform/Win32Api.h"

namespace bailan {
namespace {

// "X:" and its terminating zero, with room to spare.
constexpr DWORD kDriveNameBuffer = 8;

// %SystemDrive%, else the drive of the Windows folder; empty when neither is known.
std::string SystemDrive() {
  wchar_t buffer[MAX_PATH] = {};
  const DWORD length = ::GetEnvironmentVariableW(L"SystemDrive", buffer, kDriveNameBuffer);
  if (length > 0 && length < kDriveNameBuffer) return WideToCp936(std::wstring_view(buffer, length));
  if (::GetSystemWindowsDirectoryW(buffer, MAX_PATH) >= 2) return WideToCp936(std::wstring_view(buffer, 2));
  return {};
}

}  // namespace

std::string DefaultInstallFolder() {
  return WindowsInstallFolder(::GetDriveTypeW(L"D:\\") == DRIVE_FIXED, SystemDrive());
}

}  // namespace bailan
