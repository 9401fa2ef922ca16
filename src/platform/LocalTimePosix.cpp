#include <sys/time.h>

#include <ctime>
#include <mutex>

#include "platform/LocalTime.h"

namespace bailan {
namespace {

// The C library's local-time conversions re-read the time zone into shared
// state; threads (the run threads, the extractor) take turns with them.
std::mutex& TimeZoneLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

TLocalTime EpochToLocalTime(long long seconds) {
  const time_t value = static_cast<time_t>(seconds);
  std::tm tm{};
  {
    std::lock_guard guard(TimeZoneLock());
    localtime_r(&value, &tm);
  }
  TLocalTime local;
  local.Year = tm.tm_year + 1900;
  local.Month = tm.tm_mon + 1;
  local.Day = tm.tm_mday;
  local.Hour = tm.tm_hour;
  local.Minute = tm.tm_min;
  local.Second = tm.tm_sec;
  return local;
}

TLocalTime LocalTimeNow() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  TLocalTime local = EpochToLocalTime(now.tv_sec);
  local.Millisecond = static_cast<int>(now.tv_nsec / 1000000);
  return local;
}

long long LocalTimeToEpoch(const TLocalTime& local) {
  std::tm tm{};
  tm.tm_year = local.Year - 1900;
  tm.tm_mon = local.Month - 1;
  tm.tm_mday = local.Day;
  tm.tm_hour = local.Hour;
  tm.tm_min = local.Minute;
  tm.tm_sec = local.Second;
  tm.tm_isdst = -1;
  std::lock_guard guard(TimeZoneLock());
  return static_cast<long long>(mktime(&tm));
}

}  // namespace bailan
