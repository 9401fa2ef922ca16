#pragma once

#include <limits>
#include <string>

#include "platform/Stream.h"

namespace bailan {

// A stream held in memory. Space is taken only for bytes actually written, so a
// length announced by a peer (SetSize) never allocates by itself. With a limit,
// bytes beyond the first `limit` are counted but dropped: a body kept only as an
// error text cannot exhaust memory.
class TMemoryStream : public TStream {
 public:
  // Owns its bytes; used by one thread at a time.
  explicit TMemoryStream(std::size_t limit = std::numeric_limits<std::size_t>::max()) : limit_(limit) {}

  void Write(const void* data, std::size_t count) override;
  std::int64_t Position() const override { return position_; }
  void Seek(std::int64_t position) override { position_ = position; }
  std::int64_t Size() const override { return size_; }
  void SetSize(std::int64_t size) override;

  // The bytes from 0 to the length (those beyond the limit are not kept).
  std::string Bytes() const;

 private:
  std::string data_;  // bytes written, up to the limit; shorter than size_ where unwritten
  std::int64_t size_ = 0;
  std::int64_t position_ = 0;
  std::size_t limit_;
};

}  // namespace bailan
