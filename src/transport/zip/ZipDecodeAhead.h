#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "platform/File.h"
#include "transport/zip/ZipDecodeWorker.h"
#include "transport/zip/ZipEntry.h"
#include "transport/zip/ZipEntryClaims.h"
#include "transport/zip/ZipPieceQueue.h"

namespace bailan {

// Whether an entry has data to decode: a file, not encrypted, of a method
// decoded here.
bool IsDecodedZipEntry(const TZipEntry& entry);

// Decodes entries ahead of the thread that writes them, on two threads of
// their own that take the entries in turn: the entries' data are claimed in
// order (an entry whose data another took is Missing), and each entry is
// decoded, with its size and CRC-32, by one worker into that worker's own
// bounded queue. The committing thread takes entry i's pieces from worker
// i % 2, so it sees the entries strictly in order. The workers read the
// archive and never touch a file of the destination, so whatever they decode
// ahead, nothing is written but what the committing thread writes, in order.
class TZipDecodeAhead final {
 public:
  // Two workers: inflating is most of an archive's work, and two threads keep
  // up with a writer that creates, writes and stamps every file.
  static constexpr std::size_t kWorkerCount = 2;

  // `archive` (open for reading) and the entries are borrowed; the archive is
  // only read, at offsets, until this object is destroyed. Of the entries, in
  // their order, those that `wanted` accepts are decoded, and only those may
  // be begun; `wanted` is called on the decoding threads. Created and used by
  // the committing thread, which owns this object; the workers start as they
  // are made.
  TZipDecodeAhead(const TFile& archive, const std::vector<const TZipEntry*>& entries,
                  std::function<bool(const TZipEntry&)> wanted);
  // Stops the workers where they stand and waits for their threads.
  ~TZipDecodeAhead() = default;
  TZipDecodeAhead(const TZipDecodeAhead&) = delete;
  TZipDecodeAhead& operator=(const TZipDecodeAhead&) = delete;

  // The first piece for `entry` (Located, Missing or Failed), the rest of
  // earlier entries' pieces dropped. Entries are begun in the order given;
  // wanted ones may be left out.
  TZipPiece Begin(const TZipEntry& entry);
  // The next piece of the entry begun last (Data, End or Failed).
  TZipPiece Next();

 private:
  TZipEntryClaims claims_;
  // Made after claims_ and destroyed before it: the workers use it.
  std::array<std::unique_ptr<TZipDecodeWorker>, kWorkerCount> workers_;
  std::size_t nextIndex_ = 0;            // of the wanted entries, the first not begun
  TZipDecodeWorker* current_ = nullptr;  // the worker of the entry begun last
};

}  // namespace bailan
