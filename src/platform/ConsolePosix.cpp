#include <signal.h>
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

void CatchStopRequests() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

bool StopRequested() {
  return stopRequested;
}

}  // namespace bailan
