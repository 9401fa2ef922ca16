// bailan-cli fetch [--segments N] [--no-extract] [--read-timeout MS] [--retries N]
//                  [--retry-wait S] [--cacert FILE] [--sha256 HEX] URL FOLDER:
// receives one resource as the installer does (one pending record, one job, N
// segments; with --sha256 the archive must have that digest, as a manifest's
// "sha256" demands), printing the job's log lines as they are added and its progress on
// stderr. Ctrl-C (or SIGTERM, or closing the terminal; Ctrl-Break on Windows)
// stops the run, which saves its resume state; running the same command again
// resumes it.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>

#include "CliCommand.h"
#include "FetchProgress.h"
#include "HttpArguments.h"
#include "engine/DownloadJob.h"
#include "engine/DownloadManager.h"
#include "engine/EngineSettings.h"
#include "platform/Console.h"
#include "platform/Sha256.h"
#include "platform/Thread.h"
#include "platform/Tick.h"
#include "receive/ReceiveLists.h"
#include "transport/http/TextUtil.h"

namespace bailan::cli {
namespace {

constexpr std::uint32_t kPollMs = 50;              // how often the log and the state are looked at
constexpr std::uint32_t kThreadExitWaitMs = 2000;  // for the run's thread to let go of the job
constexpr std::int32_t kDefaultSegments = 3;
constexpr std::int32_t kMaxRetries = 1000000;        // beyond this a range is never given up in practice
constexpr std::int32_t kMaxRetryWaitSeconds = 3600;  // a first pause longer than an hour is a typo

struct TFetchArgs {
  std::int32_t Segments = kDefaultSegments;
  bool Extract = true;
  std::int32_t ReadTimeoutMs = EngineSettings().ReadTimeoutMs;  // 0: no limit
  std::int32_t Retries =
      EngineSettings().MaxTriesWithoutData;  // tries without data before a range is given up
  std::int32_t RetryWaitMs = EngineSettings().RetryFirstPauseMs;  // the first pause after a try without data
  std::string Sha256;  // the expected digest in lower-case hex; empty: unchecked
  std::string Url;
  std::string Folder;
};

bool ParseArgs(const std::vector<std::string>& args, TFetchArgs& out) {
  std::vector<std::string> positional;
  for (std::size_t i = 0; i < args.size(); ++i) {
    bool ok = true;
    if (TakeCaCertOption(args, i, ok)) {
      if (!ok) return false;
    } else if (args[i] == "--segments" && i + 1 < args.size()) {
      char* end = nullptr;
      long n = std::strtol(args[++i].c_str(), &end, 10);
      if (*end != '\0' || n < 1 || n > 10) return false;
      out.Segments = static_cast<std::int32_t>(n);
    } else if (args[i] == "--no-extract") {
      out.Extract = false;
    } else if (args[i] == "--read-timeout" && i + 1 < args.size()) {
      std::optional<std::int32_t> value = ParseInt32(args[++i]);
      if (!value || *value < 0) return false;
      out.ReadTimeoutMs = *value;
    } else if (args[i] == "--retries" && i + 1 < args.size()) {
      std::optional<std::int32_t> value = ParseInt32(args[++i]);
      if (!value || *value < 1 || *value > kMaxRetries) return false;
      out.Retries = *value;
    } else if (args[i] == "--retry-wait" && i + 1 < args.size()) {
      std::optional<std::int32_t> value = ParseInt32(args[++i]);
      if (!value || *value < 0 || *value > kMaxRetryWaitSeconds) return false;
      out.RetryWaitMs = *value * 1000;
    } else if (args[i] == "--sha256" && i + 1 < args.size()) {
      TSha256::TDigest digest{};
      if (!ParseDigestHex(args[++i], digest)) return false;
      out.Sha256 = DigestToHex(digest);
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
void PrintNewLogLines(const TDownloadJob& job, std::size_t& printed, TFetchProgress& progress) {
  std::vector<std::string> lines = job.Log.Lines();
  if (lines.size() < printed) printed = 0;  // a new run cleared the log
  for (; printed < lines.size(); ++printed) progress.Log(job, lines[printed]);
}

// A run whose size probe found no length has nothing to fetch and never ends
// by itself.
bool SizeUnknown(const TDownloadJob& job) {
  return job.Running == 1 && job.StatsReady && job.TotalSize < 0;
}

// Why a run that recorded no failure did not receive the resource: one line.
int ReportNotReceived(bool stoppedBySignal, bool sizeUnknown) {
  if (stoppedBySignal) return ReportFailure("Stopped", "The run was stopped; the same command resumes it");
  if (sizeUnknown) return ReportFailure("ESizeError", "The server gives no size for the resource");
  return ReportFailure("Incomplete", "The resource was not received completely");
}

int RunFetch(const std::vector<std::string>& args) {
  TFetchArgs options;
  if (!ParseArgs(args, options)) return UsageError(TCliCommand::Find("fetch"));
  CatchStopRequests();
  EngineSettings().ReadTimeoutMs = options.ReadTimeoutMs;
  EngineSettings().MaxTriesWithoutData = options.Retries;
  EngineSettings().RetryFirstPauseMs = options.RetryWaitMs;
  EngineSettings().RetryMaxPauseMs = std::max(options.RetryWaitMs, EngineSettings().RetryMaxPauseMs.load());

  auto lists = TReceiveLists::Create();
  TResourceRec record{};
  record.PublishTime = TDateTime::Now();
  record.Name = TDownloadManager::GetFileName(options.Url);
  record.URL = options.Url;
  record.SavePath = options.Folder;
  record.SegCount = options.Segments;
  record.Flag = 1;
  record.Sha256 = options.Sha256;
  std::shared_ptr<TDownloadJob> job = lists->AddPendingJob(record, false);
  job->ExtractArchive = options.Extract;
  job->StartDownload();

  TFetchProgress progress(StderrIsTerminal());
  std::size_t printed = 0;
  bool stopRequested = false;
  bool sizeUnknown = false;
  while (job->Running != 0) {
    PrintNewLogLines(*job, printed, progress);
    progress.Show(*job);
    if (!stopRequested && !sizeUnknown && SizeUnknown(*job)) sizeUnknown = true;
    if (!stopRequested && (StopRequested() || sizeUnknown)) {
      job->RequestStop();
      stopRequested = true;
    }
    SleepMs(kPollMs);
  }
  PrintNewLogLines(*job, printed, progress);
  progress.Finish(*job);

  // Let the run's thread release the job before the process tears down.
  for (std::uint32_t waited = 0;
       job.use_count() > 1 + (lists->JobCount() > 0 ? 1 : 0) && waited < kThreadExitWaitMs;
       waited += kPollMs) {
    SleepMs(kPollMs);
  }

  if (!job->RunErrorClass().empty())
    return ReportFailure(job->RunErrorClass().c_str(), job->RunErrorMessage());
  if (lists->ReceivedCount() == 1) return kExitOk;
  return ReportNotReceived(StopRequested(), sizeUnknown);
}

const TCliCommand kFetch("fetch",
                         "[--segments N] [--no-extract] [--read-timeout MS] [--retries N] [--retry-wait S] "
                         "[--cacert FILE] [--sha256 HEX] URL FOLDER",
                         RunFetch);

}  // namespace
}  // namespace bailan::cli
