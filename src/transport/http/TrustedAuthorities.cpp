#include "transport/http/TrustedAuthorities.h"

#include <cstdlib>
#include <mutex>

namespace bailan {
namespace {

// Locked although it is set before the threads start: a late setter must not
// race a reading segment thread.
std::mutex& SettingLock() {
  static std::mutex mutex;
  return mutex;
}

std::string& Setting() {
  static std::string path;
  return path;
}

}  // namespace

void SetExtraTrustedAuthorities(std::string path) {
  std::lock_guard<std::mutex> lock(SettingLock());
  Setting() = std::move(path);
}

std::string ExtraTrustedAuthorities() {
  std::lock_guard<std::mutex> lock(SettingLock());
  return Setting();
}

void TrustAuthoritiesFromEnvironment() {
  const char* value = std::getenv(kExtraAuthoritiesVariable);
  if (value && *value) SetExtraTrustedAuthorities(value);
}

}  // namespace bailan
