#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "engine/ResumeFile.h"
#include "engine/RunningDigest.h"
#include "engine/SegmentOutcome.h"
#include "engine/SegmentTable.h"
#include "platform/File.h"
#include "platform/SocketCanceller.h"
#include "platform/Thread.h"

namespace bailan {

class TDownloadJob;
class THttpClient;

// The job transfer thread: one run of one download job. It finds the resource's
// size (from the resume file or a HEAD request), splits it into segments, starts
// a segment thread per incomplete segment, publishes the job's figures every
// 100 ms, and either completes the resource (rename, unpack, completion move) or
// saves the resume state when the run ends incomplete. The job's log is its only
// account of what happened.
//
// A segment thread that ends early is started again for its slot: at once when
// its try brought data, else after a pause that doubles from one to thirty
// seconds (EngineSettings); a slot whose tries bring no block
// EngineSettings().MaxTriesWithoutData times in a row, or whose reply is not the range
// asked for, is given up, and a run whose incomplete slots are all given up ends
// as a stopped run does. A resource that changed its size starts afresh, once.
// While segments run the resume file is saved every kSaveIntervalMs, so that a
// crash loses no more than that.
//
// A document that cannot be a local file name ("." or "..", a name the host
// refuses, a name like a job's partial or resume file) ends the run at once. A
// run whose local name another live job holds (the same URL listed twice, two
// URLs ending in the same document) waits until that job has completed its
// resource, and then receives its own: every listed archive is received and
// unpacked once, and no two jobs ever write one partial or resume file. Waiting
// rather than taking another name keeps the files named as the next run of the
// installer will look for them.
class TDownloadManager : public TThread, public std::enable_shared_from_this<TDownloadManager> {
 public:
  // Called by the job on the GUI thread: stores the run's fields (the folder
  // gets its trailing separator), creates the folder with its parents, prepares
  // the flags of slots 1..segCount, marks the job running, and starts the thread.
  // The running thread owns itself and its job reference; the segment threads it
  // starts hold it alive until each of them has ended.
  static void Start(std::shared_ptr<TDownloadJob> job, std::string url, std::string folder,
                    std::int32_t segCount);

  ~TDownloadManager() override;

  // The document of `url`: the local file's name.
  static std::string GetFileName(const std::string& url);
  // The size probe: a HEAD request, which `canceller` can cut short; -1 when the
  // reply gives no length. The length may exceed what a table can hold. Raises
  // the request's failure.
  static std::int64_t GetFileSize(const std::string& url, const std::shared_ptr<TSocketCanceller>& canceller);
  // The probe's request through `client` (its user agent, redirects followed),
  // whatever else the caller set on it; the size as GetFileSize gives it.
  static std::int64_t ProbeSize(THttpClient& client, const std::string& url);

  const std::string URL;
  const std::string SavePath;  // ends with the folder separator
  std::string FileName;
  std::int32_t SegCount;
  const std::shared_ptr<TDownloadJob> Job;
  TSegmentTable Table;

  // Segment thread: it has ended (its done flag is set). Wakes the monitoring
  // pass early, so that a completed resource is finished without waiting out
  // the rest of the 100 ms pause.
  void SegmentEnded();
  // Segment thread k: how its try ended; written before its done flag is set.
  void SetOutcome(std::int32_t k, TSegmentOutcome outcome) { outcomes_[k] = std::move(outcome); }
  // What cuts segment thread k's connection short when the run stops.
  const std::shared_ptr<TSocketCanceller>& Canceller(std::int32_t k) const { return cancellers_[k]; }

  // Adds a time-stamped line, "[yyyy-mm-dd hh:nn:ss] " + text, to the job's log.
  void LogLine(const std::string& text);

 protected:
  void Execute() override;

 private:
  TDownloadManager(std::shared_ptr<TDownloadJob> job, std::string url, std::string folder,
                   std::int32_t segCount);

  // What the monitoring passes ended with.
  // Rejected: the received archive did not have its expected digest and was
  // deleted with the resume state; the next run starts afresh.
  enum class TMonitorEnd { Completed, Stopped, GivenUp, Restart, Rejected };

  // What the job transfer thread keeps about one slot's tries.
  struct TSlotTries {
    bool Running = false;              // a segment thread of this slot was started and not yet seen ended
    bool Waiting = false;              // a new try is due once the pause is over
    bool GivenUp = false;              // no further try in this run
    std::int32_t Failures = 0;         // tries in a row that brought no block
    std::int32_t ReceivedAtStart = 0;  // Received when the current try started
    std::uint32_t WaitStart = 0;       // tick when the pause began
    std::uint32_t PauseMs = 0;
  };

  void Run();
  bool PrepareRun(bool firstPass);
  bool RefuseFileName();
  bool ClaimLocalName();
  void CheckPartialLength(TResumeLoadResult& loaded) const;
  void StartSegmentThreads();
  void StartSegmentThread(std::int32_t k);
  TMonitorEnd Monitor();
  void HandleEndedSegments();
  void HandleEndedSegment(std::int32_t k);
  void ScheduleRetry(std::int32_t k, const TSegmentOutcome& outcome, bool broughtData);
  void StartDueRetries();
  bool AllIncompleteGivenUp() const;
  bool CompleteResource();
  bool ArchiveHasExpectedDigest(const std::string& finalPath, const TSha256::TDigest& got);
  void StopSegmentThreads();
  void DiscardStaleState();
  void SaveState();
  void SaveStateInPassing();
  void CloseRun();
  void FinishRun();
  void RecordFailure(const std::string& className, const std::string& message);

  // Sleeps up to `milliseconds`, returning early once a segment thread ends.
  void PauseMonitor(std::uint32_t milliseconds);

  std::mutex wakeMutex_;
  std::condition_variable wake_;
  std::int32_t segmentsEnded_ = 0;  // guarded by wakeMutex_
  std::string resumePath_;
  std::string partialPath_;
  TResumeHeader header_;
  bool segmentsStarted_ = false;
  bool restarted_ = false;   // the run has started afresh once already
  bool restartDue_ = false;  // a segment found the resource changed: start afresh
  bool renamed_ = false;     // this run renamed the complete partial file to its final name
  bool rejected_ = false;    // the archive failed its digest: nothing is left to save
  TFile partialFile_;        // for flushing the received bytes before a save
  // Hashes the partial file while it fills, for a job with an expected digest.
  std::unique_ptr<TRunningDigest> digest_;
  std::uint32_t lastSave_ = 0;
  std::array<TSlotTries, kMaxSegments + 1> tries_{};
  std::array<TSegmentOutcome, kMaxSegments + 1> outcomes_{};
  std::array<std::shared_ptr<TSocketCanceller>, kMaxSegments + 1> cancellers_{};
  std::string lastFailureClass_;  // the latest failure of a segment, for a run that gives up
  std::string lastFailureMessage_;
};

}  // namespace bailan
