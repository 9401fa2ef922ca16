#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace bailan {

// A run fetches at most this many byte ranges; slots are numbered 1..kMaxSegments.
inline constexpr std::int32_t kMaxSegments = 10;
// The largest size a table can hold (sizes and offsets are signed 32-bit); a
// larger resource cannot be received.
inline constexpr std::int64_t kLargestResourceSize = 2147483647;

// One byte range of the resource and its progress. Start and End are set while
// no segment thread runs; Received is written by the segment's own thread while
// it runs and read by the job transfer thread every pass, hence atomics.
struct TSegmentRec {
  std::atomic<std::int32_t> Start{0};     // file offset of the first byte
  std::atomic<std::int32_t> End{0};       // one past the last byte
  std::atomic<std::int32_t> Received{0};  // bytes already written, from Start

  // Bytes still to fetch; 0 (or less, for an empty range) when complete.
  std::int32_t Remaining() const { return End.load() - Start.load() - Received.load(); }
  bool NeedsThread() const { return Start.load() + Received.load() < End.load(); }
};

// Where every segment of a run begins and ends, how much of it is on disk, and the
// flags by which the job transfer thread and its segment threads signal each
// other. Lives inside the job transfer thread's object; each slot k is written by
// segment thread k while that thread runs and by the job transfer thread only
// while none runs. Arrays have kMaxSegments + 1 entries so that slot k is [k].
class TSegmentTable {
 public:
  TSegmentTable() = default;
  TSegmentTable(const TSegmentTable&) = delete;
  TSegmentTable& operator=(const TSegmentTable&) = delete;

  std::array<std::atomic<bool>, kMaxSegments + 1> StopFlags{};
  std::array<std::atomic<bool>, kMaxSegments + 1> DoneFlags{};
  std::array<TSegmentRec, kMaxSegments + 1> Segments{};
  std::array<std::atomic<std::int32_t>, kMaxSegments + 1> ByteCounters{};

  // Fills slots 1..count afresh for a resource of `total` bytes: every segment
  // but the last has total / count bytes, the last takes the remainder; every
  // Received and ByteCounters entry is zeroed. A total of 0 or -1 yields only
  // empty ranges. `count` must be 1..kMaxSegments.
  void Split(std::int32_t total, std::int32_t count);

  // Stop flags clear and done flags set for slots 1..count, before any segment
  // thread of a run is created.
  void PrepareFlags(std::int32_t count);

  // Zeroes ByteCounters[1..count].
  void ClearByteCounters(std::int32_t count);

  // Segment thread k has written `bytes` more: its Received, then its counter.
  void RecordBlock(std::int32_t k, std::int32_t bytes);

  std::int32_t SumReceived(std::int32_t count) const;
  std::int32_t SumByteCounters(std::int32_t count) const;

  // True when no segment thread of slots 1..count runs.
  bool AllDone(std::int32_t count) const;
};

}  // namespace bailan
