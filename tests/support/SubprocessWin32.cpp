// Child processes on Windows: CreateProcessW with the output going to files and
// the test program's console, through which Ctrl-C reaches them.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "support/Subprocess.h"
#include "support/TempDir.h"

namespace bailan::test {
namespace {

std::atomic<int> nextId{0};

std::wstring Wide(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end())).wstring();
}

// One argument as CommandLineToArgvW and the C runtime read it back: quoted, with
// backslashes doubled only where they precede a quote.
std::wstring Quoted(const std::wstring& argument) {
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(2 * backslashes, L'\\');
  return out + L"\"";
}

std::string OutputPath(const char* kind) {
  const auto folder = std::filesystem::temp_directory_path();
  const std::string name = "bailan-subprocess-" + std::to_string(::GetCurrentProcessId()) + "-" +
                           std::to_string(nextId++) + "." + kind;
  const std::u8string path = (folder / name).u8string();
  return std::string(path.begin(), path.end());
}

HANDLE InheritableFile(const std::string& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return ::CreateFileW(Wide(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE ProcessOf(std::intptr_t child) {
  return reinterpret_cast<HANDLE>(child);
}

// The test program swallows the Ctrl-C that it sends to its children.
BOOL WINAPI SwallowConsoleEvent(DWORD event) {
  return event == CTRL_C_EVENT ? TRUE : FALSE;
}

// Ctrl-C reaches the processes that share the sender's console. Under Wine a
// program started from a shell has no usable console, so it gets a hidden one of
// its own before its first child; on Windows the console it has is kept.
void EnsureConsole() {
  static const bool ready = [] {
    if (!::GetConsoleWindow()) {
      ::FreeConsole();
      ::AllocConsole();
    }
    return ::SetConsoleCtrlHandler(SwallowConsoleEvent, TRUE) != 0;
  }();
  (void)ready;
}

}  // namespace

TSubprocess::TSubprocess(const std::vector<std::string>& argv)
    : outPath_(OutputPath("out")), errPath_(OutputPath("err")) {
  EnsureConsole();
  std::wstring commandLine;
  for (const std::string& arg : argv) commandLine += (commandLine.empty() ? L"" : L" ") + Quoted(Wide(arg));
  HANDLE out = InheritableFile(outPath_, GENERIC_WRITE, CREATE_ALWAYS);
  HANDLE err = InheritableFile(errPath_, GENERIC_WRITE, CREATE_ALWAYS);
  HANDLE in = InheritableFile("NUL", GENERIC_READ, OPEN_EXISTING);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  const BOOL started = ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
  for (HANDLE handle : {out, err, in}) {
    if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
  }
  if (!started) throw std::runtime_error("CreateProcess failed: " + std::to_string(::GetLastError()));
  ::CloseHandle(process.hThread);
  child_ = reinterpret_cast<std::intptr_t>(process.hProcess);
}

TSubprocess::~TSubprocess() {
  if (child_ != -1) {
    ::TerminateProcess(ProcessOf(child_), 1);
    ::WaitForSingleObject(ProcessOf(child_), INFINITE);
    ::CloseHandle(ProcessOf(child_));
  }
  std::error_code ignored;
  std::filesystem::remove(Wide(outPath_), ignored);
  std::filesystem::remove(Wide(errPath_), ignored);
}

void TSubprocess::Signal(int signal) {
  if (child_ == -1) return;
  // Process groups of their own do not take console events under Wine: the
  // event goes to every process of this console, the children that are running.
  if (signal == kSigInt) {
    ::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
  } else {
    ::TerminateProcess(ProcessOf(child_), 128 + signal);
  }
}

int TSubprocess::Wait(int timeoutMs) {
  HANDLE process = ProcessOf(child_);
  DWORD code = 0;
  if (::WaitForSingleObject(process, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) {
    ::TerminateProcess(process, 1);
    ::WaitForSingleObject(process, INFINITE);
    code = static_cast<DWORD>(-1);
  } else {
    ::GetExitCodeProcess(process, &code);
  }
  ::CloseHandle(process);
  child_ = -1;
  return static_cast<int>(code);
}

std::string TSubprocess::Stdout() const {
  return ReadFileBytes(outPath_);
}
std::string TSubprocess::Stderr() const {
  return ReadFileBytes(errPath_);
}

}  // namespace bailan::test
