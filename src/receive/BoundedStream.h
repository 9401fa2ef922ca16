#pragma once

#include <cstdint>
#include <string>

#include "platform/Sha256.h"
#include "platform/Stream.h"

namespace bailan {

// A body's target that refuses to grow past a limit, so that a transfer ends
// there with its reason instead of filling the disk or the memory, and that
// hashes the bytes as they pass: the digest is that of exactly the bytes written.
class TBoundedStream : public TStream {
 public:
  // Borrows `target` for its life; `what` names the body in the failure text
  // ("The manifest"). One thread.
  TBoundedStream(TStream& target, std::int64_t limit, std::string what)
      : target_(target), limit_(limit), what_(std::move(what)) {}

  // Raises EInOutError past the limit, and for a write that neither continues
  // the bytes hashed so far nor starts them afresh at 0 (the digest would not
  // be the body's).
  void Write(const void* data, std::size_t count) override;
  std::int64_t Position() const override { return target_.Position(); }
  void Seek(std::int64_t position) override { target_.Seek(position); }
  std::int64_t Size() const override { return target_.Size(); }
  void SetSize(std::int64_t size) override { target_.SetSize(size); }

  bool Overflowed() const { return overflowed_; }
  // The digest of the bytes written, when they are the whole of the target;
  // EInOutError otherwise.
  TSha256::TDigest Digest();

 private:
  TStream& target_;
  std::int64_t limit_;
  std::string what_;
  TSha256 hash_;
  std::int64_t hashed_ = 0;
  bool overflowed_ = false;
};

}  // namespace bailan
