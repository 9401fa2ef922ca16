#include "transport/http/TextUtil.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace bailan {
namespace {

char FoldCase(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

template <typename Int>
std::optional<Int> ParseDecimal(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || text.front() == '+') return std::nullopt;
  Int value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

bool SameTextIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return FoldCase(x) == FoldCase(y); });
}

std::size_t FindIgnoreCase(std::string_view text, std::string_view needle) {
  auto found = std::search(text.begin(), text.end(), needle.begin(), needle.end(),
                           [](char x, char y) { return FoldCase(x) == FoldCase(y); });
  return found == text.end() && !needle.empty() ? std::string_view::npos
                                                : static_cast<std::size_t>(found - text.begin());
}

std::string_view TrimView(std::string_view text) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

bool HasControlCharacter(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
  });
}

std::string_view Fetch(std::string_view& text, char delimiter) {
  std::size_t at = text.find(delimiter);
  std::string_view head = text.substr(0, at);
  text = at == std::string_view::npos ? std::string_view() : text.substr(at + 1);
  return head;
}

std::optional<std::int32_t> ParseInt32(std::string_view text) {
  return ParseDecimal<std::int32_t>(text);
}
std::optional<std::int64_t> ParseInt64(std::string_view text) {
  return ParseDecimal<std::int64_t>(text);
}

}  // namespace bailan
