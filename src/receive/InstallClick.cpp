#include "receive/InstallClick.h"

namespace bailan {
namespace {

// Clears the flag on every way out of the fetch.
class TFetchingFlag {
 public:
  explicit TFetchingFlag(bool& flag) : flag_(flag) { flag_ = true; }
  ~TFetchingFlag() { flag_ = false; }
  TFetchingFlag(const TFetchingFlag&) = delete;
  TFetchingFlag& operator=(const TFetchingFlag&) = delete;

 private:
  bool& flag_;
};

}  // namespace

void TInstallClick::Run(const TSteps& steps) {
  if (fetching_) return;
  bool fetched = false;
  {
    TFetchingFlag flag(fetching_);
    fetched = steps.FetchManifest();
  }
  if (fetched) steps.AddToDownLoadList();
  steps.EnterInstallPage();
  steps.StartAllJobs();
  steps.EnableProgressTimer();
}

}  // namespace bailan
