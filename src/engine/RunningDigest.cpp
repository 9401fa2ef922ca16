#include "engine/RunningDigest.h"

#include <algorithm>

#include "platform/Exception.h"
#include "platform/Thread.h"

namespace bailan {
namespace {

// The thread's pause when no new byte is on the disk: short beside the time a
// segment takes to bring a block group, long enough to cost nothing while idle.
constexpr std::uint32_t kIdlePollMs = 5;

}  // namespace

TRunningDigest::TRunningDigest(const std::string& partialPath, const TSegmentTable& table, std::int32_t count,
                               std::int32_t total)
    : table_(table),
      count_(count),
      total_(std::max(total, 0)),
      file_(TFile::Open(partialPath, TAccess::Read, TShareMode::ReadWrite)),
      block_(kDigestBlockBytes),
      thread_([this] { Run(); }) {}

TRunningDigest::~TRunningDigest() {
  Stop();
}

void TRunningDigest::Stop() {
  stopping_ = true;
  if (thread_.joinable()) thread_.join();
}

std::int32_t TRunningDigest::Frontier() const {
  std::int32_t reach = 0;
  for (std::int32_t k = 1; k <= count_; ++k) {
    const TSegmentRec& segment = table_.Segments[k];
    if (segment.Start.load() != reach) break;  // a tiled table never stops here
    reach = segment.Start.load() + segment.Received.load();
    if (reach < segment.End.load()) break;
  }
  return std::min(reach, total_);
}

void TRunningDigest::Run() {
  try {
    while (!stopping_) {
      const std::int32_t end = Frontier();
      if (end > hashed_) {
        HashUpTo(end, true);
      } else {
        SleepMs(kIdlePollMs);
      }
    }
  } catch (...) {
    failure_ = std::current_exception();
  }
}

void TRunningDigest::HashUpTo(std::int32_t end, bool stoppable) {
  while (hashed_ < end && !(stoppable && stopping_)) {
    const auto want = std::min<std::size_t>(block_.size(), static_cast<std::size_t>(end - hashed_));
    const std::size_t got = file_.Read(block_.data(), want);
    if (got == 0) throw EInOutError("The partial file ended before its received bytes");
    hash_.Update(block_.data(), got);
    hashed_ += static_cast<std::int32_t>(got);
  }
}

TSha256::TDigest TRunningDigest::Finish() {
  Stop();
  if (failure_) std::rethrow_exception(failure_);
  HashUpTo(total_, false);
  file_.Close();
  return hash_.Finish();
}

}  // namespace bailan
