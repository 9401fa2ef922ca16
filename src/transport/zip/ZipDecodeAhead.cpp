#include "transport/zip/ZipDecodeAhead.h"

#include "transport/zip/ZipEntryExtractor.h"
#include "transport/zip/ZipExceptions.h"

namespace bailan {

bool IsDecodedZipEntry(const TZipEntry& entry) {
  return !entry.IsDirectory() && !entry.IsEncrypted() && IsSupportedZipMethod(entry.Method);
}

TZipDecodeAhead::TZipDecodeAhead(const TFile& archive, const std::vector<const TZipEntry*>& entries,
                                 std::function<bool(const TZipEntry&)> wanted)
    : claims_(archive, entries, std::move(wanted)) {
  for (std::size_t i = 0; i < kWorkerCount; ++i) {
    workers_[i] = std::make_unique<TZipDecodeWorker>(archive, claims_, i, kWorkerCount);
  }
}

TZipPiece TZipDecodeAhead::Begin(const TZipEntry& entry) {
  const std::size_t index = claims_.IndexOf(entry, nextIndex_);
  nextIndex_ = index + 1;
  current_ = workers_[index % kWorkerCount].get();
  return current_->Begin(entry);
}

TZipPiece TZipDecodeAhead::Next() {
  if (!current_) throw EZipError("No entry was begun");
  return current_->Next();
}

}  // namespace bailan
