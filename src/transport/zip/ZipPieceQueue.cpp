#include "transport/zip/ZipPieceQueue.h"

#include "transport/zip/ZipExceptions.h"

namespace bailan {

TZipPieceQueue::TZipPieceQueue() {
  free_.reserve(kBlockCount);
  for (std::size_t i = 0; i < kBlockCount; ++i) free_.emplace_back(new unsigned char[kBlockSize]);
}

void TZipBlockReturn::operator()(unsigned char* block) const {
  if (block) Queue->Return(block);
}

TZipPieceQueue::~TZipPieceQueue() {
  pieces_.clear();  // their blocks return to free_, which is still whole
}

bool TZipPieceQueue::DecoderMayGo() const {
  return closed_ || (free_.size() >= kResumeBlocks && pieces_.size() <= kResumePieces);
}

void TZipPieceQueue::WaitForRoom(std::unique_lock<std::mutex>& lock) {
  decoderWaiting_ = true;
  decoderCanGo_.wait(lock, [this] { return DecoderMayGo(); });
  decoderWaiting_ = false;
}

void TZipPieceQueue::WakeDecoderIfRoomy() {
  if (decoderWaiting_ && DecoderMayGo()) decoderCanGo_.notify_one();
}

TZipBlock TZipPieceQueue::TakeBlock() {
  std::unique_lock lock(lock_);
  if (!closed_ && free_.empty()) WaitForRoom(lock);
  if (closed_) throw TZipQueueClosed{};
  TZipBlock block(free_.back().release(), TZipBlockReturn{this});
  free_.pop_back();
  return block;
}

void TZipPieceQueue::Push(TZipPiece piece) {
  std::unique_lock lock(lock_);
  if (!closed_ && pieces_.size() >= kMaxPieces) WaitForRoom(lock);
  if (closed_) throw TZipQueueClosed{};
  pieces_.push_back(std::move(piece));
  if (committerWaiting_) committerCanGo_.notify_one();
}

void TZipPieceQueue::Finish() {
  std::lock_guard lock(lock_);
  finished_ = true;
  committerCanGo_.notify_one();
}

TZipPiece TZipPieceQueue::Pop() {
  std::unique_lock lock(lock_);
  if (pieces_.empty() && !finished_) {
    committerWaiting_ = true;
    committerCanGo_.wait(lock, [this] { return finished_ || !pieces_.empty(); });
    committerWaiting_ = false;
  }
  if (pieces_.empty()) throw EZipError("The decoding ended before the entries did");
  TZipPiece piece = std::move(pieces_.front());
  pieces_.pop_front();
  WakeDecoderIfRoomy();
  return piece;
}

void TZipPieceQueue::Return(unsigned char* block) {
  std::lock_guard lock(lock_);
  free_.emplace_back(block);
  WakeDecoderIfRoomy();
}

void TZipPieceQueue::Close() {
  std::lock_guard lock(lock_);
  closed_ = true;
  decoderCanGo_.notify_one();
}

}  // namespace bailan
