#include "FetchProgress.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "CliCommand.h"
#include "engine/DownloadJob.h"
#include "platform/Console.h"
#include "platform/Format.h"
#include "platform/Tick.h"

namespace bailan::cli {
namespace {

constexpr int kDefaultColumns = 80;              // a terminal that does not tell its width
constexpr int kMinBarWidth = 10;                 // narrower than this, only the figures are shown
constexpr std::uint32_t kLineIntervalMs = 3000;  // off a terminal: readable logs, not a flood
constexpr std::uint32_t kRedrawIntervalMs = 200;
constexpr const char* kClearLine = "\r\x1b[K";  // back to the line's start, erase to its end

int TerminalColumns() {
  const int columns = StderrTerminalColumns();
  return columns > 0 ? columns : kDefaultColumns;
}

}  // namespace

std::string TFetchProgress::BarLine(double share, const std::string& figures, int columns) {
  const int room = columns - 1;  // the last column would wrap the line on some terminals
  const int barWidth = room - 2 - static_cast<int>(figures.size());
  if (barWidth < kMinBarWidth) return figures.substr(0, static_cast<std::size_t>(std::max(room, 0)));
  const int filled = std::clamp(static_cast<int>(share * barWidth), 0, barWidth);
  return "[" + std::string(static_cast<std::size_t>(filled), '#') +
         std::string(static_cast<std::size_t>(barWidth - filled), ' ') + "]" + figures;
}

void TFetchProgress::Log(const TDownloadJob& job, const std::string& cp936) {
  if (terminal_ && shown_) {
    std::fputs(kClearLine, stderr);
    std::fflush(stderr);
    shown_ = false;
  }
  PrintLine(cp936);
  if (terminal_) Draw(job, true);
}

void TFetchProgress::Draw(const TDownloadJob& job, bool force) {
  TJobStats stats;
  if (!job.ReadStats(stats)) return;
  const std::uint32_t now = GetTickCount32();
  if (!force && drawn_ && TickDiff(now, lastLine_) < (terminal_ ? kRedrawIntervalMs : kLineIntervalMs))
    return;
  lastLine_ = now;
  drawn_ = true;

  const double share = stats.TotalSize > 0 ? double(stats.ReceivedSize) / stats.TotalSize : 0.0;
  const double seconds = TickDiff(now, stats.StartTick) / 1000.0;
  const double speed = seconds > 0 ? stats.RunBytes / 1024.0 / seconds : 0.0;
  const double missing = std::max(0.0, double(stats.TotalSize) - stats.ReceivedSize);
  const std::string remaining =
      speed > 0 ? TDownloadJob::SecondsToText(static_cast<std::int64_t>(missing / (speed * 1024)))
                : std::string("--:--:--");
  if (terminal_) {
    const std::string figures = Format(" %5.1f%%  %10.2f KB/s  %s", share * 100, speed, remaining);
    std::fprintf(stderr, "%s%s", kClearLine, BarLine(share, figures, TerminalColumns()).c_str());
    shown_ = true;
  } else {
    std::fprintf(stderr, "progress %.1f%% %d/%d bytes %.2f KB/s remaining %s\n", share * 100,
                 stats.ReceivedSize, stats.TotalSize, speed, remaining.c_str());
  }
  std::fflush(stderr);
}

void TFetchProgress::Finish(const TDownloadJob& job) {
  Draw(job, true);
  if (terminal_ && shown_) std::fputc('\n', stderr);
  shown_ = false;
}

}  // namespace bailan::cli
