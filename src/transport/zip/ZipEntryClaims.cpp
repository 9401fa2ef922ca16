#include "transport/zip/ZipEntryClaims.h"

#include <limits>

#include "transport/zip/ZipExceptions.h"
#include "transport/zip/ZipFileReader.h"
#include "transport/zip/ZipRecords.h"

namespace bailan {

using namespace zip;

TZipEntryClaims::TZipEntryClaims(const TFile& archive, const std::vector<const TZipEntry*>& entries,
                                 std::function<bool(const TZipEntry&)> wanted)
    : archive_(archive), entries_(entries), wanted_(std::move(wanted)) {
  claims_.reserve(entries_.size());
}

bool TZipEntryClaims::Published(std::size_t index, TZipClaim& claim) const {
  if (index >= published_.load(std::memory_order_acquire)) return false;
  claim = claims_[index];
  return true;
}

bool TZipEntryClaims::Get(std::size_t index, TZipClaim& claim, std::size_t ahead) {
  if (Published(index, claim)) return true;
  std::lock_guard guard(lock_);
  while (claims_.size() <= index + ahead && ClaimNext()) {
  }
  return Published(index, claim);
}

std::size_t TZipEntryClaims::IndexOf(const TZipEntry& entry, std::size_t from) {
  TZipClaim claim;
  for (std::size_t index = from;; ++index) {
    if (!Get(index, claim)) throw EZipError("An entry was begun that is not decoded");
    if (claim.Entry == &entry) return index;
  }
}

bool TZipEntryClaims::ClaimNext() {
  while (nextEntry_ < entries_.size()) {
    const TZipEntry& entry = *entries_[nextEntry_++];
    if (!wanted_(entry)) continue;
    claims_.push_back(Claim(entry));  // within the room made: claims_ does not move
    published_.store(claims_.size(), std::memory_order_release);
    return true;
  }
  return false;
}

// Reads the local header (at the entry's offset or, for a displaced directory,
// at the offset shifted by as much) and takes the bytes from it to the end of
// the compressed data, unless another entry took any of them before.
TZipClaim TZipEntryClaims::Claim(const TZipEntry& entry) {
  TZipClaim claim;
  claim.Entry = &entry;
  try {
    const std::uint64_t offsets[2] = {
        entry.LocalHeaderOffset, entry.LocalHeaderOffset + static_cast<std::uint64_t>(entry.OffsetShift)};
    for (std::uint64_t offset : offsets) {
      unsigned char header[kLocalHeaderSize];
      if (!ReadZipBytesAt(archive_, offset, header, sizeof header)) throw EFatalUnzipError(kPrematureEndText);
      if (GetU32(header) == kLocalHeaderSignature) {
        const std::uint64_t dataOffset = offset + kLocalHeaderSize + GetU16(header + local::kNameLength) +
                                         GetU16(header + local::kExtraLength);
        const std::uint64_t end =
            entry.CompressedSize > std::numeric_limits<std::uint64_t>::max() - dataOffset
                ? std::numeric_limits<std::uint64_t>::max()
                : dataOffset + entry.CompressedSize;
        if (taken_.Take(offset, end)) {
          claim.Kind = TZipClaim::TKind::Located;
          claim.DataOffset = dataOffset;
        }
        return claim;
      }
      if (entry.OffsetShift == 0) break;
    }
  } catch (...) {
    claim.Kind = TZipClaim::TKind::Failed;
    claim.Error = std::current_exception();
  }
  return claim;
}

}  // namespace bailan
