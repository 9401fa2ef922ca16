#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <cstdio>

#include "platform/Console.h"
#include "platform/Win32Api.h"
// After windows.h, which it needs.
#include <shellapi.h>

namespace bailan {
namespace {

std::atomic<bool> stopRequested{false};

// Runs on a thread of its own that the system starts for the event.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  stopRequested = true;
  return TRUE;
}

}  // namespace

std::vector<std::string> ProgramArguments(int /*argc*/, char** /*argv*/) {
  std::vector<std::string> arguments;
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (!wide) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(WideToCp936(wide[i]));
  ::LocalFree(wide);
  return arguments;
}

std::string ArgumentToCp936(const std::string& argument, char /*replacement: applied when read*/) {
  return argument;
}

void PrepareConsoleOutput() {
  if (::GetConsoleWindow()) ::SetConsoleOutputCP(CP_UTF8);
  HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
  if (DWORD mode = 0; ::GetConsoleMode(error, &mode)) {
    ::SetConsoleMode(error, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
  }
  ::_setmode(::_fileno(stdout), _O_BINARY);
  ::_setmode(::_fileno(stderr), _O_BINARY);
}

bool StderrIsTerminal() {
  DWORD mode = 0;
  return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

int StderrTerminalColumns() {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (!::GetConsoleScreenBufferInfo(::GetStdHandle(STD_ERROR_HANDLE), &info)) return 0;
  return info.srWindow.Right - info.srWindow.Left + 1;
}

void CatchStopRequests() {
  ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

bool StopRequested() {
  return stopRequested;
}

}  // namespace bailan
