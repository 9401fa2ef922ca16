#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <vector>

#include "transport/zip/ZipEntry.h"

namespace bailan {

class TZipPieceQueue;

// Hands a block back to the queue it came from when its owner lets it go, on
// whatever path that happens.
struct TZipBlockReturn {
  TZipPieceQueue* Queue = nullptr;
  void operator()(unsigned char* block) const;
};
using TZipBlock = std::unique_ptr<unsigned char[], TZipBlockReturn>;

// One piece of what a decoding thread found for an entry, in the order the
// committing thread takes them: Located (or Missing, or Failed) first, then
// Data blocks, then End (or Failed).
struct TZipPiece {
  enum class TKind {
    Located,  // the entry's data was found and is the entry's own: a file may be made
    Missing,  // no local header at the entry's offset, or its data is another entry's
    Data,     // decoded bytes
    End,      // the data ended; Count, Crc32 and Overflowed say how it came out
    Failed,   // decoding raised Error; nothing more follows for the entry
  };
  TKind Kind = TKind::Data;
  const TZipEntry* Entry = nullptr;
  TZipBlock Bytes;           // Data: one of the queue's blocks
  std::size_t Length = 0;    // Data: bytes used of the block
  std::uint64_t Count = 0;   // End: bytes decoded
  std::uint32_t Crc32 = 0;   // End: CRC-32 of the decoded bytes
  bool Overflowed = false;   // End: more bytes came out than the entry holds
  std::exception_ptr Error;  // Failed
};

// Raised on the decoding side once the queue was closed: the committing side
// has stopped and wants nothing more.
struct TZipQueueClosed {};

// The bounded hand-over from one decoding thread to the committing thread. Its
// blocks bound the decoded data held at once; pieces without data (entries
// that are missing or empty) are bounded by count, so memory stays flat
// whatever the archive holds.
class TZipPieceQueue {
 public:
  static constexpr std::size_t kBlockSize = 65536;  // decoded bytes per file write
  // Blocks in flight: every small entry takes one, so the decoder runs a dozen
  // entries ahead, while the queue stays at 1 MiB (one per decoding worker).
  static constexpr std::size_t kBlockCount = 16;
  // Pieces waiting at most: the news of many small entries ahead of a slow
  // file creation, a few kilobytes.
  static constexpr std::size_t kMaxPieces = 512;
  // A decoder that had to wait goes on only when this much is free again, so
  // that the two threads do not wake each other for every single piece.
  static constexpr std::size_t kResumeBlocks = kBlockCount / 2;
  static constexpr std::size_t kResumePieces = kMaxPieces / 2;

  // Owns its blocks; a block taken out comes back when its TZipBlock is let
  // go. One decoding thread calls TakeBlock, Push and Finish, one committing
  // thread Pop and Close; blocks may be let go on either.
  TZipPieceQueue();
  // Every block must be back: the pieces still queued are dropped first.
  ~TZipPieceQueue();
  TZipPieceQueue(const TZipPieceQueue&) = delete;
  TZipPieceQueue& operator=(const TZipPieceQueue&) = delete;

  // A free block of kBlockSize bytes, waiting for one; TZipQueueClosed once closed.
  TZipBlock TakeBlock();
  // Appends a piece, waiting for room; TZipQueueClosed once closed.
  void Push(TZipPiece piece);

  // Said by the decoding side when it has pushed all it will.
  void Finish();

  // The oldest piece, waiting for one; EZipError when the decoding side has
  // finished and none is left (it never leaves an entry without its end).
  TZipPiece Pop();
  // Wakes and stops the decoding side for good.
  void Close();

 private:
  friend struct TZipBlockReturn;
  void Return(unsigned char* block);
  // The three below are called with lock_ held.
  bool DecoderMayGo() const;
  void WaitForRoom(std::unique_lock<std::mutex>& lock);
  void WakeDecoderIfRoomy();

  std::mutex lock_;
  std::condition_variable decoderCanGo_;
  std::condition_variable committerCanGo_;
  bool decoderWaiting_ = false;
  bool committerWaiting_ = false;
  std::deque<TZipPiece> pieces_;
  std::vector<std::unique_ptr<unsigned char[]>> free_;
  bool closed_ = false;
  bool finished_ = false;
};

}  // namespace bailan
