#include "engine/SegmentTable.h"

namespace bailan {

void TSegmentTable::Split(std::int32_t total, std::int32_t count) {
  const std::int32_t length = total / count;  // truncated toward zero
  for (std::int32_t k = 1; k <= count; ++k) {
    TSegmentRec& segment = Segments[k];
    segment.Start = (k - 1) * length;
    segment.End = k < count ? k * length : total;
    segment.Received = 0;
  }
  ClearByteCounters(count);
}

void TSegmentTable::PrepareFlags(std::int32_t count) {
  for (std::int32_t k = 1; k <= count; ++k) {
    StopFlags[k] = false;
    DoneFlags[k] = true;
  }
}

void TSegmentTable::ClearByteCounters(std::int32_t count) {
  for (std::int32_t k = 1; k <= count; ++k) ByteCounters[k] = 0;
}

void TSegmentTable::RecordBlock(std::int32_t k, std::int32_t bytes) {
  Segments[k].Received.fetch_add(bytes, std::memory_order_relaxed);
  ByteCounters[k].fetch_add(bytes, std::memory_order_relaxed);
}

std::int32_t TSegmentTable::SumReceived(std::int32_t count) const {
  std::int32_t sum = 0;
  for (std::int32_t k = 1; k <= count; ++k) sum += Segments[k].Received.load(std::memory_order_relaxed);
  return sum;
}

std::int32_t TSegmentTable::SumByteCounters(std::int32_t count) const {
  std::int32_t sum = 0;
  for (std::int32_t k = 1; k <= count; ++k) sum += ByteCounters[k].load(std::memory_order_relaxed);
  return sum;
}

bool TSegmentTable::AllDone(std::int32_t count) const {
  for (std::int32_t k = 1; k <= count; ++k) {
    if (!DoneFlags[k].load(std::memory_order_acquire)) return false;
  }
  return true;
}

}  // namespace bailan
