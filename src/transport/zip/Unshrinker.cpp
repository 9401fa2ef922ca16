#include "transport/zip/Unshrinker.h"

#include <cstring>
#include <vector>

namespace bailan {

TUnshrinker::TUnshrinker(TZipBitReader& bits, TZipWindow& window)
    : bits_(bits),
      window_(window),
      prefix_(new std::int16_t[kTableSize]),
      suffix_(new unsigned char[kTableSize]()),
      stack_(new unsigned char[kTableSize]) {
  for (unsigned code = 0; code < kTableSize; ++code) prefix_[code] = kFree;
}

void TUnshrinker::AdvanceFreeCode() {
  while (freeCode_ < kTableSize && prefix_[freeCode_] != kFree) ++freeCode_;
}

void TUnshrinker::PartialClear() {
  std::vector<bool> isPrefix(kTableSize, false);
  for (unsigned code = kFirstFreeCode; code < kTableSize; ++code) {
    if (prefix_[code] != kFree) isPrefix[static_cast<unsigned>(prefix_[code])] = true;
  }
  for (unsigned code = kFirstFreeCode; code < kTableSize; ++code) {
    if (!isPrefix[code]) prefix_[code] = kFree;
  }
  freeCode_ = kFirstFreeCode;
  AdvanceFreeCode();
}

bool TUnshrinker::HandleControl(unsigned& codeBits) {
  unsigned sub = bits_.Read(codeBits);
  if (sub == kGrowCode) {
    if (codeBits >= kMaxCodeBits) return false;
    ++codeBits;
    return true;
  }
  if (sub == kPartialClearCode) {
    PartialClear();
    return true;
  }
  return false;
}

unsigned TUnshrinker::Expand(unsigned code) {
  unsigned length = 0;
  while (code >= kFirstFreeCode) {
    if (length >= kTableSize - 1 || prefix_[code] == kFree) return 0;
    stack_[kTableSize - 1 - length++] = suffix_[code];
    code = static_cast<unsigned>(prefix_[code]);
  }
  if (code == kControlCode) return 0;
  stack_[kTableSize - 1 - length++] = static_cast<unsigned char>(code);
  return length;
}

void TUnshrinker::Decode(std::uint64_t size) {
  unsigned codeBits = kInitialCodeBits;
  if (size == 0) return;
  unsigned previous = bits_.Read(codeBits);
  if (previous >= kControlCode || bits_.Exhausted()) return;
  window_.Put(static_cast<unsigned char>(previous));
  freeCode_ = kFirstFreeCode;
  while (window_.Total() < size && !bits_.Exhausted()) {
    unsigned code = bits_.Read(codeBits);
    if (code == kControlCode) {
      if (!HandleControl(codeBits)) return;
      continue;
    }
    unsigned length;
    unsigned char first;
    if (code < kFirstFreeCode || prefix_[code] != kFree) {
      length = Expand(code);
      if (length == 0) return;
      first = stack_[kTableSize - length];
    } else if (code == freeCode_) {
      // The code about to be defined: the previous string plus its own first byte.
      unsigned previousLength = Expand(previous);
      if (previousLength == 0 || previousLength >= kTableSize - 1) return;
      first = stack_[kTableSize - previousLength];
      // Shift one place towards the front to append the first byte.
      unsigned char* start = &stack_[kTableSize - previousLength];
      std::memmove(start - 1, start, previousLength);
      stack_[kTableSize - 1] = first;
      length = previousLength + 1;
    } else {
      return;  // a code that was never defined: damaged data
    }
    if (freeCode_ < kTableSize) {
      prefix_[freeCode_] = static_cast<std::int16_t>(previous);
      suffix_[freeCode_] = first;
      ++freeCode_;
      AdvanceFreeCode();
    }
    const unsigned char* string = &stack_[kTableSize - length];
    for (unsigned i = 0; i < length && window_.Total() < size; ++i) window_.Put(string[i]);
    previous = code;
  }
}

}  // namespace bailan
