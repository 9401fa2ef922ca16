// Local calendar times convert to the epoch as mktime converts them, also in a
// row across the days the clocks change, where the offset of the conversion
// before no longer holds. The Windows conversions take the zone from the
// system, not from TZ: POSIX hosts only.
#include <gtest/gtest.h>

#ifndef _WIN32

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "platform/LocalTime.h"
#include "support/Environment.h"

namespace bailan::test {
namespace {

// Sets TZ for one test and puts the one before back.
class TTimeZoneScope {
 public:
  explicit TTimeZoneScope(const char* zone) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    SetEnvironment("TZ", zone);
    tzset();
  }
  ~TTimeZoneScope() {
    SetEnvironment("TZ", old_ ? old_->c_str() : nullptr);
    tzset();
  }
  TTimeZoneScope(const TTimeZoneScope&) = delete;
  TTimeZoneScope& operator=(const TTimeZoneScope&) = delete;

 private:
  std::optional<std::string> old_;
};

long long Mktime(const TLocalTime& local, int isDst = -1) {
  std::tm tm{};
  tm.tm_year = local.Year - 1900;
  tm.tm_mon = local.Month - 1;
  tm.tm_mday = local.Day;
  tm.tm_hour = local.Hour;
  tm.tm_min = local.Minute;
  tm.tm_sec = local.Second;
  tm.tm_isdst = isDst;
  return static_cast<long long>(mktime(&tm));
}

TEST(LocalTime, ConversionsInARowMatchMktimeAcrossDaylightSaving) {
  TTimeZoneScope zone("Europe/Berlin");
  // In this order: each one's offset differs from the one before, or the
  // one before would fit a time that is not there.
  const TLocalTime times[] = {
      {2025, 3, 30, 1, 59, 59},    // the last second of winter time
      {2025, 3, 30, 3, 0, 0},      // the first of summer time
      {2025, 3, 29, 12, 0, 0},     // back to winter
      {2025, 3, 30, 2, 30, 0},     // skipped by the clocks
      {2025, 3, 30, 3, 30, 0},     // after the skip
      {2025, 10, 26, 1, 59, 59},   // summer time, just before the clocks go back
      {2025, 10, 26, 3, 0, 0},     // winter time again
      {2025, 10, 25, 23, 0, 0},    // summer
      {2024, 2, 29, 12, 0, 0},     // a leap day, winter
      {2025, 2, 29, 12, 0, 0},     // no such day: March 1
      {2025, 13, 1, 0, 0, 0},      // no such month: January of the next year
      {2025, 6, 30, 24, 0, 0},     // no such hour: the next day
      {1980, 1, 1, 0, 0, 0},       // the earliest DOS time
      {2107, 12, 31, 23, 59, 58},  // the latest
  };
  for (const TLocalTime& local : times) {
    const long long expected = Mktime(local);
    EXPECT_EQ(LocalTimeToEpoch(local), expected)
        << local.Year << "-" << local.Month << "-" << local.Day << " " << local.Hour << ":" << local.Minute;
    EXPECT_EQ(LocalTimeToEpoch(local), expected) << "again, " << local.Month << "-" << local.Day;
  }
  // The hour the clocks pass twice: either moment, after a time of either offset.
  const TLocalTime twice = {2025, 10, 26, 2, 30, 0};
  for (const TLocalTime& before : {TLocalTime{2025, 7, 1, 12, 0, 0}, TLocalTime{2025, 12, 1, 12, 0, 0}}) {
    LocalTimeToEpoch(before);
    const long long value = LocalTimeToEpoch(twice);
    EXPECT_TRUE(value == Mktime(twice, 1) || value == Mktime(twice, 0)) << value;
  }
}

}  // namespace
}  // namespace bailan::test

#endif  // _WIN32
