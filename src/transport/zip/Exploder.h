#pragma once

#include <cstdint>
#include <vector>

#include "transport/zip/ZipBitReader.h"
#include "transport/zip/ZipWindow.h"

namespace bailan {

// Decodes method 6 (imploded): a sliding dictionary of 4 KiB or 8 KiB (flag
// bit 1) with Shannon-Fano coded lengths and distances, and literals coded by a
// third tree (flag bit 2) or sent as plain bytes.
class TExploder {
 public:
  // `flags` are the entry's general purpose flags; `bits` and `window` are
  // borrowed for this object's life; one thread.
  TExploder(TZipBitReader& bits, TZipWindow& window, std::uint16_t flags);
  TExploder(const TExploder&) = delete;
  TExploder& operator=(const TExploder&) = delete;

  // Decodes until `size` bytes are out, the data is exhausted or found damaged.
  void Decode(std::uint64_t size);

 private:
  // A decoding table indexed by the next MaxBits bits of the stream.
  struct TTree {
    struct TSlot {
      std::uint16_t Symbol = 0;
      std::uint8_t Length = 0;  // 0: no code starts with these bits
    };
    std::vector<TSlot> Slots;
    unsigned MaxBits = 0;
  };

  static constexpr unsigned kLiteralSymbols = 256;
  static constexpr unsigned kLengthSymbols = 64;
  static constexpr unsigned kDistanceSymbols = 64;
  static constexpr unsigned kMaxCodeBits = 16;
  static constexpr unsigned kLongLength = 63;  // a length code followed by a byte

  bool ReadTree(TTree& tree, unsigned symbols);
  bool DecodeSymbol(const TTree& tree, unsigned& symbol);

  TZipBitReader& bits_;
  TZipWindow& window_;
  bool largeDictionary_;
  bool literalTree_;
  TTree literals_, lengths_, distances_;
};

}  // namespace bailan
