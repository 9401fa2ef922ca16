#pragma once

#include <cstddef>
#include <cstdint>

namespace bailan {

// A byte target with a position and a length that can be cut back: what the HTTP
// client writes a response body into. Calls are made per block, never per byte.
class TStream {
 public:
  virtual ~TStream() = default;

  // Writes all `count` bytes at the position and advances it, extending the
  // length when needed.
  virtual void Write(const void* data, std::size_t count) = 0;
  virtual std::int64_t Position() const = 0;
  virtual void Seek(std::int64_t position) = 0;
  virtual std::int64_t Size() const = 0;
  // Sets the length; the position is unchanged.
  virtual void SetSize(std::int64_t size) = 0;
};

}  // namespace bailan
