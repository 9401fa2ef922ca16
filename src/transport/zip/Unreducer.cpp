#include "transport/zip/Unreducer.h"

#include <algorithm>

namespace bailan {
namespace {

// Bits of an index into a follower set of n entries.
unsigned IndexBits(unsigned n) {
  if (n <= 2) return 1;
  unsigned bits = 0;
  while ((1u << bits) < n) ++bits;
  return bits;
}

}  // namespace

TUnreducer::TUnreducer(TZipBitReader& bits, TZipWindow& window, unsigned factor)
    : bits_(bits), window_(window), factor_(std::clamp(factor, kMinFactor, kMaxFactor)) {}

void TUnreducer::ReadFollowerSets() {
  for (unsigned value = 256; value-- > 0;) {
    unsigned count = bits_.Read(6);
    followerCount_[value] = static_cast<unsigned char>(count);
    for (unsigned i = 0; i < count; ++i) followers_[value][i] = static_cast<unsigned char>(bits_.Read(8));
  }
}

bool TUnreducer::NextByte(unsigned char& byte) {
  unsigned count = followerCount_[last_];
  if (count == 0 || bits_.Read(1) == 1) {
    byte = static_cast<unsigned char>(bits_.Read(8));
  } else {
    unsigned index = bits_.Read(IndexBits(count));
    if (index >= count) return false;
    byte = followers_[last_][index];
  }
  last_ = byte;
  return true;
}

void TUnreducer::Expand(unsigned char byte, std::uint64_t size) {
  const unsigned lengthMask = 0x7Fu >> (factor_ - 1);
  switch (state_) {
    case TState::Literal:
      if (byte == kDle) {
        state_ = TState::AfterDle;
      } else {
        window_.Put(byte);
      }
      return;
    case TState::AfterDle:
      if (byte == 0) {
        window_.Put(kDle);
        state_ = TState::Literal;
        return;
      }
      lengthCode_ = byte;
      length_ = byte & lengthMask;
      state_ = length_ == lengthMask ? TState::ExtraLength : TState::Distance;
      return;
    case TState::ExtraLength:
      length_ += byte;
      state_ = TState::Distance;
      return;
    case TState::Distance: {
      std::size_t distance = ((lengthCode_ >> (8 - factor_)) << 8) + byte + 1;
      std::uint64_t left = size - window_.Total();
      window_.Copy(distance, static_cast<std::size_t>(std::min<std::uint64_t>(length_ + kMinMatch, left)));
      state_ = TState::Literal;
      return;
    }
  }
}

void TUnreducer::Decode(std::uint64_t size) {
  ReadFollowerSets();
  unsigned char byte;
  while (window_.Total() < size && !bits_.Exhausted()) {
    if (!NextByte(byte)) return;
    Expand(byte, size);
  }
}

}  // namespace bailan
