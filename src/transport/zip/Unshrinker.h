#pragma once

#include <cstdint>
#include <memory>

#include "transport/zip/ZipBitReader.h"
#include "transport/zip/ZipWindow.h"

namespace bailan {

// Decodes method 1 (shrunk): LZW with codes of 9 to 13 bits. Code 256 is a
// control code; the code after it is 1 (the code size grows by one bit) or 2
// (a partial clear frees every table entry that is no other entry's prefix).
// New entries take the lowest free code from 257 on.
class TUnshrinker {
 public:
  // `bits` and `window` are borrowed for this object's life; one thread.
  TUnshrinker(TZipBitReader& bits, TZipWindow& window);
  TUnshrinker(const TUnshrinker&) = delete;
  TUnshrinker& operator=(const TUnshrinker&) = delete;

  // Decodes until `size` bytes are out, the data is exhausted or found damaged.
  void Decode(std::uint64_t size);

 private:
  static constexpr unsigned kInitialCodeBits = 9;
  static constexpr unsigned kMaxCodeBits = 13;
  static constexpr unsigned kTableSize = 1u << kMaxCodeBits;
  static constexpr unsigned kControlCode = 256;
  static constexpr unsigned kFirstFreeCode = 257;
  static constexpr unsigned kGrowCode = 1;
  static constexpr unsigned kPartialClearCode = 2;
  static constexpr std::int16_t kFree = -1;

  bool HandleControl(unsigned& codeBits);
  void PartialClear();
  void AdvanceFreeCode();
  // Writes the string of `code` into stack_ backwards; its length, or 0 when the
  // chain is damaged.
  unsigned Expand(unsigned code);

  TZipBitReader& bits_;
  TZipWindow& window_;
  std::unique_ptr<std::int16_t[]> prefix_;  // kFree for an unused entry
  std::unique_ptr<unsigned char[]> suffix_;
  std::unique_ptr<unsigned char[]> stack_;  // one string, built from its end
  unsigned freeCode_ = kFirstFreeCode;
};

}  // namespace bailan
