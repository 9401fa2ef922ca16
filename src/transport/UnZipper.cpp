#include "transport/UnZipper.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <functional>
#include <limits>
#include <thread>

#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "transport/ZipExceptions.h"

namespace bailan {
namespace {

constexpr const char* kUnknownMethodText = "Unknown Compression Method";
constexpr const char* kUnknownMethodCaption = "Zip Error";

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

// Archives with fewer entries are extracted by the calling thread alone: the
// workers pay off only where file creation can overlap decoding.
constexpr std::size_t kMinEntriesForWorkers = 16;
// Decoding and the file system's work overlap fully with two; more threads
// would only compete for the disk.
constexpr unsigned kMaxWorkers = 2;

// Entries whose destinations are the same name (ignoring ASCII case, as the
// Windows file system does) get the same key, so that one worker writes them
// in order.
std::size_t DestinationKey(const TZipDestination& destination) {
  std::string name = destination.FullName.empty() ? destination.Folder : destination.FullName;
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return std::hash<std::string>()(name);
}

// Sets the busy flag for one operation.
class TBusyScope {
 public:
  explicit TBusyScope(std::atomic<bool>& flag) : flag_(flag) { flag_ = true; }
  ~TBusyScope() { flag_ = false; }
  TBusyScope(const TBusyScope&) = delete;
  TBusyScope& operator=(const TBusyScope&) = delete;

 private:
  std::atomic<bool>& flag_;
};

}  // namespace

TUnZipper::TUnZipper() : Notifier(DefaultUnzipNotifier()) {}

TUnZipper::~TUnZipper() = default;

void TUnZipper::SetZipName(const std::string& name) {
  if (!SameNameIgnoringCase(name, zipName_)) {
    CloseArchive();
    Reset();
  }
  zipName_ = name;
}

void TUnZipper::SetDestDir(const std::string& folder) {
  destDir_ = folder;
  if (destDir_.size() > 1 && EndsWithPathDelim(destDir_)) destDir_.pop_back();
}

void TUnZipper::Reset() {
  directoryRead_ = false;
  entries_.clear();
}

void TUnZipper::OpenArchive() {
  if (!archive_.IsOpen()) archive_ = TFile::Open(zipName_, TAccess::Read, TShareMode::ReadWrite);
}

void TUnZipper::CloseArchive() {
  archive_.Close();
}

void TUnZipper::ReadDirectoryFromArchive() {
  Reset();
  TDateTime date;
  GetFileDate(zipName_, date);
  entries_ = TZipDirectoryReader(archive_, zipName_, IncompleteZipMode).Read();
  archiveDate_ = date;
  directoryRead_ = true;
}

bool TUnZipper::DirectoryIsCurrent() const {
  TDateTime date;
  return directoryRead_ && GetFileDate(zipName_, date) && date == archiveDate_;
}

void TUnZipper::ReadDirectory() {
  TBusyScope busy(busy_);
  try {
    OpenArchive();
    ReadDirectoryFromArchive();
  } catch (const EIncompleteZip&) {
    Reset();  // not an archive (yet): nothing read, no failure
  } catch (...) {
    CloseArchive();
    Reset();
    throw;
  }
  if (!KeepZipOpen) CloseArchive();
}

std::vector<const TZipEntry*> TUnZipper::MarkedEntries() const {
  std::vector<const TZipEntry*> marked;
  if (!DoAll) return marked;
  for (const TZipEntry& entry : entries_) marked.push_back(&entry);
  if (SortMode == TUZSortMode::ByName) {
    std::stable_sort(marked.begin(), marked.end(),
                     [](const TZipEntry* a, const TZipEntry* b) { return a->FileName < b->FileName; });
  }
  return marked;
}

int TUnZipper::ExtractMarked() {
  TBusyScope busy(busy_);
  struct TCloseScope {
    TUnZipper& owner;
    ~TCloseScope() {
      if (!owner.KeepZipOpen) owner.CloseArchive();
    }
  } closeScope{*this};
  OpenArchive();
  if (!DirectoryIsCurrent()) ReadDirectoryFromArchive();
  std::vector<const TZipEntry*> marked = MarkedEntries();
  if (marked.empty()) return 0;
  if (!destDir_.empty() && !DirectoryExists(destDir_)) ForceDirectories(destDir_);
  unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  unsigned workers = marked.size() >= kMinEntriesForWorkers ? std::min(kMaxWorkers, cores) : 1;
  return workers > 1 ? ExtractByWorkers(marked, workers) : ExtractInOrder(marked);
}

TZipEntrySettings TUnZipper::EntrySettings() const {
  TZipEntrySettings settings;
  settings.RetainAttributes = RetainAttributes;
  settings.OverwriteMode = OverwriteMode;
  settings.ReplaceReadOnly = ReplaceReadOnly;
  return settings;
}

void TUnZipper::NotifyUnknownMethod() {
  std::lock_guard<std::mutex> guard(notifyLock_);
  if (Notifier) Notifier->Notify(kUnknownMethodText, kUnknownMethodCaption);
}

int TUnZipper::ExtractInOrder(const std::vector<const TZipEntry*>& entries) {
  TZipEntryExtractor extractor(EntrySettings(), archive_, [this] { NotifyUnknownMethod(); });
  int handled = 0;
  for (const TZipEntry* entry : entries) {
    TZipDestination destination;
    if (ResolveZipDestination(destDir_, RecreateDirs, *entry, destination) &&
        extractor.Extract(*entry, destination)) {
      ++handled;
    }
  }
  return handled;
}

// Each worker takes the entries whose destination hashes to it, in directory
// order. After a failure the workers still extract the entries before the
// failed one and start none after it; the failure of the earliest entry is
// raised.
int TUnZipper::ExtractByWorkers(const std::vector<const TZipEntry*>& entries, unsigned workers) {
  struct TTask {
    const TZipEntry* Entry;
    TZipDestination Destination;
    unsigned Worker;
  };
  std::vector<TTask> tasks;
  for (const TZipEntry* entry : entries) {
    TTask task{entry, {}, 0};
    if (!ResolveZipDestination(destDir_, RecreateDirs, *entry, task.Destination)) continue;
    task.Worker = static_cast<unsigned>(DestinationKey(task.Destination) % workers);
    tasks.push_back(std::move(task));
  }
  struct TWorkerResult {
    int Handled = 0;
    std::size_t FailedTask = std::numeric_limits<std::size_t>::max();
    std::exception_ptr Failure;
  };
  std::vector<TWorkerResult> results(workers);
  // Index of the earliest failed task: entries before it are still extracted,
  // as extracting in order would have; later ones are not started.
  std::atomic<std::size_t> failedAt{std::numeric_limits<std::size_t>::max()};
  auto work = [&](unsigned worker) {
    TWorkerResult& result = results[worker];
    std::size_t current = 0;
    try {
      TFile archive = TFile::Open(zipName_, TAccess::Read, TShareMode::ReadWrite);
      TZipEntryExtractor extractor(EntrySettings(), archive, [this] { NotifyUnknownMethod(); });
      for (current = 0; current < tasks.size() && current < failedAt.load(); ++current) {
        const TTask& task = tasks[current];
        if (task.Worker == worker && extractor.Extract(*task.Entry, task.Destination)) ++result.Handled;
      }
    } catch (...) {
      result.Failure = std::current_exception();
      result.FailedTask = current;
      std::size_t earliest = failedAt.load();
      while (current < earliest && !failedAt.compare_exchange_weak(earliest, current)) {
      }
    }
  };
  {
    std::vector<std::jthread> threads;
    for (unsigned worker = 1; worker < workers; ++worker) threads.emplace_back(work, worker);
    work(0);
  }  // joined here
  int handled = 0;
  const TWorkerResult* first = nullptr;
  for (const TWorkerResult& result : results) {
    handled += result.Handled;
    if (result.Failure && (!first || result.FailedTask < first->FailedTask)) first = &result;
  }
  if (first) std::rethrow_exception(first->Failure);
  return handled;
}

}  // namespace bailan
