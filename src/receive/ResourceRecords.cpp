#include "receive/ResourceRecords.h"

#include "platform/Exception.h"

namespace bailan {
namespace {

constexpr std::int32_t kSegmentsReceivedAgain = 1;

// Copies the fields that the received and recycled layouts share.
template <typename To, typename From>
void CopyReceivedFields(To& to, const From& from) {
  to.PublishTime = from.PublishTime;
  to.Name = from.Name;
  to.URL = from.URL;
  to.SavePath = from.SavePath;
  to.FileName = from.FileName;
  to.FileSize = from.FileSize;
  to.Category = from.Category;
  to.Remark = from.Remark;
  to.Flag = from.Flag;
  to.ReceiveTime = from.ReceiveTime;
  to.Sha256 = from.Sha256;
}

}  // namespace

std::optional<TSha256::TDigest> RecordDigest(const TTextField<kDigestText>& field) {
  const std::string hex = field.Get();
  if (hex.empty()) return std::nullopt;
  TSha256::TDigest digest{};
  if (!ParseDigestHex(hex, digest))
    throw Exception("A record's SHA-256 field holds no digest: \"" + hex + "\"");
  return digest;
}

TReceivedRec ReceivedFromPending(const TResourceRec& pending, const std::string& fileName,
                                 std::int32_t fileSize, TDateTime receiveTime) {
  TReceivedRec received{};
  received.PublishTime = pending.PublishTime;
  received.Name = pending.Name;
  received.URL = pending.URL;
  received.SavePath = pending.SavePath;
  received.FileName.Set(fileName);
  received.FileSize = fileSize;
  received.Category = pending.Category;
  received.Remark = pending.Remark;
  received.Flag = pending.Flag;
  received.ReceiveTime = receiveTime;
  received.Sha256 = pending.Sha256;
  return received;
}

TResourceRec PendingFromReceived(const TReceivedRec& received) {
  TResourceRec pending{};
  pending.PublishTime = received.PublishTime;
  pending.Name = received.Name;
  pending.URL = received.URL;
  pending.SavePath = received.SavePath;
  pending.SegCount = kSegmentsReceivedAgain;
  pending.Category = received.Category;
  pending.Remark = received.Remark;
  pending.Flag = received.Flag;
  pending.Sha256 = received.Sha256;
  return pending;
}

TRecycledRec RecycledFromReceived(const TReceivedRec& received, TDateTime deleteTime) {
  TRecycledRec recycled{};
  CopyReceivedFields(recycled, received);
  recycled.DeleteTime = deleteTime;
  return recycled;
}

TReceivedRec ReceivedFromRecycled(const TRecycledRec& recycled) {
  TReceivedRec received{};
  CopyReceivedFields(received, recycled);
  return received;
}

}  // namespace bailan
