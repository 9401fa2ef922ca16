// On Windows the Linux peers (a POSIX shell, the archivers) do not exist: tests
// that need them skip. The SHA-256 of a file comes from the platform's hashing.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <stdexcept>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Sha256.h"
#include "support/Host.h"
#include "support/TempDir.h"
#include "support/ZipTestSupport.h"

namespace bailan::test {

bool RunningUnderWine() {
  HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

unsigned AnsiCodePage() {
  return ::GetACP();
}

std::size_t PeakMemoryBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)) return 0;
  return counters.PeakWorkingSetSize;
}

bool HaveTool(const std::string& /*tool*/) {
  return false;
}

int RunShell(const std::string& /*command*/) {
  return -1;
}

std::string MissingFileText() {
  return SystemErrorText(ERROR_FILE_NOT_FOUND);
}

std::string FileSha256(const std::string& path) {
  return DigestToHex(TSha256::Of(ReadFileBytes(path)));
}

}  // namespace bailan::test
