#include "platform/MemoryStream.h"

#include <algorithm>
#include <cstring>

namespace bailan {

void TMemoryStream::Write(const void* data, std::size_t count) {
  if (count == 0) return;
  const std::int64_t end = position_ + static_cast<std::int64_t>(count);
  const auto limit = static_cast<std::int64_t>(std::min<std::size_t>(limit_, data_.max_size()));
  const std::int64_t keptEnd = std::min(end, limit);
  if (keptEnd > position_) {
    if (static_cast<std::int64_t>(data_.size()) < keptEnd) data_.resize(static_cast<std::size_t>(keptEnd));
    std::memcpy(data_.data() + position_, data, static_cast<std::size_t>(keptEnd - position_));
  }
  position_ = end;
  size_ = std::max(size_, end);
}

void TMemoryStream::SetSize(std::int64_t size) {
  if (size < 0) size = 0;
  size_ = size;
  if (static_cast<std::int64_t>(data_.size()) > size) data_.resize(static_cast<std::size_t>(size));
}

std::string TMemoryStream::Bytes() const {
  std::string result = data_;
  const auto kept = static_cast<std::int64_t>(std::min<std::size_t>(limit_, data_.max_size()));
  result.resize(static_cast<std::size_t>(std::min(size_, kept)), '\0');
  return result;
}

}  // namespace bailan
