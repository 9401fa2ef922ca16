#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/File.h"
#include "transport/zip/ZipDataRanges.h"
#include "transport/zip/ZipEntry.h"

namespace bailan {

// What was found for one entry to decode: where its data starts, or why it
// has none of its own.
struct TZipClaim {
  enum class TKind : std::uint8_t {
    Located,  // the data starts at DataOffset and is the entry's own
    Missing,  // no local header at the entry's offset, or its data is another entry's
    Failed,   // reading the local header raised Error
  };
  const TZipEntry* Entry = nullptr;
  TKind Kind = TKind::Missing;
  std::uint64_t DataOffset = 0;  // Located
  std::exception_ptr Error;      // Failed
};

// Finds the data of the entries to decode and claims its byte range of the
// archive, strictly in the entries' order whichever thread asks first, so that
// of two entries sharing bytes the earlier one keeps them however the decoding
// is spread over threads. Entries are counted among those `wanted` accepts.
class TZipEntryClaims {
 public:
  // `archive` (open for reading) and `entries` are borrowed and outlive this
  // object; `wanted` is called with this object's lock held, on whichever
  // thread claims. Any thread may call the members below at once.
  TZipEntryClaims(const TFile& archive, const std::vector<const TZipEntry*>& entries,
                  std::function<bool(const TZipEntry&)> wanted);
  TZipEntryClaims(const TZipEntryClaims&) = delete;
  TZipEntryClaims& operator=(const TZipEntryClaims&) = delete;

  // The claim of wanted entry number `index` (from 0), every earlier one
  // claimed first, and `ahead` more after it when there are; false when fewer
  // entries are wanted.
  bool Get(std::size_t index, TZipClaim& claim, std::size_t ahead = 0);
  // The number of `entry` among the wanted, counted from `from` on; EZipError
  // when it is not among them.
  std::size_t IndexOf(const TZipEntry& entry, std::size_t from);

 private:
  // Claim number `index` when it was published: read without the lock.
  bool Published(std::size_t index, TZipClaim& claim) const;
  // Both below are called with lock_ held. Claims the next wanted entry;
  // false when the entries are used up.
  bool ClaimNext();
  TZipClaim Claim(const TZipEntry& entry);

  const TFile& archive_;
  const std::vector<const TZipEntry*>& entries_;
  std::function<bool(const TZipEntry&)> wanted_;
  std::mutex lock_;
  std::size_t nextEntry_ = 0;  // of entries_, the first not yet looked at
  // One per wanted entry looked at, in order: made with room for every entry,
  // so that it never moves, and each claim written once, under the lock,
  // before `published_` counts it; those counted are read without the lock.
  std::vector<TZipClaim> claims_;
  std::atomic<std::size_t> published_{0};
  TZipDataRanges taken_;
};

}  // namespace bailan
