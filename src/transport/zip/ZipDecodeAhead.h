#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/File.h"
#include "platform/Thread.h"
#include "transport/zip/ZipDataRanges.h"
#include "transport/zip/ZipEntry.h"
#include "transport/zip/ZipExtractBuffers.h"
#include "transport/zip/ZipPieceQueue.h"

namespace bailan {

class TZipEntryInput;
class TZipEntryOutput;

// Whether an entry has data to decode: a file, not encrypted, of a method
// decoded here.
bool IsDecodedZipEntry(const TZipEntry& entry);

// Decodes entries on a thread of its own, ahead of the thread that writes
// them: it finds each entry's data, claims its byte range of the archive (an
// entry whose data another took is Missing), decodes it and checks its size
// and CRC-32, and hands the bytes over through a bounded queue. It reads the
// archive and never touches a file of the destination, so whatever it decodes
// ahead, nothing is written but what the committing thread writes, in order.
class TZipDecodeAhead final : private TThread {
 public:
  // `archive` (open for reading) and the entries are borrowed; the archive is
  // read by this object's thread alone until the object is destroyed. Of the
  // entries, in their order, those that `wanted` accepts are decoded, and
  // exactly those must be begun; `wanted` is called on the decoding thread.
  // Created and used by the committing thread, which owns this object; the
  // decoding thread starts once every member is made.
  TZipDecodeAhead(TFile& archive, const std::vector<const TZipEntry*>& entries,
                  std::function<bool(const TZipEntry&)> wanted);
  // Stops the decoding where it stands and waits for its thread.
  ~TZipDecodeAhead() override;
  TZipDecodeAhead(const TZipDecodeAhead&) = delete;
  TZipDecodeAhead& operator=(const TZipDecodeAhead&) = delete;

  // The first piece for `entry` (Located, Missing or Failed), the rest of
  // earlier entries' pieces dropped. Entries are begun in the order given.
  TZipPiece Begin(const TZipEntry& entry);
  // The next piece of the entry begun last (Data, End or Failed).
  TZipPiece Next();

 private:
  void Execute() override;
  void DecodeOne(const TZipEntry& entry);
  bool LocateEntryData(const TZipEntry& entry, std::uint64_t& headerOffset, std::uint64_t& dataOffset);
  bool TakeEntryData(const TZipEntry& entry, std::uint64_t headerOffset, std::uint64_t dataOffset);
  void DecodeEntryData(const TZipEntry& entry, TZipEntryInput& input, TZipEntryOutput& output);
  void PushNews(TZipPiece::TKind kind, const TZipEntry& entry);

  TFile& archive_;
  const std::vector<const TZipEntry*>& entries_;
  std::function<bool(const TZipEntry&)> wanted_;
  TZipExtractBuffers buffers_;  // the decoding thread's
  TZipDataRanges taken_;        // the decoding thread's
  TZipPieceQueue queue_;
};

}  // namespace bailan
