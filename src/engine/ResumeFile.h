#pragma once

#include <cstdint>
#include <string>

#include "engine/SegmentTable.h"

namespace bailan {

// The header of a resume file: the resource's total size and the run's segment
// count. A run that was loaded saves the header it read; a fresh run saves (T, N).
struct TResumeHeader {
  std::int32_t TotalSize = 0;
  std::int32_t Count = 0;
};

// The resume file is binary and little-endian: the header (8 bytes), then
// Start, End and Received of segments 1..Count (12 bytes each).
inline constexpr std::size_t kResumeHeaderBytes = 8;
inline constexpr std::size_t kResumeEntryBytes = 12;
inline constexpr std::size_t ResumeFileBytes(std::int32_t count) {
  return kResumeHeaderBytes + kResumeEntryBytes * static_cast<std::size_t>(count);
}

enum class TResumeLoadStatus {
  Loaded,    // the table and header were read
  Absent,    // no resume file: a fresh start
  Rejected,  // a file is there but cannot be used as a table: a fresh start too
};

struct TResumeLoadResult {
  TResumeLoadStatus Status = TResumeLoadStatus::Absent;
  TResumeHeader Header;
  std::string Reason;  // why a file was rejected (English, for the log's detail)
};

// Reads the resume file at `path` into slots 1..Count of `table` and zeroes their
// byte counters. Used only when the file is exactly ResumeFileBytes(Count) long
// with 1 <= Count <= kMaxSegments and every entry keeps
// 0 <= Start <= End <= TotalSize and 0 <= Received <= End - Start; otherwise the
// table is left untouched and the result says Rejected. A table saved for a
// resource of unknown size (total -1) is rejected by that rule, so the next run
// probes the size again.
TResumeLoadResult LoadResumeFile(const std::string& path, TSegmentTable& table);

// Creates or replaces the resume file with `header` and slots 1..header.Count.
// Raises EFCreateError or EInOutError.
void SaveResumeFile(const std::string& path, const TResumeHeader& header, const TSegmentTable& table);

}  // namespace bailan
