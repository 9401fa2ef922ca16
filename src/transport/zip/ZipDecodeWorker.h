#pragma once

#include <cstddef>

#include "platform/File.h"
#include "platform/Thread.h"
#include "transport/zip/ZipEntryClaims.h"
#include "transport/zip/ZipExtractBuffers.h"
#include "transport/zip/ZipPieceQueue.h"

namespace bailan {

class TZipEntryInput;
class TZipEntryOutput;

// Decodes every `stride`-th of the wanted entries, from number `first` on, on
// a thread of its own: takes each entry's claim, decodes the entry's data, and
// hands the bytes over through a bounded queue of its own with the decoded
// size and CRC-32, which the committing thread checks. It only reads the
// archive and never touches a file of the destination.
class TZipDecodeWorker final : private TThread {
 public:
  // `archive` and `claims` are borrowed and outlive this object; the archive
  // is only read at offsets, so other workers may read it at the same time.
  // Created, used and destroyed by the committing thread, which owns this
  // object and alone takes its pieces; the decoding thread starts once every
  // member is made.
  TZipDecodeWorker(const TFile& archive, TZipEntryClaims& claims, std::size_t first, std::size_t stride);
  // Stops the decoding where it stands and waits for its thread.
  ~TZipDecodeWorker() override;
  TZipDecodeWorker(const TZipDecodeWorker&) = delete;
  TZipDecodeWorker& operator=(const TZipDecodeWorker&) = delete;

  // The first piece for `entry` (Located, Missing or Failed), this worker's
  // pieces of earlier entries dropped.
  TZipPiece Begin(const TZipEntry& entry);
  // The next piece of the entry begun last (Data, End or Failed).
  TZipPiece Next() { return queue_.Pop(); }

 private:
  void Execute() override;
  void DecodeOne(const TZipClaim& claim);
  void DecodeEntryData(const TZipEntry& entry, TZipEntryInput& input, TZipEntryOutput& output);
  void PushNews(TZipPiece::TKind kind, const TZipEntry& entry, std::exception_ptr error = nullptr);

  const TFile& archive_;
  TZipEntryClaims& claims_;
  const std::size_t first_;
  const std::size_t stride_;
  TZipExtractBuffers buffers_;  // the decoding thread's
  TZipPieceQueue queue_;
};

}  // namespace bailan
