#include "transport/zip/ZipDecodeWorker.h"

#include <algorithm>
#include <cstring>

#include "transport/zip/Exploder.h"
#include "transport/zip/Unreducer.h"
#include "transport/zip/Unshrinker.h"
#include "transport/zip/ZipBitReader.h"
#include "transport/zip/ZipEntryInput.h"
#include "transport/zip/ZipEntryOutput.h"
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

TZipDecodeWorker::TZipDecodeWorker(const TFile& archive, TZipEntryClaims& claims, std::size_t first,
                                   std::size_t stride)
    : archive_(archive), claims_(claims), first_(first), stride_(stride) {
  Start();
}

TZipDecodeWorker::~TZipDecodeWorker() {
  queue_.Close();
  WaitFor();
}

TZipPiece TZipDecodeWorker::Begin(const TZipEntry& entry) {
  for (;;) {
    TZipPiece piece = queue_.Pop();
    if (piece.Entry == &entry) return piece;
    // Otherwise the rest of an entry the committing side gave up on, or left
    // out: dropped.
  }
}

void TZipDecodeWorker::Execute() {
  try {
    TZipClaim claim;
    // Claiming the other workers' next entries too spares them the lock.
    for (std::size_t index = first_; claims_.Get(index, claim, stride_ - 1); index += stride_) {
      try {
        DecodeOne(claim);
      } catch (const TZipQueueClosed&) {
        throw;
      } catch (...) {
        // The committing side decides whether this ends the extraction: it
        // does not when it had skipped the entry anyway.
        PushNews(TZipPiece::TKind::Failed, *claim.Entry, std::current_exception());
      }
    }
  } catch (...) {
    // Closed by the committing side, or no memory left to report a failure
    // in: the committing side learns from Finish that nothing more comes.
  }
  queue_.Finish();
}

void TZipDecodeWorker::PushNews(TZipPiece::TKind kind, const TZipEntry& entry, std::exception_ptr error) {
  TZipPiece piece;
  piece.Kind = kind;
  piece.Entry = &entry;
  piece.Error = std::move(error);
  queue_.Push(std::move(piece));
}

void TZipDecodeWorker::DecodeOne(const TZipClaim& claim) {
  const TZipEntry& entry = *claim.Entry;
  switch (claim.Kind) {
    case TZipClaim::TKind::Failed:
      PushNews(TZipPiece::TKind::Failed, entry, claim.Error);
      return;
    case TZipClaim::TKind::Missing:
      PushNews(TZipPiece::TKind::Missing, entry);
      return;
    case TZipClaim::TKind::Located:
      break;
  }
  PushNews(TZipPiece::TKind::Located, entry);
  TQueueSink sink(queue_, entry);
  TZipEntryInput input(archive_, claim.DataOffset, entry.CompressedSize, buffers_.Read.get(),
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

void TZipDecodeWorker::DecodeEntryData(const TZipEntry& entry, TZipEntryInput& input,
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
