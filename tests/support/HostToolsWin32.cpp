// On Windows the Linux peers (a POSIX shell, the archivers) do not exist: tests
// that need them skip. The SHA-256 of a file comes from the system's CNG.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// After windows.h, which they need.
#include <bcrypt.h>
#include <psapi.h>

#include <cstdio>
#include <stdexcept>
#include <vector>

#include "platform/FileSystem.h"
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
  std::string bytes = ReadFileBytes(path);
  unsigned char digest[32];
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  BCRYPT_HASH_HANDLE hash = nullptr;
  bool done =
      BCRYPT_SUCCESS(::BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0)) &&
      BCRYPT_SUCCESS(::BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0)) &&
      BCRYPT_SUCCESS(::BCryptHashData(hash, reinterpret_cast<PUCHAR>(bytes.data()),
                                      static_cast<ULONG>(bytes.size()), 0)) &&
      BCRYPT_SUCCESS(::BCryptFinishHash(hash, digest, sizeof digest, 0));
  if (hash) ::BCryptDestroyHash(hash);
  if (algorithm) ::BCryptCloseAlgorithmProvider(algorithm, 0);
  if (!done) throw std::runtime_error("SHA-256 through CNG failed");
  std::string hex;
  char pair[3];
  for (unsigned char byte : digest) {
    std::snprintf(pair, sizeof pair, "%02x", byte);
    hex += pair;
  }
  return hex;
}

}  // namespace bailan::test
