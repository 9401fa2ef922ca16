#pragma once

#include <functional>

namespace bailan {

// The install click in its order: fetch the manifest; when it came, one record
// and one job per entry; the install page (which reports a missing manifest);
// start every job; the progress timer on. The face supplies each step. The
// window keeps answering during the fetch, so a second click meanwhile would be
// the same installation a second time: it is ignored. GUI thread.
class TInstallClick {
 public:
  struct TSteps {
    std::function<bool()> FetchManifest;
    std::function<void()> AddToDownLoadList;
    std::function<void()> EnterInstallPage;
    std::function<void()> StartAllJobs;
    std::function<void()> EnableProgressTimer;
  };

  // A failure of the fetch's file (raised by FetchManifest) ends the click
  // before anything else; a later click may try again.
  void Run(const TSteps& steps);
  bool Fetching() const { return fetching_; }

 private:
  bool fetching_ = false;
};

}  // namespace bailan
