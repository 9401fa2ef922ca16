#include "WholeBody.h"

#include "platform/Exception.h"
#include "platform/Format.h"

namespace bailan::cli {

TWholeBody::TWholeBody(std::int64_t limit) : limit_(limit) {}

void TWholeBody::Write(const void* data, std::size_t count) {
  if (written_ + static_cast<std::int64_t>(count) > limit_) {
    throw EInOutError(Format("the body is longer than %lld bytes", static_cast<long long>(limit_)));
  }
  file_.Stream().Write(data, count);
  hash_.Update(data, count);
  written_ += static_cast<std::int64_t>(count);
}

void TWholeBody::Seek(std::int64_t position) {
  if (position == written_) return;
  if (position != 0) throw EInOutError("the whole body is written in one pass");
  file_.Stream().Seek(0);
  file_.Stream().SetSize(0);
  hash_.Finish();
  written_ = 0;
}

void TWholeBody::SetSize(std::int64_t size) {
  if (size < written_) Seek(size);
}

TSha256::TDigest TWholeBody::Finish() {
  file_.Close();
  reader_ = TFile::Open(file_.Path(), TAccess::Read, TShareMode::ReadWrite);
  return hash_.Finish();
}

std::int64_t TWholeBody::FirstDifference(std::int64_t offset, const char* data, std::size_t count) {
  stored_.resize(count);
  reader_.Seek(offset);
  const std::size_t got = reader_.Read(stored_.data(), count);
  for (std::size_t i = 0; i < count; ++i) {
    if (i >= got || stored_[i] != data[i]) return offset + static_cast<std::int64_t>(i);
  }
  return -1;
}

}  // namespace bailan::cli
