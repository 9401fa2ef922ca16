#pragma once

#include <memory>
#include <string>

namespace bailan {

// A blocking notice of the extraction, such as "Unknown Compression Method"
// under the caption "Zip Error": shown with one OK button, returning when it
// was acknowledged. The GUI supplies a message box; without one the notice goes
// to stderr and extraction goes on at once.
class TUnzipNotifier {
 public:
  virtual ~TUnzipNotifier() = default;
  // Called on the extracting thread; returns when the notice was acknowledged.
  virtual void Notify(const std::string& text, const std::string& caption) = 0;
};

// Writes "caption: text" (CP936 converted to UTF-8) as a line to stderr.
class TStderrUnzipNotifier : public TUnzipNotifier {
 public:
  void Notify(const std::string& text, const std::string& caption) override;
};

// The notifier that new TUnZipper objects take: set once by the GUI at start-up,
// read by extracting threads. Both calls are thread-safe; null restores stderr.
void SetDefaultUnzipNotifier(std::shared_ptr<TUnzipNotifier> notifier);
std::shared_ptr<TUnzipNotifier> DefaultUnzipNotifier();

}  // namespace bailan
