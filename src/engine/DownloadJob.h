#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "engine/Gauge.h"
#include "engine/JobLog.h"
#include "engine/LocalNameClaim.h"
#include "platform/DateTime.h"
#include "platform/Sha256.h"
#include "platform/SocketCanceller.h"

namespace bailan {

class TJobHost;

// Columns of the receiving grid that a job writes.
inline constexpr std::int32_t kColumnStatus = 0;
inline constexpr std::int32_t kColumnPublishTime = 1;
inline constexpr std::int32_t kColumnName = 2;
inline constexpr std::int32_t kColumnSize = 3;
inline constexpr std::int32_t kColumnProgress = 4;
inline constexpr std::int32_t kColumnSpeed = 5;
inline constexpr std::int32_t kColumnRemaining = 6;
inline constexpr std::int32_t kColumnElapsed = 7;
inline constexpr std::int32_t kGridColumns = 8;

// One consistent sample of a run's figures.
struct TJobStats {
  std::int32_t TotalSize = 0;
  std::int32_t ReceivedSize = 0;
  std::int32_t RunBytes = 0;
  std::uint32_t StartTick = 0;
};

// One resource being received: its row in the receiving grid, its gauge and log,
// and the counters its job transfer thread publishes for the GUI. The GUI starts
// and stops the transfer through it and turns the counters into the row's cells.
//
// Counters and flags are atomics: the job transfer thread writes them while the
// GUI thread reads them. The job is shared: the window's job list holds it, and
// so does the job transfer thread of a running job, so it is released only after
// its run has ended.
class TDownloadJob : public std::enable_shared_from_this<TDownloadJob> {
 public:
  // Creates a job on the GUI thread: appends it to the host's job list (which
  // gives it its row), writes the row's cells 0 to 7, and starts a run when
  // `start` is set. The host must outlive every call a job makes to it; the job
  // holds only a weak reference, so a host that is gone is simply not told.
  // With `expectedSha256` every completed archive is checked against it before
  // it is unpacked.
  static std::shared_ptr<TDownloadJob> Create(const std::shared_ptr<TJobHost>& host, std::string name,
                                              TDateTime publishTime, std::string url, std::string folder,
                                              std::int32_t segCount, bool start,
                                              std::optional<TSha256::TDigest> expectedSha256 = std::nullopt);
  virtual ~TDownloadJob() = default;
  TDownloadJob(const TDownloadJob&) = delete;
  TDownloadJob& operator=(const TDownloadJob&) = delete;

  const TDateTime PublishTime;
  const std::string Name;
  const std::string URL;
  const std::string SavePath;
  const std::int32_t SegCount;
  // The digest the received archive must have; none: it is taken unchecked.
  const std::optional<TSha256::TDigest> ExpectedSha256;

  TGauge Gauge;                          // GUI thread only
  std::atomic<std::int32_t> Row{0};      // index in the job list + 1; changed under the list lock
  std::atomic<std::int32_t> Running{0};  // 1 while a job transfer thread serves the job
  std::atomic<bool> StopRequest{false};
  std::atomic<bool> Finished{false};
  std::atomic<bool> StatsReady{false};
  std::atomic<std::int32_t> TotalSize{0};
  std::atomic<std::int32_t> ReceivedSize{0};
  std::atomic<std::int32_t> RunBytes{0};
  std::atomic<std::uint32_t> StartTick{0};
  std::atomic<std::int32_t> ActiveSegments{0};  // segment threads of the run still going
  TJobLog Log;
  // Cuts the size probe's connection short when a stop is requested; made ready
  // again by every start.
  const std::shared_ptr<TSocketCanceller> ProbeCanceller = std::make_shared<TSocketCanceller>();
  // Whether a completed resource is unpacked into its folder and the archive
  // deleted (the installer always does); off, the file stays under its final name.
  std::atomic<bool> ExtractArchive{true};
  // The job's hold on its resource's local name: taken by its first run, kept
  // while the job lives (its partial and resume files carry the name between
  // runs), given back by a run that completes the resource. Job transfer thread
  // only (a job's runs follow one another); released with the job at the latest.
  std::unique_ptr<TLocalNameClaim> NameClaim;

  // The failure that ended the last run, if any ("" when it ended without one):
  // the log tells the user what happened, this lets a caller report the cause.
  void SetRunError(std::string className, std::string message);
  void ClearRunError() { SetRunError("", ""); }
  // Records a failure unless one is recorded already: the first failure of a
  // run is its cause, later ones (a save that fails after it) follow from it.
  void RecordRunError(std::string className, std::string message);
  std::string RunErrorClass() const;
  std::string RunErrorMessage() const;

  // GUI thread: starts a run unless one is going on.
  void StartDownload();
  // GUI thread: asks the running run to stop; callers then wait for Running to
  // fall to 0. Left set on an idle job, it stops the next run at its first pass.
  // A size probe waiting for its answer is cut short at once.
  void RequestStop();
  // GUI thread, for a running job: writes the size, speed, remaining and elapsed
  // cells from the published figures (nothing while they are being written).
  void UpdateCells();
  // GUI thread, for a running job: sets the gauge's percentage.
  void UpdateGauge();
  // "%.2d:%.2d:%.2d" of hours (not reduced modulo 24), minutes and seconds.
  static std::string SecondsToText(std::int64_t seconds);
  // "%.2f MB" of a byte count: the size column of every grid.
  static std::string SizeToText(std::int32_t bytes);

  // Job transfer thread: publishes a pair of sums, clearing StatsReady while it
  // writes them. GUI thread: reads a consistent sample; false while not ready.
  void PublishSums(std::int32_t receivedSize, std::int32_t runBytes);
  bool ReadStats(TJobStats& stats) const;

  // Waits until no run is going on, at most `timeoutMs`; true when idle.
  bool WaitUntilIdle(std::uint32_t timeoutMs) const;

  // The host, or null once it is gone.
  std::shared_ptr<TJobHost> Host() const { return host_.lock(); }

 private:
  TDownloadJob(const std::shared_ptr<TJobHost>& host, std::string name, TDateTime publishTime,
               std::string url, std::string folder, std::int32_t segCount,
               std::optional<TSha256::TDigest> expectedSha256);
  void SetCell(std::int32_t column, const std::string& text);

  std::weak_ptr<TJobHost> host_;
  mutable std::mutex statsMutex_;  // pairs the sums with the figures read beside them
  mutable std::mutex errorMutex_;
  std::string runErrorClass_;
  std::string runErrorMessage_;
};

}  // namespace bailan
