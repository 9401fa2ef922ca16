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

TZipBlock TZipPieceQueue::TakeBlock() {
  std::unique_lock lock(lock_);
  changed_.wait(lock, [this] { return closed_ || !free_.empty(); });
  if (closed_) throw TZipQueueClosed{};
  TZipBlock block(free_.back().release(), TZipBlockReturn{this});
  free_.pop_back();
  return block;
}

void TZipPieceQueue::Push(TZipPiece piece) {
  std::unique_lock lock(lock_);
  changed_.wait(lock, [this] { return closed_ || pieces_.size() < kMaxPieces; });
  if (closed_) throw TZipQueueClosed{};
  pieces_.push_back(std::move(piece));
  changed_.notify_all();
}

void TZipPieceQueue::Finish() {
  std::lock_guard lock(lock_);
  finished_ = true;
  changed_.notify_all();
}

TZipPiece TZipPieceQueue::Pop() {
  std::unique_lock lock(lock_);
  changed_.wait(lock, [this] { return finished_ || !pieces_.empty(); });
  if (pieces_.empty()) throw EZipError("The decoding ended before the entries did");
  TZipPiece piece = std::move(pieces_.front());
  pieces_.pop_front();
  changed_.notify_all();
  return piece;
}

void TZipPieceQueue::Return(unsigned char* block) {
  std::lock_guard lock(lock_);
  free_.emplace_back(block);
  changed_.notify_all();
}

void TZipPieceQueue::Close() {
  std::lock_guard lock(lock_);
  closed_ = true;
  changed_.notify_all();
}

}  // namespace bailan
