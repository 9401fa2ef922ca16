#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>

#include "platform/Console.h"
#include "platform/Cp936.h"

namespace bailan {
namespace {

std::atomic<bool> stopRequested{false};

extern "C" void OnStopSignal(int) {
  stopRequested = true;
}

}  // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

std::string ArgumentToCp936(const std::string& argument, char replacement) {
  return Utf8ToCp936(argument, replacement);
}

void PrepareConsoleOutput() {}

bool StderrIsTerminal() {
  return ::isatty(STDERR_FILENO) == 1;
}

int StderrTerminalColumns() {
  winsize size{};
  return ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

void CatchStopRequests() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

bool StopRequested() {
  return stopRequested;
}

}  // namespace bailan
