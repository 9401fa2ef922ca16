#include "transport/zip/ZipDosTime.h"

#include <algorithm>

namespace bailan {
namespace {

constexpr unsigned kMaxHalfSeconds = 29;  // 58 seconds
constexpr unsigned kMaxMinute = 59;
constexpr unsigned kMaxHour = 23;
constexpr unsigned kMaxMonth = 12;
constexpr unsigned kMaxYearOffset = 119;  // 2099: later years become it
constexpr int kDosEpochYear = 1980;

}  // namespace

void SanitiseDosDateTime(std::uint16_t& date, std::uint16_t& time) {
  unsigned halfSeconds = std::min(time & 0x1Fu, kMaxHalfSeconds);
  unsigned minute = std::min((time >> 5) & 0x3Fu, kMaxMinute);
  unsigned hour = std::min((time >> 11) & 0x1Fu, kMaxHour);
  unsigned day = std::max(date & 0x1Fu, 1u);
  unsigned month = std::clamp((date >> 5) & 0x0Fu, 1u, kMaxMonth);
  unsigned year = std::min((date >> 9) & 0x7Fu, kMaxYearOffset);
  time = static_cast<std::uint16_t>(halfSeconds | (minute << 5) | (hour << 11));
  date = static_cast<std::uint16_t>(day | (month << 5) | (year << 9));
}

TDateTime DosDateTimeToDateTime(std::uint16_t date, std::uint16_t time) {
  int year = kDosEpochYear + ((date >> 9) & 0x7F);
  int month = (date >> 5) & 0x0F;
  int day = date & 0x1F;
  // A day beyond the month's end (31 February) rolls over into the next month,
  // as counting days from the first does.
  TDateTime first =
      TDateTime::FromParts(year, month, 1, (time >> 11) & 0x1F, (time >> 5) & 0x3F, (time & 0x1F) * 2);
  first.Value += day - 1;
  return first;
}

}  // namespace bailan
