#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <string>
#include <thread>
#include <vector>

#include "engine/SegmentTable.h"
#include "platform/File.h"
#include "platform/Sha256.h"

namespace bailan {

// Bytes read per step while a partial file is hashed: large enough that the
// reads cost little beside the hash, small enough to be a modest buffer.
inline constexpr std::size_t kDigestBlockBytes = 1u << 20;

// The SHA-256 of a partial file, taken while its segments arrive, so that the
// check of a received archive costs little more than the hash of what arrived
// last. A thread of its own reads the longest prefix of the resource whose bytes
// are all on the disk (segment 1's received part; once segment 1 is complete,
// segment 2's, and so on: a segment counts a block only after writing it) and
// feeds it to the hash. Every byte is read once, in order.
class TRunningDigest {
 public:
  // Created by the job transfer thread once the partial file of `total` bytes
  // exists: opens it for reading beside the segments' handles and starts the
  // hashing thread over slots 1..count of `table`, which must outlive the
  // object. The object owns its thread, its handle and its buffer. Raises
  // EFOpenError.
  TRunningDigest(const std::string& partialPath, const TSegmentTable& table, std::int32_t count,
                 std::int32_t total);
  // Stops the hashing thread and closes the file; the digest is dropped.
  ~TRunningDigest();
  TRunningDigest(const TRunningDigest&) = delete;
  TRunningDigest& operator=(const TRunningDigest&) = delete;

  // Job transfer thread, once every byte of the resource is received: stops
  // the thread, hashes the rest on the caller's thread, closes the file and
  // returns the digest. Raises the failure of a read (here or on the thread).
  TSha256::TDigest Finish();

 private:
  // The end of the longest prefix whose bytes are all written.
  std::int32_t Frontier() const;
  void Run();
  // Hashes bytes up to `end`; between blocks, returns early once stopping.
  void HashUpTo(std::int32_t end, bool stoppable);
  void Stop();

  const TSegmentTable& table_;
  const std::int32_t count_;
  const std::int32_t total_;
  TFile file_;
  TSha256 hash_;
  std::vector<char> block_;
  std::int32_t hashed_ = 0;  // the thread's until it is joined, then the caller's
  std::exception_ptr failure_;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace bailan
