#pragma once

#include <array>
#include <cstdint>

#include "transport/zip/ZipBitReader.h"
#include "transport/zip/ZipWindow.h"

namespace bailan {

// Decodes methods 2 to 5 (reduced with compression factor 1 to 4). The data
// starts with a follower set for each byte value (255 down to 0); each byte is
// then either a literal or an index into the follower set of the byte before
// it. The byte stream so obtained is run through the repeat expander, in which
// 0x90 (DLE) introduces a length and distance.
class TUnreducer {
 public:
  static constexpr unsigned kMinFactor = 1;
  static constexpr unsigned kMaxFactor = 4;

  // `factor` is 1 to 4 (the method minus 1); `bits` and `window` are borrowed for
  // this object's life; one thread.
  TUnreducer(TZipBitReader& bits, TZipWindow& window, unsigned factor);
  TUnreducer(const TUnreducer&) = delete;
  TUnreducer& operator=(const TUnreducer&) = delete;

  // Decodes until `size` bytes are out, the data is exhausted or found damaged.
  void Decode(std::uint64_t size);

 private:
  static constexpr unsigned kMaxFollowers = 63;  // a 6-bit count
  static constexpr unsigned char kDle = 0x90;
  static constexpr unsigned kMinMatch = 3;

  enum class TState { Literal, AfterDle, ExtraLength, Distance };

  void ReadFollowerSets();
  bool NextByte(unsigned char& byte);
  void Expand(unsigned char byte, std::uint64_t size);

  TZipBitReader& bits_;
  TZipWindow& window_;
  unsigned factor_;
  std::array<std::array<unsigned char, kMaxFollowers>, 256> followers_{};
  std::array<unsigned char, 256> followerCount_{};
  unsigned char last_ = 0;
  TState state_ = TState::Literal;
  unsigned lengthCode_ = 0;  // the byte after DLE
  unsigned length_ = 0;
};

}  // namespace bailan
