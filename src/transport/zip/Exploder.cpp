#include "transport/zip/Exploder.h"

#include <algorithm>
#include <numeric>

#include "transport/zip/ZipRecords.h"

namespace bailan {
namespace {

constexpr unsigned kSmallDictionaryLowBits = 6;  // 4 KiB dictionary
constexpr unsigned kLargeDictionaryLowBits = 7;  // 8 KiB dictionary
constexpr unsigned kMinMatchWithLiteralTree = 3;
constexpr unsigned kMinMatchWithoutLiteralTree = 2;

unsigned ReverseBits(unsigned value, unsigned count) {
  unsigned out = 0;
  for (unsigned i = 0; i < count; ++i) {
    out = (out << 1) | (value & 1);
    value >>= 1;
  }
  return out;
}

}  // namespace

TExploder::TExploder(TZipBitReader& bits, TZipWindow& window, std::uint16_t flags)
    : bits_(bits),
      window_(window),
      largeDictionary_((flags & zip::kFlagImplode8KDictionary) != 0),
      literalTree_((flags & zip::kFlagImplode3Trees) != 0) {}

// A tree is sent as a count of bytes, then bytes each giving a bit length (low
// nibble + 1) for a run of symbols (high nibble + 1). Codes are assigned from
// the longest lengths up (the longest get the smallest values) and are sent
// first bit first.
bool TExploder::ReadTree(TTree& tree, unsigned symbols) {
  std::vector<std::uint8_t> lengths;
  lengths.reserve(symbols);
  unsigned bytes = bits_.Read(8) + 1;
  for (unsigned i = 0; i < bytes; ++i) {
    unsigned byte = bits_.Read(8);
    unsigned length = (byte & 0x0F) + 1;
    unsigned run = (byte >> 4) + 1;
    if (lengths.size() + run > symbols) return false;
    lengths.insert(lengths.end(), run, static_cast<std::uint8_t>(length));
  }
  if (lengths.size() != symbols || bits_.Exhausted()) return false;

  std::vector<unsigned> order(symbols);
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(),
                   [&](unsigned a, unsigned b) { return lengths[a] < lengths[b]; });
  tree.MaxBits = lengths[order.back()];
  tree.Slots.assign(std::size_t{1} << tree.MaxBits, TTree::TSlot());

  std::uint32_t code = 0, increment = 0;
  unsigned lastLength = 0;
  for (unsigned i = symbols; i-- > 0;) {
    unsigned symbol = order[i];
    unsigned length = lengths[symbol];
    code += increment;
    if (length != lastLength) {
      lastLength = length;
      increment = 1u << (kMaxCodeBits - length);
    }
    if (code > 0xFFFF) return false;  // lengths that do not form a code
    unsigned sent = (code >> (kMaxCodeBits - length)) & ((1u << length) - 1);
    unsigned index = ReverseBits(sent, length);
    for (std::size_t slot = index; slot < tree.Slots.size(); slot += std::size_t{1} << length) {
      tree.Slots[slot].Symbol = static_cast<std::uint16_t>(symbol);
      tree.Slots[slot].Length = static_cast<std::uint8_t>(length);
    }
  }
  return true;
}

bool TExploder::DecodeSymbol(const TTree& tree, unsigned& symbol) {
  const TTree::TSlot& slot = tree.Slots[bits_.Peek(tree.MaxBits)];
  if (slot.Length == 0) return false;
  bits_.Skip(slot.Length);
  symbol = slot.Symbol;
  return true;
}

void TExploder::Decode(std::uint64_t size) {
  if (literalTree_ && !ReadTree(literals_, kLiteralSymbols)) return;
  if (!ReadTree(lengths_, kLengthSymbols) || !ReadTree(distances_, kDistanceSymbols)) return;
  const unsigned lowBits = largeDictionary_ ? kLargeDictionaryLowBits : kSmallDictionaryLowBits;
  const unsigned minMatch = literalTree_ ? kMinMatchWithLiteralTree : kMinMatchWithoutLiteralTree;
  while (window_.Total() < size && !bits_.Exhausted()) {
    if (bits_.Read(1) == 1) {
      unsigned literal;
      if (literalTree_) {
        if (!DecodeSymbol(literals_, literal)) return;
      } else {
        literal = bits_.Read(8);
      }
      window_.Put(static_cast<unsigned char>(literal));
      continue;
    }
    unsigned low = bits_.Read(lowBits);
    unsigned high, length;
    if (!DecodeSymbol(distances_, high) || !DecodeSymbol(lengths_, length)) return;
    std::size_t distance = ((high << lowBits) | low) + 1;
    if (length == kLongLength) length += bits_.Read(8);
    length += minMatch;
    std::uint64_t left = size - window_.Total();
    window_.Copy(distance, static_cast<std::size_t>(std::min<std::uint64_t>(length, left)));
  }
}

}  // namespace bailan
