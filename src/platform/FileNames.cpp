#include "platform/FileNames.h"

#include <array>

namespace bailan {
namespace {

char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// ASCII suffixes only: the bytes they hold are never a CP936 trail byte's.
bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  const std::string_view tail = text.substr(text.size() - suffix.size());
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    if (AsciiLower(tail[i]) != AsciiLower(suffix[i])) return false;
  }
  return true;
}

}  // namespace

bool IsJobFileName(std::string_view name) {
  const std::string resume(kResumeSuffix);
  const std::array<std::string, 3> suffixes{std::string(kPartialSuffix), resume,
                                            resume + std::string(kResumeTempSuffix)};
  for (const std::string& suffix : suffixes) {
    if (EndsWithIgnoringCase(name, suffix)) return true;
  }
  return false;
}

}  // namespace bailan
