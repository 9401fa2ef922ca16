#include "support/ZipTestSupport.h"

#include <algorithm>
#include <filesystem>

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

int ExtractLikeTheInstaller(const std::string& archive, const std::string& folder,
                            std::shared_ptr<TRecordingUnzipNotifier> notifier) {
  TUnZipper unzipper;
  unzipper.Notifier = notifier ? notifier : std::make_shared<TRecordingUnzipNotifier>();
  return ExtractLikeTheInstaller(unzipper, archive, folder);
}

std::vector<std::string> ListFiles(const std::string& folder) {
  std::vector<std::string> files;
  for (const auto& item : std::filesystem::recursive_directory_iterator(folder)) {
    if (item.is_regular_file())
      files.push_back(std::filesystem::relative(item.path(), folder).generic_string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace bailan::test
