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

TLocalTime LocalTimeNow() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::tm tm{};
  {
    std::lock_guard guard(TimeZoneLock());
    localtime_r(&now.tv_sec, &tm);
  }
  return TLocalTime{tm.tm_year + 1900,
                    tm.tm_mon + 1,
                    tm.tm_mday,
                    tm.tm_hour,
                    tm.tm_min,
                    tm.tm_sec,
                    static_cast<int>(now.tv_nsec / 1000000)};
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
