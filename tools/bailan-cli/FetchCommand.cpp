// bailan-cli fetch [--segments N] [--no-extract] URL FOLDER: receives one
// resource as the installer does (one pending record, one job, N segments),
// printing the job's log lines as they are added and its progress on stderr.
// Ctrl-C (SIGTERM on Linux, Ctrl-Break on Windows) stops the run, which saves its resume state; running the
// same command again resumes it.
#include <cstdio>
#include <string>

#include "CliCommand.h"
#include "FetchProgress.h"
#include "engine/DownloadJob.h"
#include "engine/DownloadManager.h"
#include "platform/Console.h"
#include "platform/Thread.h"
#include "platform/Tick.h"
#include "receive/ReceiveLists.h"

namespace bailan::cli {
namespace {

constexpr std::uint32_t kPollMs = 50;              // how often the log and the state are looked at
constexpr std::uint32_t kStalledGraceMs = 1000;    // no thread and no completion for this long: stuck
constexpr std::uint32_t kThreadExitWaitMs = 2000;  // for the run's thread to let go of the job
constexpr std::int32_t kDefaultSegments = 3;

struct TFetchArgs {
  std::int32_t Segments = kDefaultSegments;
  bool Extract = true;
  std::string Url;
  std::string Folder;
};

bool ParseArgs(const std::vector<std::string>& args, TFetchArgs& out) {
  std::vector<std::string> positional;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--segments" && i + 1 < args.size()) {
      char* end = nullptr;
      long n = std::strtol(args[++i].c_str(), &end, 10);
      if (*end != '\0' || n < 1 || n > 10) return false;
      out.Segments = static_cast<std::int32_t>(n);
    } else if (args[i] == "--no-extract") {
      out.Extract = false;
    } else if (args[i].rfind("--", 0) == 0) {
      return false;
    } else {
      positional.push_back(args[i]);
    }
  }
  if (positional.size() != 2) return false;
  out.Url = ArgumentToCp936(positional[0]);
  out.Folder = ArgumentToCp936(positional[1]);
  return true;
}

// Prints the log lines added since the last call.
void PrintNewLogLines(const TDownloadJob& job, std::size_t& printed) {
  std::vector<std::string> lines = job.Log.Lines();
  if (lines.size() < printed) printed = 0;  // a new run cleared the log
  for (; printed < lines.size(); ++printed) PrintLine(lines[printed]);
}

// Running, with its segment threads started and all of them ended, and the sums
// short of the size: nothing more will arrive in this run.
bool CannotProgress(const TDownloadJob& job) {
  return job.Running == 1 && job.StatsReady && job.ActiveSegments == 0 && !job.Finished &&
         job.ReceivedSize != job.TotalSize;
}

int RunFetch(const std::vector<std::string>& args) {
  TFetchArgs options;
  if (!ParseArgs(args, options)) return UsageError(TCliCommand::Find("fetch"));
  CatchStopRequests();

  auto lists = TReceiveLists::Create();
  TResourceRec record{};
  record.PublishTime = TDateTime::Now();
  record.Name = TDownloadManager::GetFileName(options.Url);
  record.URL = options.Url;
  record.SavePath = options.Folder;
  record.SegCount = options.Segments;
  record.Flag = 1;
  std::shared_ptr<TDownloadJob> job = lists->AddPendingJob(record, false);
  job->ExtractArchive = options.Extract;
  job->StartDownload();

  TFetchProgress progress(StderrIsTerminal());
  std::size_t printed = 0;
  bool stopRequested = false;
  std::uint32_t stuckSince = 0;
  bool stuck = false;
  while (job->Running != 0) {
    PrintNewLogLines(*job, printed);
    progress.Show(*job);
    const bool cannotProgress = CannotProgress(*job);
    if (!cannotProgress) {
      stuck = false;
    } else if (!stuck) {
      stuck = true;
      stuckSince = GetTickCount32();
    }
    if (!stopRequested &&
        (StopRequested() || (stuck && TickDiff(GetTickCount32(), stuckSince) >= kStalledGraceMs))) {
      job->RequestStop();
      stopRequested = true;
    }
    SleepMs(kPollMs);
  }
  PrintNewLogLines(*job, printed);
  progress.Finish(*job);

  // Let the run's thread release the job before the process tears down.
  for (std::uint32_t waited = 0;
       job.use_count() > 1 + (lists->JobCount() > 0 ? 1 : 0) && waited < kThreadExitWaitMs;
       waited += kPollMs) {
    SleepMs(kPollMs);
  }

  if (!job->RunErrorClass().empty())
    return ReportFailure(job->RunErrorClass().c_str(), job->RunErrorMessage());
  return lists->ReceivedCount() == 1 ? kExitOk : kExitFailure;
}

const TCliCommand kFetch("fetch", "[--segments N] [--no-extract] URL FOLDER", RunFetch);

}  // namespace
}  // namespace bailan::cli
