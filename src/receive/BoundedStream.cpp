#include "receive/BoundedStream.h"

#include "platform/Exception.h"
#include "platform/Format.h"

namespace bailan {

void TBoundedStream::Write(const void* data, std::size_t count) {
  const std::int64_t at = target_.Position();
  if (static_cast<std::uint64_t>(at) + count > static_cast<std::uint64_t>(limit_)) {
    overflowed_ = true;
    throw EInOutError(
        Format("%s is longer than %lld bytes, the most it may hold", what_, static_cast<long long>(limit_)));
  }
  if (at == 0 && hashed_ != 0) {
    hash_.Finish();  // a body started afresh: forget the earlier bytes
    hashed_ = 0;
  }
  if (at != hashed_) throw EInOutError(Format("%s was not written in order", what_));
  target_.Write(data, count);
  hash_.Update(data, count);
  hashed_ += static_cast<std::int64_t>(count);
}

TSha256::TDigest TBoundedStream::Digest() {
  if (target_.Size() != hashed_) throw EInOutError(Format("%s was not written in order", what_));
  return hash_.Finish();
}

}  // namespace bailan
