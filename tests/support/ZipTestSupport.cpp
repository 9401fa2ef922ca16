#include "support/ZipTestSupport.h"

#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "platform/Cp936.h"

namespace bailan::test {

int ExtractLikeTheInstaller(TUnZipper& unzipper, const std::string& archive, const std::string& folder) {
  unzipper.SetZipName(Utf8ToCp936(archive));
  unzipper.SetDestDir(Utf8ToCp936(folder));
  unzipper.DoAll = true;
  unzipper.ReadDirectory();
  unzipper.RecreateDirs = true;
  unzipper.RetainAttributes = true;
  unzipper.OverwriteMode = TUZOverwriteMode::Always;
  return unzipper.ExtractMarked();
}

std::size_t PeakMemoryBytes() {
  struct rusage usage {};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<std::size_t>(usage.ru_maxrss) * 1024;  // kilobytes on Linux
}

int ExtractLikeTheInstaller(const std::string& archive, const std::string& folder,
                            std::shared_ptr<TRecordingUnzipNotifier> notifier) {
  TUnZipper unzipper;
  unzipper.Notifier = notifier ? notifier : std::make_shared<TRecordingUnzipNotifier>();
  return ExtractLikeTheInstaller(unzipper, archive, folder);
}

bool HaveTool(const std::string& tool) {
  return RunShell("command -v " + tool + " >/dev/null 2>&1") == 0;
}

int RunShell(const std::string& command) {
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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

std::vector<std::string> ListFiles(const std::string& folder) {
  std::vector<std::string> files;
  for (const auto& item : std::filesystem::recursive_directory_iterator(folder)) {
    if (item.is_regular_file()) files.push_back(std::filesystem::relative(item.path(), folder).string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace bailan::test
