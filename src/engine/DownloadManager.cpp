#include "engine/DownloadManager.h"

#include <algorithm>
#include <chrono>

#include "engine/Download.h"
#include "engine/DownloadJob.h"
#include "engine/EngineSettings.h"
#include "engine/JobHost.h"
#include "engine/PartialFile.h"
#include "engine/ResourceExtractor.h"
#include "platform/Cp936.h"
#include "platform/Exception.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/Path.h"
#include "platform/Tick.h"
#include "transport/http/HttpClient.h"
#include "transport/http/TextUtil.h"
#include "transport/http/Uri.h"

namespace bailan {
namespace {

constexpr std::uint32_t kMonitorIntervalMs = 100;  // how often the job's figures are refreshed
constexpr std::uint32_t kDonePollMs = 1;           // pause between polls of the done flags
// How often a running run saves its resume file: what a crash can cost at most.
constexpr std::uint32_t kSaveIntervalMs = 2000;
// Tries of one slot in a row without a received block before it is given up.
// A length with more digits than this does not fit 64 bits: no length at all.
constexpr std::size_t kMaxLengthDigits = 18;
// The class recorded for a resource too large to be received.
constexpr const char* kTooLargeClass = "ESizeError";
// The class recorded for a document that cannot name a local file.
constexpr const char* kBadNameClass = "EFileNameError";
// The class recorded for an archive whose digest is not the expected one.
constexpr const char* kDigestMismatchClass = "EDigestMismatch";

// The run's log lines, after the "[time] " stamp.
std::string LoadedSizeLine(std::int32_t total) {
  return Format(Cp("取得资源原始大小：%d 字节。").c_str(), total);
}
std::string ProbedSizeLine(std::int32_t total) {
  return Format(Cp("重新取得资源原始大小：%d 字节。").c_str(), total);
}

// The failure of a try in a retry line: what the user can make of it. A TLS
// failure carries its reason (an expired or foreign certificate, a cut
// connection), which the user cannot guess otherwise.
std::string FailurePhrase(const std::string& className, const std::string& message) {
  if (className == "ETlsError") return Cp("安全连接失败（") + message + Cp("）");
  if (className == "EReadTimeout") return Cp("接收超时");
  if (className == "EConnectException" || className == "EConnectTimeout" || className == "ESocketError")
    return Cp("连接失败");
  if (className == "EHttpProtocolException") return Cp("服务器应答错误");
  if (className == "EInOutError" || className == "EFOpenError") return Cp("写入接收文件失败");
  return Cp("连接中断");
}

// The size given by a reply's Content-Length, also beyond 32 bits; -1 for none.
std::int64_t ReplyLength(const THttpResponse& reply) {
  if (reply.HasContentLength()) return reply.ContentLength;
  const std::string text = Trim(reply.Headers.Value("Content-Length"));
  if (text.empty() || text.size() > kMaxLengthDigits ||
      text.find_first_not_of("0123456789") != std::string::npos)
    return -1;
  return std::stoll(text);
}

}  // namespace

TDownloadManager::TDownloadManager(std::shared_ptr<TDownloadJob> job, std::string url, std::string folder,
                                   std::int32_t segCount)
    : URL(std::move(url)),
      SavePath(folder.empty() ? folder : IncludeTrailingPathDelimiter(folder)),
      SegCount(segCount),
      Job(std::move(job)) {
  if (!SavePath.empty() && !DirectoryExists(SavePath)) ForceDirectories(SavePath);
  for (std::int32_t k = 1; k <= SegCount; ++k) {
    Table.StopFlags[k] = false;
    Table.DoneFlags[k] = true;
    Table.ByteCounters[k] = 0;
  }
  for (auto& canceller : cancellers_) canceller = std::make_shared<TSocketCanceller>();
  Job->Running = 1;
}

TDownloadManager::~TDownloadManager() = default;

void TDownloadManager::Start(std::shared_ptr<TDownloadJob> job, std::string url, std::string folder,
                             std::int32_t segCount) {
  std::shared_ptr<TDownloadManager> manager(
      new TDownloadManager(std::move(job), std::move(url), std::move(folder), segCount));
  try {
    StartFreeOnTerminate(manager);
  } catch (...) {
    manager->Job->Running = 0;  // no thread: the job is idle again
    throw;
  }
}

std::string TDownloadManager::GetFileName(const std::string& url) {
  return TUri(url).Document;
}

std::int64_t TDownloadManager::GetFileSize(const std::string& url,
                                           const std::shared_ptr<TSocketCanceller>& canceller) {
  THttpClient client;
  client.SetReadTimeout(EngineSettings().ReadTimeoutMs);
  client.Connection().SetCanceller(canceller);
  return ProbeSize(client, url);
}

std::int64_t TDownloadManager::ProbeSize(THttpClient& client, const std::string& url) {
  client.Request.UserAgent = kBrowserUserAgent;
  client.SetHandleRedirects(true);
  client.HeadRequest(url);
  return ReplyLength(client.Response);
}

void TDownloadManager::LogLine(const std::string& text) {
  Job->Log.Add("[" + FormatDateTime(kDateTimeFormat, TDateTime::Now()) + "] " + text);
}

void TDownloadManager::Execute() {
  try {
    Run();
  } catch (const Exception& error) {
    Job->RecordRunError(error.ClassName(), error.Message());
  } catch (const std::exception& error) {
    Job->RecordRunError("Exception", error.what());
  }
  FinishRun();
}

void TDownloadManager::Run() {
  for (bool firstPass = true;; firstPass = false) {
    if (!PrepareRun(firstPass)) return;
    Job->Finished = false;
    // From here on every way out passes through CloseRun, the failure that
    // ended the run recorded before the save that follows it.
    TMonitorEnd end = TMonitorEnd::Stopped;
    try {
      StartSegmentThreads();
      end = Monitor();
    } catch (const Exception& error) {
      Job->RecordRunError(error.ClassName(), error.Message());
    } catch (const std::exception& error) {
      Job->RecordRunError("Exception", error.what());
    } catch (...) {
      Job->RecordRunError("Exception", "unknown failure");
    }
    if (end != TMonitorEnd::Restart) {
      CloseRun();
      return;
    }
    DiscardStaleState();
  }
}

// Steps before any segment thread exists: the file name, the size (loaded or
// probed), the split and the partial file. False when the run ends here.
bool TDownloadManager::PrepareRun(bool firstPass) {
  if (firstPass) {
    FileName = GetFileName(URL);
    Job->Log.Clear();
    if (FileName.empty()) {
      LogLine(Cp("资源地址中没有文件名，退出."));
      return false;
    }
    if (RefuseFileName() || !ClaimLocalName()) return false;
    resumePath_ = SavePath + FileName + std::string(kResumeSuffix);
    partialPath_ = SavePath + FileName + std::string(kPartialSuffix);
  }

  TResumeLoadResult loaded = LoadResumeFile(resumePath_, Table);
  if (loaded.Status == TResumeLoadStatus::Loaded) CheckPartialLength(loaded);
  if (loaded.Status == TResumeLoadStatus::Loaded) {
    Job->TotalSize = loaded.Header.TotalSize;
    SegCount = loaded.Header.Count;
    header_ = loaded.Header;
    LogLine(LoadedSizeLine(Job->TotalSize));
  } else {
    if (loaded.Status == TResumeLoadStatus::Rejected) {
      LogLine(Cp("续传记录文件已损坏，重新开始接收.") + " (" + loaded.Reason + ")");
    }
    std::int64_t size = 0;
    try {
      size = GetFileSize(URL, Job->ProbeCanceller);
    } catch (const Exception&) {
      if (!Job->StopRequest) throw;
      LogLine(Cp("资源接收未完成，任务中止."));  // stopped while the probe waited
      return false;
    }
    if (size > kLargestResourceSize) {
      LogLine(Format(Cp("资源大小为 %lld 字节，超过 2 GB，无法接收，退出.").c_str(),
                     static_cast<long long>(size)));
      Job->RecordRunError(kTooLargeClass,
                          Format("The resource is %lld bytes; one of 2 GiB or more cannot be received",
                                 static_cast<long long>(size)));
      return false;
    }
    Job->TotalSize = static_cast<std::int32_t>(size);
    LogLine(ProbedSizeLine(Job->TotalSize));
    Table.Split(Job->TotalSize, SegCount);
    LogLine(Cp("开始创建接收文件... ..."));
    CreatePartialFile(partialPath_, Job->TotalSize);
    LogLine(Cp("创建接收文件成功."));
    header_ = TResumeHeader{Job->TotalSize, SegCount};
  }

  if (!FileExists(partialPath_)) {
    LogLine(Cp("接收文件不存在，退出."));
    return false;
  }
  return true;
}

// True, with its line and reason, when the document cannot name a local file:
// "." and ".." name folders, the host refuses some names or takes them for
// devices (IsCreatableName), and a name like a job's partial or resume file
// would be taken for another job's state.
bool TDownloadManager::RefuseFileName() {
  if (IsCreatableName(FileName) && !IsJobFileName(FileName)) return false;
  LogLine(Format(Cp("资源文件名 \"%s\" 不能作为本地文件名，退出.").c_str(), FileName));
  Job->RecordRunError(kBadNameClass, Format("\"%s\" cannot name a local file", FileName));
  return true;
}

// Takes the local name for the job, once; while another live job holds it,
// waits and says so. False when a stop is requested meanwhile.
bool TDownloadManager::ClaimLocalName() {
  if (Job->NameClaim) return true;  // since an earlier run
  const std::string path = SavePath + FileName;
  for (std::uint32_t waitMs = 0; !(Job->NameClaim = TLocalNameClaim::Claim(path, waitMs));
       waitMs = kMonitorIntervalMs) {
    if (waitMs == 0) LogLine(Cp("另一任务正在接收同名的资源，等待其完成... ..."));
    if (Job->StopRequest) {
      LogLine(Cp("资源接收未完成，任务中止."));
      return false;
    }
  }
  return true;
}

// A loaded table is used only beside a partial file of the table's length: a
// shorter or longer file belongs to another resource, or was cut.
void TDownloadManager::CheckPartialLength(TResumeLoadResult& loaded) const {
  if (!FileExists(partialPath_)) return;  // the run ends on that below
  std::int64_t length = -1;
  try {
    length = TFile::Open(partialPath_, TAccess::Read, TShareMode::ReadWrite).Size();
  } catch (const Exception&) {
  }
  if (length == loaded.Header.TotalSize) return;
  loaded.Status = TResumeLoadStatus::Rejected;
  loaded.Reason = Format("the partial file has %lld bytes where the table needs %d",
                         static_cast<long long>(length), loaded.Header.TotalSize);
}

void TDownloadManager::StartSegmentThreads() {
  LogLine(Cp("开始启动线程进行接收... ..."));
  Job->StartTick = GetTickCount32();
  Table.PrepareFlags(SegCount);
  tries_ = {};
  segmentsStarted_ = true;
  partialFile_ = TFile::Open(partialPath_, TAccess::Write, TShareMode::ReadWrite);
  if (Job->ExpectedSha256)
    digest_ = std::make_unique<TRunningDigest>(partialPath_, Table, SegCount, Job->TotalSize);
  lastSave_ = GetTickCount32();
  for (std::int32_t k = 1; k <= SegCount; ++k) {
    if (Table.Segments[k].NeedsThread()) StartSegmentThread(k);
  }
  LogLine(Cp("线程启动成功，资源接收中... ..."));
}

void TDownloadManager::StartSegmentThread(std::int32_t k) {
  TSlotTries& slot = tries_[k];
  slot.Waiting = false;
  slot.ReceivedAtStart = Table.Segments[k].Received;
  cancellers_[k]->Reset();
  Table.DoneFlags[k] = false;
  slot.Running = true;
  ++Job->ActiveSegments;
  try {
    TDownload::Start(shared_from_this(), k, URL, partialPath_);
  } catch (...) {
    --Job->ActiveSegments;  // that thread never ran
    slot.Running = false;
    Table.DoneFlags[k] = true;
    throw;
  }
}

TDownloadManager::TMonitorEnd TDownloadManager::Monitor() {
  for (;;) {
    if (Job->StopRequest) {
      StopSegmentThreads();
      return TMonitorEnd::Stopped;
    }
    HandleEndedSegments();
    if (restartDue_) return TMonitorEnd::Restart;
    if (AllIncompleteGivenUp()) {
      Job->RecordRunError(lastFailureClass_, lastFailureMessage_);
      return TMonitorEnd::GivenUp;
    }
    StartDueRetries();
    Job->PublishSums(Table.SumReceived(SegCount), Table.SumByteCounters(SegCount));
    PauseMonitor(kMonitorIntervalMs);
    const std::int32_t received = Table.SumReceived(SegCount);
    if (received == Job->TotalSize) {
      Job->PublishSums(received, Table.SumByteCounters(SegCount));
      return CompleteResource() ? TMonitorEnd::Completed : TMonitorEnd::Rejected;
    }
    if (TickDiff(GetTickCount32(), lastSave_) >= kSaveIntervalMs) SaveStateInPassing();
  }
}

void TDownloadManager::HandleEndedSegments() {
  for (std::int32_t k = 1; k <= SegCount; ++k) {
    if (tries_[k].Running && Table.DoneFlags[k].load(std::memory_order_acquire)) HandleEndedSegment(k);
  }
}

// A segment thread of slot k has ended: complete, or why not and what next.
void TDownloadManager::HandleEndedSegment(std::int32_t k) {
  TSlotTries& slot = tries_[k];
  slot.Running = false;
  const bool broughtData = Table.Segments[k].Received != slot.ReceivedAtStart;
  if (broughtData) slot.Failures = 0;
  if (!Table.Segments[k].NeedsThread()) return;
  const TSegmentOutcome& outcome = outcomes_[k];
  switch (outcome.End) {
    case TSegmentEnd::Resized:
      RecordFailure(outcome.ErrorClass, outcome.ErrorMessage);
      if (!restarted_) {
        restartDue_ = true;
      } else {
        for (auto& each : tries_) each.GivenUp = true;  // it changed again: the run cannot finish
      }
      return;
    case TSegmentEnd::Refused:
      RecordFailure(outcome.ErrorClass, outcome.ErrorMessage);
      slot.GivenUp = true;  // its line says so already
      return;
    case TSegmentEnd::Finished:
    case TSegmentEnd::Failed:
      ScheduleRetry(k, outcome, broughtData);
      return;
  }
}

void TDownloadManager::ScheduleRetry(std::int32_t k, const TSegmentOutcome& outcome, bool broughtData) {
  TSlotTries& slot = tries_[k];
  RecordFailure(outcome.ErrorClass.empty() ? "EConnClosedGracefully" : outcome.ErrorClass,
                outcome.ErrorMessage.empty() ? "The segment ended before its range was complete"
                                             : outcome.ErrorMessage);
  if (++slot.Failures >= std::max(1, EngineSettings().MaxTriesWithoutData.load())) {
    slot.GivenUp = true;
    Job->Log.Add(Format(Cp("线程%d：连续%d次没有收到数据，放弃.").c_str(), k, slot.Failures));
    return;
  }
  std::int64_t pause = EngineSettings().RetryFirstPauseMs;
  for (std::int32_t n = 1; n < slot.Failures && pause < EngineSettings().RetryMaxPauseMs; ++n) pause *= 2;
  slot.PauseMs =
      broughtData
          ? 0
          : static_cast<std::uint32_t>(std::min<std::int64_t>(pause, EngineSettings().RetryMaxPauseMs));
  slot.WaitStart = GetTickCount32();
  slot.Waiting = true;
  Job->Log.Add(Format(Cp("线程%d：%s，%d秒后第%d次重试.").c_str(), k,
                      FailurePhrase(outcome.ErrorClass, outcome.ErrorMessage),
                      static_cast<int>((slot.PauseMs + 999) / 1000), slot.Failures));
}

void TDownloadManager::StartDueRetries() {
  const std::uint64_t rate = static_cast<std::uint64_t>(std::max(1, EngineSettings().RetryClockRate.load()));
  for (std::int32_t k = 1; k <= SegCount; ++k) {
    const TSlotTries& slot = tries_[k];
    if (slot.Waiting && !slot.GivenUp && TickDiff(GetTickCount32(), slot.WaitStart) * rate >= slot.PauseMs)
      StartSegmentThread(k);
  }
}

bool TDownloadManager::AllIncompleteGivenUp() const {
  bool any = false;
  for (std::int32_t k = 1; k <= SegCount; ++k) {
    if (!Table.Segments[k].NeedsThread()) continue;
    if (!tries_[k].GivenUp || tries_[k].Running) return false;
    any = true;
  }
  return any;
}

void TDownloadManager::RecordFailure(const std::string& className, const std::string& message) {
  lastFailureClass_ = className;
  lastFailureMessage_ = message;
}

void TDownloadManager::SegmentEnded() {
  std::lock_guard lock(wakeMutex_);
  ++segmentsEnded_;
  wake_.notify_all();
}

void TDownloadManager::PauseMonitor(std::uint32_t milliseconds) {
  std::unique_lock lock(wakeMutex_);
  const std::int32_t ended = segmentsEnded_;
  wake_.wait_for(lock, std::chrono::milliseconds(milliseconds), [&] { return segmentsEnded_ != ended; });
}

// False when the archive was rejected by its digest: then nothing is unpacked
// and nothing of it stays.
bool TDownloadManager::CompleteResource() {
  partialFile_.Close();  // a file held open cannot be renamed everywhere
  // The digest's last bytes are read before the rename, which its handle would
  // block on some hosts; the verdict comes after it.
  std::optional<TSha256::TDigest> got;
  if (digest_) got = digest_->Finish();
  digest_.reset();
  const std::string finalPath = FinalisePartialFile(partialPath_, resumePath_, Table, SegCount);
  renamed_ = true;
  if (got && !ArchiveHasExpectedDigest(finalPath, *got)) return false;
  Job->Finished = true;
  if (Job->ExtractArchive) {
    ExtractResource(finalPath, SavePath);
    DeleteFile(finalPath);
  }
  const std::string doneLine = Cp("资源接收完成.");
  if (auto host = Job->Host()) {
    host->CompleteJob(*Job, ExtractFileName(finalPath), Job->TotalSize, [&] { LogLine(doneLine); });
  } else {
    LogLine(doneLine);
  }
  return true;
}

// A job with an expected digest has hashed its archive while it arrived (each
// byte read once) and unpacks it only when `got` is that digest. On a mismatch
// the archive goes (the resume file went with the rename), one line names both
// digests, and the job is left with nothing received, so that its next run
// fetches the resource afresh.
bool TDownloadManager::ArchiveHasExpectedDigest(const std::string& finalPath, const TSha256::TDigest& got) {
  if (got == *Job->ExpectedSha256) return true;
  rejected_ = true;
  DeleteFile(finalPath);
  const std::string expectedHex = DigestToHex(*Job->ExpectedSha256), gotHex = DigestToHex(got);
  LogLine(
      Format(Cp("资源校验失败：SHA-256 应为 %s，实为 %s，已删除接收的文件.").c_str(), expectedHex, gotHex));
  Job->RecordRunError(
      kDigestMismatchClass,
      Format("The archive's SHA-256 is %s where %s was expected; it was deleted", gotHex, expectedHex));
  Job->PublishSums(0, Table.SumByteCounters(SegCount));
  return false;
}

// Every segment thread is asked to stop and its connection cut short, so that
// none waits out a stalled read; returns once all have ended.
void TDownloadManager::StopSegmentThreads() {
  for (std::int32_t k = 1; k <= SegCount; ++k) {
    Table.StopFlags[k] = true;
    tries_[k].Waiting = false;
  }
  for (std::int32_t k = 1; k <= SegCount; ++k) cancellers_[k]->Cancel();
  while (!Table.AllDone(SegCount)) SleepMs(kDonePollMs);
  for (std::int32_t k = 1; k <= SegCount; ++k) tries_[k].Running = false;
}

// The server holds a resource of another size than the one being received: what
// was received belongs to the old one and goes; the run starts again from the
// size probe.
void TDownloadManager::DiscardStaleState() {
  StopSegmentThreads();
  digest_.reset();
  partialFile_.Close();
  DeleteFile(partialPath_);
  DeleteFile(resumePath_);
  LogLine(Cp("服务器上的资源已改变，删除已接收的数据，重新开始接收."));
  SegCount = Job->SegCount;
  segmentsStarted_ = false;
  restartDue_ = false;
  restarted_ = true;
}

// Saves the table so that it never counts a byte that is not on the disk: the
// counts are taken first, then the partial file is flushed, then the resume
// file is replaced in one step.
void TDownloadManager::SaveState() {
  SaveResumeFile(resumePath_, header_, Table, [this] {
    if (partialFile_.IsOpen()) partialFile_.FlushData();
  });
  lastSave_ = GetTickCount32();
}

// A save while segments run that fails (a full disk) does not end the run: the
// segments' own failures tell why, and the save is tried again at the next
// interval and when the run ends.
void TDownloadManager::SaveStateInPassing() {
  try {
    SaveState();
  } catch (const Exception&) {
    lastSave_ = GetTickCount32();
  }
}

// On every way out once segment threads may have started: a run that did not
// complete stops what still runs and saves its table (unless its archive was
// rejected: then there is no partial file left to resume).
void TDownloadManager::CloseRun() {
  if (Job->Finished) return;
  if (segmentsStarted_) StopSegmentThreads();
  digest_.reset();
  if (!rejected_) {
    try {
      SaveState();
    } catch (const Exception& error) {
      Job->RecordRunError(error.ClassName(), error.Message());
    }
  }
  partialFile_.Close();
  LogLine(Cp("资源接收未完成，任务中止."));
}

void TDownloadManager::FinishRun() {
  if (renamed_) Job->NameClaim.reset();  // no partial or resume file bears the name now
  Job->StopRequest = false;
  Job->Running = 0;
}

}  // namespace bailan
