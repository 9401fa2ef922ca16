// The Linux programs that some tests use as peers: a shell, the archivers, sha256sum.
#include <sys/resource.h>
#include <sys/wait.h>

#include <cerrno>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "platform/FileSystem.h"
#include "support/Host.h"
#include "support/ZipTestSupport.h"

namespace bailan::test {

bool RunningUnderWine() {
  return false;
}

unsigned AnsiCodePage() {
  return 0;
}

std::size_t PeakMemoryBytes() {
  struct rusage usage {};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<std::size_t>(usage.ru_maxrss) * 1024;  // kilobytes on Linux
}

bool HaveTool(const std::string& tool) {
  return RunShell("command -v " + tool + " >/dev/null 2>&1") == 0;
}

int RunShell(const std::string& command) {
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string MissingFileText() {
  return SystemErrorText(ENOENT);
}

std::string FileSha256(const std::string& path) {
  std::string command = "sha256sum '" + path + "'";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) throw std::runtime_error("popen failed");
  std::array<char, 65> hex{};
  std::size_t n = std::fread(hex.data(), 1, 64, pipe);
  ::pclose(pipe);
  return std::string(hex.data(), n);
}

}  // namespace bailan::test
