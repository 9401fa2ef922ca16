#pragma once

#include <cstdint>
#include <type_traits>

#include <optional>
#include <string>

#include "platform/DateTime.h"
#include "platform/Sha256.h"
#include "platform/TextField.h"

namespace bailan {

// Text field sizes of the records, NUL included.
inline constexpr std::size_t kShortText = 256;
inline constexpr std::size_t kLongText = 1024;
// The expected SHA-256 of a resource's archive: 64 lower-case hex digits, or
// empty when its source gave none (then the archive is taken unchecked).
inline constexpr std::size_t kDigestText = TSha256::kHexLength + 1;

// A resource waiting to be received or being received (one per download job).
// Records are plain values: a new slot is all zero bytes, and a move between the
// lists copies field by field, because the fields do not stand at the same places
// in the three layouts.
struct TResourceRec {
  TDateTime PublishTime;
  TTextField<kShortText> Name;
  TTextField<kLongText> URL;
  TTextField<kLongText> SavePath;
  std::int32_t SegCount = 0;
  TTextField<kShortText> Category;
  TTextField<kLongText> Remark;
  std::int32_t Flag = 0;           // 1 whenever a record is made; copied through every move
  TTextField<kDigestText> Sha256;  // copied through every move, so a resource received again is checked again
};

// A resource received completely.
struct TReceivedRec {
  TDateTime PublishTime;
  TTextField<kShortText> Name;
  TTextField<kLongText> URL;
  TTextField<kLongText> SavePath;
  TTextField<kShortText> FileName;  // the received file's final name, without its folder
  std::int32_t FileSize = 0;
  TTextField<kShortText> Category;
  TTextField<kLongText> Remark;
  std::int32_t Flag = 0;
  TDateTime ReceiveTime;
  TTextField<kDigestText> Sha256;
};

// A received resource that the user deleted.
struct TRecycledRec {
  TDateTime PublishTime;
  TTextField<kShortText> Name;
  TTextField<kLongText> URL;
  TTextField<kLongText> SavePath;
  TTextField<kShortText> FileName;
  std::int32_t FileSize = 0;
  TTextField<kShortText> Category;
  TTextField<kLongText> Remark;
  std::int32_t Flag = 0;
  TDateTime ReceiveTime;
  TTextField<kDigestText> Sha256;  // before DeleteTime: the received layout stays this one's beginning
  TDateTime DeleteTime;
};

static_assert(std::is_trivially_copyable_v<TResourceRec> && std::is_trivially_copyable_v<TReceivedRec> &&
              std::is_trivially_copyable_v<TRecycledRec>);

// The digest a record's Sha256 field holds; none for an empty field. Raises
// Exception for a field that holds anything but 64 hex digits.
std::optional<TSha256::TDigest> RecordDigest(const TTextField<kDigestText>& field);

// The field mappings of the moves between the lists.
TReceivedRec ReceivedFromPending(const TResourceRec& pending, const std::string& fileName,
                                 std::int32_t fileSize, TDateTime receiveTime);
TResourceRec PendingFromReceived(const TReceivedRec& received);  // receive again: one segment
TRecycledRec RecycledFromReceived(const TReceivedRec& received, TDateTime deleteTime);
TReceivedRec ReceivedFromRecycled(const TRecycledRec& recycled);  // keeps the old receive time

}  // namespace bailan
