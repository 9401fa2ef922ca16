#pragma once

#include <memory>
#include <string>
#include <vector>

#include "transport/zip/UnZipper.h"
#include "transport/zip/UnzipNotifier.h"

namespace bailan::test {

// Records the notices instead of showing them.
class TRecordingUnzipNotifier : public TUnzipNotifier {
 public:
  void Notify(const std::string& text, const std::string& caption) override {
    Notices.push_back(caption + "|" + text);
  }
  std::vector<std::string> Notices;
};

// Sets a TUnZipper up as the job transfer thread does: DoAll, ReadDirectory(),
// RecreateDirs, RetainAttributes, OverwriteMode Always. Paths are the host's
// (UTF-8) spelling. Returns ExtractMarked()'s count.
int ExtractLikeTheInstaller(TUnZipper& unzipper, const std::string& archive, const std::string& folder);
int ExtractLikeTheInstaller(const std::string& archive, const std::string& folder,
                            std::shared_ptr<TRecordingUnzipNotifier> notifier = nullptr);

// "ClassName: message" of the `Error` that extracting raises, or "no failure".
template <typename Error>
std::string ExtractFailure(const std::string& archive, const std::string& folder) {
  try {
    ExtractLikeTheInstaller(archive, folder);
  } catch (const Error& error) {
    return std::string(error.ClassName()) + ": " + error.Message();
  }
  return "no failure";
}

// The process's peak resident memory so far, in bytes.
std::size_t PeakMemoryBytes();

// True when `tool` is on PATH.
bool HaveTool(const std::string& tool);
// Runs a shell command; its exit status.
int RunShell(const std::string& command);
// Lowercase hex SHA-256 of a file's content (sha256sum).
std::string FileSha256(const std::string& path);
// Every regular file under `folder`, as paths relative to it, sorted.
std::vector<std::string> ListFiles(const std::string& folder);

}  // namespace bailan::test
