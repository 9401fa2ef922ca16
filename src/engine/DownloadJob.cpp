#include "engine/DownloadJob.h"

#include "engine/DownloadManager.h"
#include "engine/JobHost.h"
#include "platform/Format.h"
#include "platform/Thread.h"
#include "platform/Tick.h"

namespace bailan {
namespace {

constexpr double kBytesPerMegabyte = 1048576.0;
constexpr std::int64_t kSpeedScale = 10000;  // the speed is held with four decimals
constexpr std::uint32_t kIdlePollMs = 5;

// A count of 0.0001 units formatted with two decimals, rounding half away from
// zero as the fixed-point value is rounded for display.
std::string FormatFixed2(std::int64_t tenThousandths) {
  std::int64_t hundredths = (tenThousandths + 50) / 100;
  return Format("%lld.%02lld", static_cast<long long>(hundredths / 100),
                static_cast<long long>(hundredths % 100));
}

}  // namespace

TDownloadJob::TDownloadJob(const std::shared_ptr<TJobHost>& host, std::string name, TDateTime publishTime,
                           std::string url, std::string folder, std::int32_t segCount,
                           std::optional<TSha256::TDigest> expectedSha256)
    : PublishTime(publishTime),
      Name(std::move(name)),
      URL(std::move(url)),
      SavePath(std::move(folder)),
      SegCount(segCount),
      ExpectedSha256(expectedSha256),
      host_(host) {}

std::shared_ptr<TDownloadJob> TDownloadJob::Create(const std::shared_ptr<TJobHost>& host, std::string name,
                                                   TDateTime publishTime, std::string url, std::string folder,
                                                   std::int32_t segCount, bool start,
                                                   std::optional<TSha256::TDigest> expectedSha256) {
  std::shared_ptr<TDownloadJob> job(new TDownloadJob(host, std::move(name), publishTime, std::move(url),
                                                     std::move(folder), segCount, expectedSha256));
  host->AddJob(job);
  job->SetCell(kColumnStatus, "");
  job->SetCell(kColumnPublishTime, FormatDateTime(kDateTimeFormat, job->PublishTime));
  job->SetCell(kColumnName, job->Name);
  for (std::int32_t column = kColumnSize; column < kGridColumns; ++column) job->SetCell(column, "");
  if (start) job->StartDownload();
  return job;
}

void TDownloadJob::SetCell(std::int32_t column, const std::string& text) {
  if (auto host = Host()) host->SetJobCell(*this, column, text);
}

void TDownloadJob::StartDownload() {
  if (Running != 0) return;
  ClearRunError();
  ProbeCanceller->Reset();
  TDownloadManager::Start(shared_from_this(), URL, SavePath, SegCount);
}

void TDownloadJob::SetRunError(std::string className, std::string message) {
  std::lock_guard lock(errorMutex_);
  runErrorClass_ = std::move(className);
  runErrorMessage_ = std::move(message);
}

void TDownloadJob::RecordRunError(std::string className, std::string message) {
  std::lock_guard lock(errorMutex_);
  if (!runErrorClass_.empty()) return;
  runErrorClass_ = std::move(className);
  runErrorMessage_ = std::move(message);
}

std::string TDownloadJob::RunErrorClass() const {
  std::lock_guard lock(errorMutex_);
  return runErrorClass_;
}

std::string TDownloadJob::RunErrorMessage() const {
  std::lock_guard lock(errorMutex_);
  return runErrorMessage_;
}

void TDownloadJob::RequestStop() {
  StopRequest = true;
  ProbeCanceller->Cancel();
}

void TDownloadJob::PublishSums(std::int32_t receivedSize, std::int32_t runBytes) {
  StatsReady = false;
  {
    std::lock_guard lock(statsMutex_);
    ReceivedSize = receivedSize;
    RunBytes = runBytes;
  }
  StatsReady = true;
}

bool TDownloadJob::ReadStats(TJobStats& stats) const {
  std::lock_guard lock(statsMutex_);
  if (!StatsReady) return false;
  stats.TotalSize = TotalSize;
  stats.ReceivedSize = ReceivedSize;
  stats.RunBytes = RunBytes;
  stats.StartTick = StartTick;
  return true;
}

void TDownloadJob::UpdateCells() {
  TJobStats stats;
  if (!ReadStats(stats)) return;
  const std::int64_t seconds = TickDiff(GetTickCount32(), stats.StartTick) / 1000;
  std::int64_t speed = 0;  // KB/s in 0.0001 units
  if (seconds > 0) {
    // RunBytes / 1024 / s, rounded to the nearest 0.0001.
    const std::int64_t denominator = 1024 * seconds;
    speed = (std::int64_t{stats.RunBytes} * kSpeedScale * 2 + denominator) / (2 * denominator);
    SetCell(kColumnSpeed, FormatFixed2(speed) + " KB/S");
  }
  SetCell(kColumnSize, SizeToText(stats.TotalSize));
  if (speed > 0) {
    // (TotalSize - ReceivedSize) / (speed * 1024), truncated to whole seconds.
    std::int64_t missing = std::max<std::int64_t>(0, std::int64_t{stats.TotalSize} - stats.ReceivedSize);
    std::int64_t remaining = missing * kSpeedScale / (speed * 1024);
    SetCell(kColumnRemaining, SecondsToText(remaining));
  }
  SetCell(kColumnElapsed, SecondsToText(seconds));
}

void TDownloadJob::UpdateGauge() {
  TJobStats stats;
  if (!ReadStats(stats)) return;
  // An empty or unknown size has no share to show: the gauge stays at 0.
  Gauge.Progress = stats.TotalSize > 0
                       ? static_cast<std::int32_t>(std::int64_t{stats.ReceivedSize} * 100 / stats.TotalSize)
                       : 0;
}

std::string TDownloadJob::SecondsToText(std::int64_t seconds) {
  return Format("%.2lld:%.2lld:%.2lld", static_cast<long long>(seconds / 3600),
                static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
}

std::string TDownloadJob::SizeToText(std::int32_t bytes) {
  return Format("%.2f MB", bytes / kBytesPerMegabyte);
}

bool TDownloadJob::WaitUntilIdle(std::uint32_t timeoutMs) const {
  const std::uint32_t started = GetTickCount32();
  while (Running != 0) {
    if (TickDiff(GetTickCount32(), started) >= timeoutMs) return false;
    SleepMs(kIdlePollMs);
  }
  return true;
}

}  // namespace bailan
