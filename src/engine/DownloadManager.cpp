#include "engine/DownloadManager.h"

#include <chrono>

#include "engine/Download.h"
#include "engine/DownloadJob.h"
#include "engine/EngineSettings.h"
#include "engine/JobHost.h"
#include "engine/PartialFile.h"
#include "engine/ResourceExtractor.h"
#include "platform/Cp936.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/Path.h"
#include "platform/Tick.h"
#include "transport/http/HttpClient.h"
#include "transport/http/Uri.h"

namespace bailan {
namespace {

constexpr std::uint32_t kMonitorIntervalMs = 100;  // how often the job's figures are refreshed
constexpr std::uint32_t kDonePollMs = 1;           // pause between polls of the done flags

// The run's log lines, after the "[time] " stamp.
std::string LoadedSizeLine(std::int32_t total) {
  return Format(Cp("取得资源原始大小：%d 字节。").c_str(), total);
}
std::string ProbedSizeLine(std::int32_t total) {
  return Format(Cp("重新取得资源原始大小：%d 字节。").c_str(), total);
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

std::int32_t TDownloadManager::GetFileSize(const std::string& url) {
  THttpClient client;
  client.Request.UserAgent = kBrowserUserAgent;
  client.SetHandleRedirects(true);
  client.SetReadTimeout(EngineSettings().ReadTimeoutMs);
  client.HeadRequest(url);
  return client.Response.ContentLength;
}

void TDownloadManager::LogLine(const std::string& text) {
  Job->Log.Add("[" + FormatDateTime(kDateTimeFormat, TDateTime::Now()) + "] " + text);
}

void TDownloadManager::Execute() {
  try {
    Run();
  } catch (const Exception& error) {
    Job->SetRunError(error.ClassName(), error.Message());
  } catch (const std::exception& error) {
    Job->SetRunError("Exception", error.what());
  }
  FinishRun();
}

void TDownloadManager::Run() {
  if (!PrepareRun()) return;
  Job->Finished = false;
  // From here on every way out passes through CloseRun.
  try {
    StartSegmentThreads();
    Monitor();
  } catch (...) {
    CloseRun();
    throw;
  }
  CloseRun();
}

// Steps before any segment thread exists: the file name, the size (loaded or
// probed), the split and the partial file. False when the run ends here.
bool TDownloadManager::PrepareRun() {
  FileName = GetFileName(URL);
  Job->Log.Clear();
  if (FileName.empty()) {
    LogLine(Cp("资源地址中没有文件名，退出."));
    return false;
  }
  resumePath_ = SavePath + FileName + std::string(kResumeSuffix);
  partialPath_ = SavePath + FileName + std::string(kPartialSuffix);

  TResumeLoadResult loaded = LoadResumeFile(resumePath_, Table);
  if (loaded.Status == TResumeLoadStatus::Loaded) {
    Job->TotalSize = loaded.Header.TotalSize;
    SegCount = loaded.Header.Count;
    header_ = loaded.Header;
    LogLine(LoadedSizeLine(Job->TotalSize));
  } else {
    if (loaded.Status == TResumeLoadStatus::Rejected) {
      LogLine(Cp("续传记录文件已损坏，重新开始接收.") + " (" + loaded.Reason + ")");
    }
    Job->TotalSize = GetFileSize(URL);
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

void TDownloadManager::StartSegmentThreads() {
  LogLine(Cp("开始启动线程进行接收... ..."));
  Job->StartTick = GetTickCount32();
  Table.PrepareFlags(SegCount);
  segmentsStarted_ = true;
  for (std::int32_t k = 1; k <= SegCount; ++k) {
    if (!Table.Segments[k].NeedsThread()) continue;
    Table.DoneFlags[k] = false;
    ++Job->ActiveSegments;
    try {
      TDownload::Start(shared_from_this(), k, URL, partialPath_);
    } catch (...) {
      --Job->ActiveSegments;  // that thread never ran
      Table.DoneFlags[k] = true;
      throw;
    }
  }
  LogLine(Cp("线程启动成功，资源接收中... ..."));
}

void TDownloadManager::Monitor() {
  while (!Job->Finished) {
    if (Job->StopRequest) {
      StopSegmentThreads();
      break;
    }
    Job->PublishSums(Table.SumReceived(SegCount), Table.SumByteCounters(SegCount));
    PauseMonitor(kMonitorIntervalMs);
    const std::int32_t received = Table.SumReceived(SegCount);
    if (received == Job->TotalSize) {
      Job->PublishSums(received, Table.SumByteCounters(SegCount));
      CompleteResource();
    }
  }
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

void TDownloadManager::CompleteResource() {
  const std::string finalPath = FinalisePartialFile(partialPath_, resumePath_, Table, SegCount);
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
}

void TDownloadManager::StopSegmentThreads() {
  for (std::int32_t k = 1; k <= SegCount; ++k) Table.StopFlags[k] = true;
  while (!Table.AllDone(SegCount)) SleepMs(kDonePollMs);
}

// On every way out once segment threads may have started: a run that did not
// complete stops what still runs and saves its table.
void TDownloadManager::CloseRun() {
  if (Job->Finished) return;
  if (segmentsStarted_) StopSegmentThreads();
  try {
    SaveResumeFile(resumePath_, header_, Table);
  } catch (const Exception& error) {
    Job->SetRunError(error.ClassName(), error.Message());
  }
  LogLine(Cp("资源接收未完成，任务中止."));
}

void TDownloadManager::FinishRun() {
  Job->StopRequest = false;
  Job->Running = 0;
}

}  // namespace bailan
