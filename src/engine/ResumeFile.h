#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "engine/SegmentTable.h"
#include "platform/FileNames.h"

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
// with 1 <= Count <= kMaxSegments, every entry keeps
// 0 <= Start <= End <= TotalSize and 0 <= Received <= End - Start, and the
// entries tile the resource: the first starts at 0, each ends where the next
// starts, the last ends at TotalSize. Otherwise the table is left untouched and
// the result says Rejected. A table saved for a resource of unknown size
// (total -1) is rejected by that rule, so the next run probes the size again.
TResumeLoadResult LoadResumeFile(const std::string& path, TSegmentTable& table);

// Replaces the resume file with `header` and slots 1..header.Count so that a
// crash at any moment leaves either the old file or the new one, whole: the
// counts are taken first, then `flushData` runs (it must put every byte they
// count on the disk), then the image is written to `path` + kResumeTempSuffix (FileNames.h),
// flushed, and renamed over `path`; a save that fails leaves no temporary file.
// Raises EFCreateError or EInOutError.
void SaveResumeFile(const std::string& path, const TResumeHeader& header, const TSegmentTable& table,
                    const std::function<void()>& flushData = {});

}  // namespace bailan
