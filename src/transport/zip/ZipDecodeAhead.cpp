#include "transport/zip/ZipDecodeAhead.h"

#include <cstring>
#include <limits>

#include "transport/zip/Exploder.h"
#include "transport/zip/Unreducer.h"
#include "transport/zip/Unshrinker.h"
#include "transport/zip/ZipBitReader.h"
#include "transport/zip/ZipEntryExtractor.h"
#include "transport/zip/ZipEntryInput.h"
#include "transport/zip/ZipEntryOutput.h"
#include "transport/zip/ZipExceptions.h"
#include "transport/zip/ZipFileReader.h"
#include "transport/zip/ZipRecords.h"
#include "transport/zip/ZipWindow.h"

namespace bailan {
namespace {

using namespace zip;

// Gathers decoded bytes into the queue's blocks and pushes each when full.
class TQueueSink : public TZipByteSink {
 public:
  // `queue` and `entry` are borrowed; the decoding thread.
  TQueueSink(TZipPieceQueue& queue, const TZipEntry& entry) : queue_(queue), entry_(entry) {}

  void Put(const unsigned char* data, std::size_t length) override {
    while (length > 0) {
      if (!block_) block_ = queue_.TakeBlock();
      const std::size_t n = std::min(length, TZipPieceQueue::kBlockSize - used_);
      std::memcpy(block_.get() + used_, data, n);
      used_ += n;
      data += n;
      length -= n;
      if (used_ == TZipPieceQueue::kBlockSize) PushBlock();
    }
  }

  // Pushes the last, partly filled block.
  void PushBlock() {
    if (used_ == 0) return;
    TZipPiece piece;
    piece.Kind = TZipPiece::TKind::Data;
    piece.Entry = &entry_;
    piece.Bytes = std::move(block_);
    piece.Length = used_;
    used_ = 0;
    queue_.Push(std::move(piece));
  }

 private:
  TZipPieceQueue& queue_;
  const TZipEntry& entry_;
  TZipBlock block_;
  std::size_t used_ = 0;
};

}  // namespace

bool IsDecodedZipEntry(const TZipEntry& entry) {
  return !entry.IsDirectory() && !entry.IsEncrypted() && IsSupportedZipMethod(entry.Method);
}

TZipDecodeAhead::TZipDecodeAhead(TFile& archive, const std::vector<const TZipEntry*>& entries,
                                 std::function<bool(const TZipEntry&)> wanted)
    : archive_(archive), entries_(entries), wanted_(std::move(wanted)) {
  Start();
}

TZipDecodeAhead::~TZipDecodeAhead() {
  queue_.Close();
  WaitFor();
}

TZipPiece TZipDecodeAhead::Begin(const TZipEntry& entry) {
  for (;;) {
    TZipPiece piece = queue_.Pop();
    if (piece.Entry == &entry) return piece;
    // Otherwise the rest of an entry the committing side gave up on: dropped.
  }
}

TZipPiece TZipDecodeAhead::Next() {
  return queue_.Pop();
}

void TZipDecodeAhead::Execute() {
  try {
    for (const TZipEntry* entry : entries_) {
      if (!wanted_(*entry)) continue;
      try {
        DecodeOne(*entry);
      } catch (const TZipQueueClosed&) {
        throw;
      } catch (...) {
        // The committing side decides whether this ends the extraction: it
        // does not when it had skipped the entry anyway.
        TZipPiece piece;
        piece.Kind = TZipPiece::TKind::Failed;
        piece.Entry = entry;
        piece.Error = std::current_exception();
        queue_.Push(std::move(piece));
      }
    }
  } catch (...) {
    // Closed by the committing side, or no memory left to report a failure
    // in: the committing side learns from Finish that nothing more comes.
  }
  queue_.Finish();
}

void TZipDecodeAhead::PushNews(TZipPiece::TKind kind, const TZipEntry& entry) {
  TZipPiece piece;
  piece.Kind = kind;
  piece.Entry = &entry;
  queue_.Push(std::move(piece));
}

void TZipDecodeAhead::DecodeOne(const TZipEntry& entry) {
  std::uint64_t headerOffset = 0, dataOffset = 0;
  if (!LocateEntryData(entry, headerOffset, dataOffset) || !TakeEntryData(entry, headerOffset, dataOffset)) {
    PushNews(TZipPiece::TKind::Missing, entry);
    return;
  }
  PushNews(TZipPiece::TKind::Located, entry);
  TQueueSink sink(queue_, entry);
  TZipEntryInput input(archive_, dataOffset, entry.CompressedSize, buffers_.Read.get(),
                       TZipExtractBuffers::kReadBlockSize);
  TZipEntryOutput output(sink, entry.UncompressedSize);
  DecodeEntryData(entry, input, output);
  sink.PushBlock();
  TZipPiece end;
  end.Kind = TZipPiece::TKind::End;
  end.Entry = &entry;
  end.Count = output.Count();
  end.Crc32 = output.Crc32();
  end.Overflowed = output.Overflowed();
  queue_.Push(std::move(end));
}

// Reads the local header and finds where the entry's data starts; false when
// no local header is at the entry's offset (nor, for a displaced directory, at
// the offset shifted by as much).
bool TZipDecodeAhead::LocateEntryData(const TZipEntry& entry, std::uint64_t& headerOffset,
                                      std::uint64_t& dataOffset) {
  std::uint64_t offsets[2] = {entry.LocalHeaderOffset,
                              entry.LocalHeaderOffset + static_cast<std::uint64_t>(entry.OffsetShift)};
  for (std::uint64_t offset : offsets) {
    unsigned char header[kLocalHeaderSize];
    if (!ReadZipBytesAt(archive_, offset, header, sizeof header)) throw EFatalUnzipError(kPrematureEndText);
    if (GetU32(header) == kLocalHeaderSignature) {
      headerOffset = offset;
      dataOffset = offset + kLocalHeaderSize + GetU16(header + local::kNameLength) +
                   GetU16(header + local::kExtraLength);
      return true;
    }
    if (entry.OffsetShift == 0) break;
  }
  return false;
}

// Claims the entry's bytes of the archive; false when another entry's data
// was already taken from any of them.
bool TZipDecodeAhead::TakeEntryData(const TZipEntry& entry, std::uint64_t headerOffset,
                                    std::uint64_t dataOffset) {
  const std::uint64_t end = entry.CompressedSize > std::numeric_limits<std::uint64_t>::max() - dataOffset
                                ? std::numeric_limits<std::uint64_t>::max()
                                : dataOffset + entry.CompressedSize;
  return taken_.Take(headerOffset, end);
}

void TZipDecodeAhead::DecodeEntryData(const TZipEntry& entry, TZipEntryInput& input,
                                      TZipEntryOutput& output) {
  if (entry.Method == kDeflated) {
    buffers_.Inflater.Decode(input, output);
    return;
  }
  if (entry.Method == kStored) {
    const unsigned char* data;
    std::size_t length;
    while (!output.Overflowed() && input.Next(data, length)) output.Write(data, length);
    return;
  }
  TZipBitReader bits(input);
  TZipWindow window(output);
  if (entry.Method == kShrunk) {
    TUnshrinker(bits, window).Decode(entry.UncompressedSize);
  } else if (entry.Method == kImploded) {
    TExploder(bits, window, entry.Flags).Decode(entry.UncompressedSize);
  } else {
    TUnreducer(bits, window, entry.Method - kReduced1 + 1).Decode(entry.UncompressedSize);
  }
  window.Flush();
}

}  // namespace bailan
