#include "transport/zip/UnzipNotifier.h"

#include <cstdio>
#include <mutex>

#include "platform/Cp936.h"

namespace bailan {
namespace {

std::mutex& NotifierLock() {
  static std::mutex lock;
  return lock;
}

std::shared_ptr<TUnzipNotifier>& CurrentNotifier() {
  static std::shared_ptr<TUnzipNotifier> notifier = std::make_shared<TStderrUnzipNotifier>();
  return notifier;
}

}  // namespace

void TStderrUnzipNotifier::Notify(const std::string& text, const std::string& caption) {
  std::string line = Cp936ToUtf8(caption) + ": " + Cp936ToUtf8(text) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

void SetDefaultUnzipNotifier(std::shared_ptr<TUnzipNotifier> notifier) {
  if (!notifier) notifier = std::make_shared<TStderrUnzipNotifier>();
  std::lock_guard<std::mutex> guard(NotifierLock());
  CurrentNotifier() = std::move(notifier);
}

std::shared_ptr<TUnzipNotifier> DefaultUnzipNotifier() {
  std::lock_guard<std::mutex> guard(NotifierLock());
  return CurrentNotifier();
}

}  // namespace bailan
