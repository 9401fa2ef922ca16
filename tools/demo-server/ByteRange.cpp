#include "ByteRange.h"

#include <charconv>
#include <optional>
#include <system_error>

namespace bailan::demo {
namespace {

constexpr std::string_view kUnit = "bytes=";

// The whole of `text` as a decimal number; nothing for empty text, a sign, a
// space or a value beyond 64 bits.
std::optional<std::uint64_t> Decimal(std::string_view text) {
  std::uint64_t value = 0;
  const char* end = text.data() + text.size();
  if (text.empty()) return std::nullopt;
  const std::from_chars_result result = std::from_chars(text.data(), end, value);
  if (result.ec != std::errc() || result.ptr != end) return std::nullopt;
  return value;
}

TByteRange Part(std::uint64_t first, std::uint64_t last) {
  return {TByteRange::TKind::Part, first, last};
}

}  // namespace

TByteRange ResolveByteRange(std::string_view header, std::uint64_t size) {
  const TByteRange whole;
  const TByteRange unsatisfiable{TByteRange::TKind::Unsatisfiable};
  if (header.substr(0, kUnit.size()) != kUnit) return whole;
  const std::string_view spec = header.substr(kUnit.size());
  const std::size_t dash = spec.find('-');
  if (dash == std::string_view::npos || spec.find(',') != std::string_view::npos) return whole;
  const std::string_view from = spec.substr(0, dash), to = spec.substr(dash + 1);
  if (from.empty()) {  // "-N": the last N bytes
    const std::optional<std::uint64_t> count = Decimal(to);
    if (!count) return whole;
    if (*count == 0 || size == 0) return unsatisfiable;
    return Part(*count >= size ? 0 : size - *count, size - 1);
  }
  const std::optional<std::uint64_t> first = Decimal(from);
  const std::optional<std::uint64_t> last =
      to.empty() ? std::optional<std::uint64_t>(UINT64_MAX) : Decimal(to);
  if (!first || !last || *last < *first) return whole;
  if (*first >= size) return unsatisfiable;
  return Part(*first, *last >= size ? size - 1 : *last);
}

}  // namespace bailan::demo
