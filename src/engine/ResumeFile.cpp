#include "engine/ResumeFile.h"

#include <array>

#include "platform/Exception.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"

namespace bailan {
namespace {

constexpr std::size_t kLargestResumeFile = ResumeFileBytes(kMaxSegments);

std::int32_t GetLe32(const unsigned char* p) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                                   static_cast<std::uint32_t>(p[2]) << 16 |
                                   static_cast<std::uint32_t>(p[3]) << 24);
}

void PutLe32(unsigned char* p, std::int32_t value) {
  auto v = static_cast<std::uint32_t>(value);
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
  p[2] = static_cast<unsigned char>(v >> 16);
  p[3] = static_cast<unsigned char>(v >> 24);
}

struct TEntry {
  std::int32_t Start, End, Received;
};

TResumeLoadResult Reject(std::string reason) {
  TResumeLoadResult result;
  result.Status = TResumeLoadStatus::Rejected;
  result.Reason = std::move(reason);
  return result;
}

// Reads the whole file, or one byte more than the largest valid file so that a
// longer one is seen as such.
std::size_t ReadResumeBytes(const std::string& path,
                            std::array<unsigned char, kLargestResumeFile + 1>& bytes) {
  TFile file = TFile::Open(path, TAccess::Read, TShareMode::Exclusive);
  std::size_t total = 0;
  while (total < bytes.size()) {
    std::size_t n = file.Read(bytes.data() + total, bytes.size() - total);
    if (n == 0) break;
    total += n;
  }
  return total;
}

}  // namespace

TResumeLoadResult LoadResumeFile(const std::string& path, TSegmentTable& table) {
  if (!FileExists(path)) return TResumeLoadResult{};

  std::array<unsigned char, kLargestResumeFile + 1> bytes{};
  std::size_t size = 0;
  try {
    size = ReadResumeBytes(path, bytes);
  } catch (const Exception& error) {
    return Reject(error.Message());
  }
  if (size < kResumeHeaderBytes) return Reject(Format("%d bytes, shorter than its header", int(size)));

  TResumeHeader header{GetLe32(&bytes[0]), GetLe32(&bytes[4])};
  if (header.Count < 1 || header.Count > kMaxSegments) {
    return Reject(Format("segment count %d outside 1..%d", header.Count, kMaxSegments));
  }
  if (size != ResumeFileBytes(header.Count)) {
    return Reject(Format("%d bytes where %d segments need %d", int(size), header.Count,
                         int(ResumeFileBytes(header.Count))));
  }

  std::array<TEntry, kMaxSegments + 1> entries{};
  for (std::int32_t k = 1; k <= header.Count; ++k) {
    const unsigned char* p = &bytes[ResumeFileBytes(k - 1)];
    TEntry e{GetLe32(p), GetLe32(p + 4), GetLe32(p + 8)};
    // End - Start cannot overflow once 0 <= Start <= End holds.
    if (e.Start < 0 || e.Start > e.End || e.End > header.TotalSize || e.Received < 0 ||
        e.Received > e.End - e.Start) {
      return Reject(Format("segment %d [%d, %d) with %d received does not fit a resource of %d bytes", k,
                           e.Start, e.End, e.Received, header.TotalSize));
    }
    // Gaps or overlaps would leave bytes unfetched or count some twice.
    const std::int32_t expectedStart = k == 1 ? 0 : entries[k - 1].End;
    if (e.Start != expectedStart) {
      return Reject(Format("segment %d starts at %d where it should start at %d", k, e.Start, expectedStart));
    }
    entries[k] = e;
  }
  if (entries[header.Count].End != header.TotalSize) {
    return Reject(Format("the segments end at %d, not at the resource's %d bytes", entries[header.Count].End,
                         header.TotalSize));
  }

  for (std::int32_t k = 1; k <= header.Count; ++k) {
    table.Segments[k].Start = entries[k].Start;
    table.Segments[k].End = entries[k].End;
    table.Segments[k].Received = entries[k].Received;
  }
  table.ClearByteCounters(header.Count);

  TResumeLoadResult result;
  result.Status = TResumeLoadStatus::Loaded;
  result.Header = header;
  return result;
}

void SaveResumeFile(const std::string& path, const TResumeHeader& header, const TSegmentTable& table,
                    const std::function<void()>& flushData) {
  if (header.Count < 1 || header.Count > kMaxSegments) {
    throw EInOutError(
        Format("Cannot save \"%s\": segment count %d outside 1..%d", path, header.Count, kMaxSegments));
  }
  std::array<unsigned char, kLargestResumeFile> bytes{};
  PutLe32(&bytes[0], header.TotalSize);
  PutLe32(&bytes[4], header.Count);
  for (std::int32_t k = 1; k <= header.Count; ++k) {
    unsigned char* p = &bytes[ResumeFileBytes(k - 1)];
    PutLe32(p, table.Segments[k].Start.load());
    PutLe32(p + 4, table.Segments[k].End.load());
    PutLe32(p + 8, table.Segments[k].Received.load());
  }
  if (flushData) flushData();

  // A save that fails at any step after the temporary file exists (a full disk
  // refuses the write or the flush) takes it away again: the product folder
  // keeps only the partial and the resume file.
  const std::string temporary = path + std::string(kResumeTempSuffix);
  TFile file = TFile::Create(temporary, TShareMode::Exclusive);
  std::string reason;
  try {
    file.Write(bytes.data(), ResumeFileBytes(header.Count));
    file.Flush();
    file.Close();
  } catch (...) {
    file.Close();
    DeleteFile(temporary);
    throw;
  }
  if (!ReplaceFile(temporary, path, &reason)) {
    DeleteFile(temporary);
    throw EInOutError(Format("Cannot rename file \"%s\" to \"%s\". %s", temporary, path, reason));
  }
}

}  // namespace bailan
