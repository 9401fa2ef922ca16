#include "support/FileSizeLimit.h"

namespace bailan::test {

TFileSizeLimit::TFileSizeLimit(std::uint64_t /*bytes: Windows has no such limit*/) {}

TFileSizeLimit::~TFileSizeLimit() = default;

}  // namespace bailan::test
