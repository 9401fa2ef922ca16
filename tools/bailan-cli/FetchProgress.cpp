#include "FetchProgress.h"

#include <cstdio>
#include <string>

#include "engine/DownloadJob.h"
#include "platform/Tick.h"

namespace bailan::cli {
namespace {

constexpr int kBarWidth = 30;
constexpr std::uint32_t kLineIntervalMs = 1000;  // off a terminal, one line per second
constexpr std::uint32_t kRedrawIntervalMs = 200;

}  // namespace

void TFetchProgress::Draw(const TDownloadJob& job, bool force) {
  TJobStats stats;
  if (!job.ReadStats(stats)) return;
  const std::uint32_t now = GetTickCount32();
  if (!force && shown_ && TickDiff(now, lastLine_) < (terminal_ ? kRedrawIntervalMs : kLineIntervalMs))
    return;
  lastLine_ = now;
  shown_ = true;

  const double share = stats.TotalSize > 0 ? double(stats.ReceivedSize) / stats.TotalSize : 0.0;
  const double seconds = TickDiff(now, stats.StartTick) / 1000.0;
  const double speed = seconds > 0 ? stats.RunBytes / 1024.0 / seconds : 0.0;
  const std::string remaining = speed > 0
                                    ? TDownloadJob::SecondsToText(static_cast<std::int64_t>(
                                          (double(stats.TotalSize) - stats.ReceivedSize) / (speed * 1024)))
                                    : std::string("--:--:--");
  if (terminal_) {
    const int filled = static_cast<int>(share * kBarWidth);
    std::fprintf(stderr, "\r[%s%s] %5.1f%%  %10.2f KB/s  %s ", std::string(filled, '#').c_str(),
                 std::string(kBarWidth - filled, ' ').c_str(), share * 100, speed, remaining.c_str());
  } else {
    std::fprintf(stderr, "progress %.1f%% %d/%d bytes %.2f KB/s remaining %s\n", share * 100,
                 stats.ReceivedSize, stats.TotalSize, speed, remaining.c_str());
  }
  std::fflush(stderr);
}

void TFetchProgress::Finish(const TDownloadJob& job) {
  Draw(job, true);
  if (terminal_ && shown_) std::fputc('\n', stderr);
}

}  // namespace bailan::cli
