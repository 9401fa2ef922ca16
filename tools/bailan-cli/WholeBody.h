#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "TemporaryFile.h"
#include "platform/Sha256.h"
#include "platform/Stream.h"

namespace bailan::cli {

// The target of a resource's whole GET: its bytes go into a private temporary
// file (for the ZIP reader and for comparing the ranges with) and through a
// SHA-256 digest as they pass, and a body longer than `limit` is refused, so
// that neither memory nor the disk grows with what a server chooses to send.
class TWholeBody : public TStream {
 public:
  // Owns its temporary file (deleted with the object) and its hash. One thread.
  explicit TWholeBody(std::int64_t limit);

  void Write(const void* data, std::size_t count) override;
  std::int64_t Position() const override { return written_; }
  // The client seeks only back to the start (a redirect drops what came): the
  // digest starts afresh then.
  void Seek(std::int64_t position) override;
  std::int64_t Size() const override { return written_; }
  // A length announced ahead of the bytes takes no room; a cut is a seek.
  void SetSize(std::int64_t size) override;

  // Ends the writing: the digest of what was written, and the file closed for
  // readers that open it by name.
  TSha256::TDigest Finish();
  const std::string& Path() const { return file_.Path(); }

  // The offset of the first of `count` bytes at `offset` that differs from
  // `data`, or -1 when all match (after Finish).
  std::int64_t FirstDifference(std::int64_t offset, const char* data, std::size_t count);

 private:
  TTemporaryFile file_;
  TFile reader_;
  std::vector<char> stored_;  // the file's bytes of the range being compared
  TSha256 hash_;
  std::int64_t limit_;
  std::int64_t written_ = 0;
};

}  // namespace bailan::cli
