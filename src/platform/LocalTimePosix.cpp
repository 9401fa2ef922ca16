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

constexpr int kTmYearBase = 1900;  // std::tm counts years from 1900
constexpr int kMonthsPerYear = 12;
constexpr long long kSecondsPerDay = 86400;

constexpr long long kDaysPerEra = 146097;       // 400 Gregorian years
constexpr long long kEraStartToEpoch = 719468;  // days from 0000-03-01 to 1970-01-01

// Seconds since the epoch of the calendar time read as UTC: days counted in
// 400-year eras of years that begin in March, so that the leap day ends a
// year. Months 1 to 12; days and times may run over (converting back tells).
long long SecondsAsUtc(const TLocalTime& t) {
  const long long year = t.Year - (t.Month <= 2 ? 1 : 0);
  const long long era = (year >= 0 ? year : year - 399) / 400;
  const long long yearOfEra = year - era * 400;
  const long long monthFromMarch = t.Month > 2 ? t.Month - 3 : t.Month + 9;
  const long long dayOfYear = (153 * monthFromMarch + 2) / 5 + t.Day - 1;
  const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  const long long days = era * kDaysPerEra + dayOfEra - kEraStartToEpoch;
  return days * kSecondsPerDay + t.Hour * 3600LL + t.Minute * 60LL + t.Second;
}

bool SameTime(const std::tm& tm, const TLocalTime& t) {
  return tm.tm_year + kTmYearBase == t.Year && tm.tm_mon + 1 == t.Month && tm.tm_mday == t.Day &&
         tm.tm_hour == t.Hour && tm.tm_min == t.Minute && tm.tm_sec == t.Second;
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
  local.Year = tm.tm_year + kTmYearBase;
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
  std::lock_guard guard(TimeZoneLock());
  // The offset of the last conversion is nearly always right for the next
  // one (file times of one archive): checked by converting back, it saves
  // mktime's look at the time zone file. The lock guards it.
  static long long lastOffset = 0;
  static bool haveOffset = false;
  if (haveOffset && local.Month >= 1 && local.Month <= kMonthsPerYear) {
    const time_t guess = static_cast<time_t>(SecondsAsUtc(local) - lastOffset);
    std::tm back{};
    if (localtime_r(&guess, &back) && SameTime(back, local)) return static_cast<long long>(guess);
  }
  std::tm tm{};
  tm.tm_year = local.Year - kTmYearBase;
  tm.tm_mon = local.Month - 1;
  tm.tm_mday = local.Day;
  tm.tm_hour = local.Hour;
  tm.tm_min = local.Minute;
  tm.tm_sec = local.Second;
  tm.tm_isdst = -1;
  const time_t value = mktime(&tm);
  if (value != static_cast<time_t>(-1)) {
    lastOffset = tm.tm_gmtoff;
    haveOffset = true;
  }
  return static_cast<long long>(value);
}

}  // namespace bailan
