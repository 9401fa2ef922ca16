#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "engine/ResumeFile.h"
#include "engine/SegmentTable.h"
#include "platform/Thread.h"

namespace bailan {

class TDownloadJob;

// The job transfer thread: one run of one download job. It finds the resource's
// size (from the resume file or a HEAD request), splits it into segments, starts
// a segment thread per incomplete segment, publishes the job's figures every
// 100 ms, and either completes the resource (rename, unpack, completion move) or
// saves the resume state when the run ends incomplete. The job's log is its only
// account of what happened.
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
  // The size probe: a HEAD request; -1 when the reply gives no length. Raises
  // the request's failure.
  static std::int32_t GetFileSize(const std::string& url);

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

  // Adds a time-stamped line, "[yyyy-mm-dd hh:nn:ss] " + text, to the job's log.
  void LogLine(const std::string& text);

 protected:
  void Execute() override;

 private:
  TDownloadManager(std::shared_ptr<TDownloadJob> job, std::string url, std::string folder,
                   std::int32_t segCount);

  void Run();
  bool PrepareRun();
  void StartSegmentThreads();
  void Monitor();
  void CompleteResource();
  void StopSegmentThreads();
  void CloseRun();
  void FinishRun();

  // Sleeps up to `milliseconds`, returning early once a segment thread ends.
  void PauseMonitor(std::uint32_t milliseconds);

  std::mutex wakeMutex_;
  std::condition_variable wake_;
  std::int32_t segmentsEnded_ = 0;  // guarded by wakeMutex_
  std::string resumePath_;
  std::string partialPath_;
  TResumeHeader header_;
  bool segmentsStarted_ = false;
};

}  // namespace bailan
