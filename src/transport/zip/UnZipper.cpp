#include "transport/zip/UnZipper.h"

#include <algorithm>
#include <cctype>

#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "transport/zip/ZipDecodeAhead.h"
#include "transport/zip/ZipExceptions.h"

namespace bailan {
namespace {

constexpr const char* kUnknownMethodText = "Unknown Compression Method";
constexpr const char* kUnknownMethodCaption = "Zip Error";

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
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
  if (!archive_.IsOpen()) archive_ = TFile::Open(zipName_, TAccess::Read, TShareMode::DenyWrite);
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
  return ExtractInOrder(marked);
}

TZipEntrySettings TUnZipper::EntrySettings() const {
  TZipEntrySettings settings;
  settings.RetainAttributes = RetainAttributes;
  settings.OverwriteMode = OverwriteMode;
  settings.ReplaceReadOnly = ReplaceReadOnly;
  return settings;
}

void TUnZipper::NotifyUnknownMethod() {
  if (Notifier) Notifier->Notify(kUnknownMethodText, kUnknownMethodCaption);
}

int TUnZipper::ExtractInOrder(const std::vector<const TZipEntry*>& entries) {
  // Runs on the decoding threads too: it reads settings that stay as they are
  // while the extraction is busy.
  auto destination = [this](const TZipEntry& entry, TZipDestination& resolved) {
    return ResolveZipDestination(destDir_, RecreateDirs, entry, resolved);
  };
  TZipDecodeAhead decodeAhead(archive_, entries, [&destination](const TZipEntry& entry) {
    TZipDestination resolved;
    return IsDecodedZipEntry(entry) && destination(entry, resolved);
  });
  TZipEntryExtractor extractor(EntrySettings(), decodeAhead, [this] { NotifyUnknownMethod(); });
  int handled = 0;
  for (const TZipEntry* entry : entries) {
    TZipDestination resolved;
    if (destination(*entry, resolved) && extractor.Extract(*entry, resolved)) ++handled;
  }
  return handled;
}

}  // namespace bailan
