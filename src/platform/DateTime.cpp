#include "platform/DateTime.h"

#include <cmath>

#include "platform/Exception.h"
#include "platform/Format.h"
#include "platform/LocalTime.h"

namespace bailan {
namespace {

constexpr double kMsPerDay = 86400000.0;
// Days since 0000-03-01 of the civil date (Howard Hinnant's algorithm).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe);
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (m <= 2));
}

bool IsLeap(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

// Reads exactly `width` decimal digits at `pos`.
bool ReadDigits(std::string_view text, std::size_t pos, std::size_t width, int& value) {
  if (pos + width > text.size()) return false;
  value = 0;
  for (std::size_t i = pos; i < pos + width; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  return true;
}

}  // namespace

TDateTime TDateTime::FromParts(int year, int month, int day, int hour, int minute, int second,
                               int millisecond) {
  long long days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
                   DaysFromCivil(1899, 12, 30);
  double fraction = ((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond;
  fraction /= kMsPerDay;
  // Before 1899-12-30 the whole part counts backwards and the fraction forwards.
  return TDateTime{days >= 0 ? days + fraction : days - fraction};
}

void TDateTime::ToParts(int& year, int& month, int& day, int& hour, int& minute, int& second,
                        int& millisecond) const {
  double whole = std::trunc(Value);
  double fraction = std::fabs(Value - whole);
  long long ms = std::llround(fraction * kMsPerDay);
  long long days = static_cast<long long>(whole);
  if (ms >= static_cast<long long>(kMsPerDay)) {  // rounding reached the next midnight
    ms -= static_cast<long long>(kMsPerDay);
    days += Value >= 0 ? 1 : -1;
  }
  CivilFromDays(days + DaysFromCivil(1899, 12, 30), year, month, day);
  millisecond = static_cast<int>(ms % 1000);
  second = static_cast<int>(ms / 1000 % 60);
  minute = static_cast<int>(ms / 60000 % 60);
  hour = static_cast<int>(ms / 3600000);
}

TDateTime TDateTime::Now() {
  TLocalTime now = LocalTimeNow();
  return FromParts(now.Year, now.Month, now.Day, now.Hour, now.Minute, now.Second, now.Millisecond);
}

std::string FormatDateTime(std::string_view format, TDateTime value) {
  int y, mo, d, h, mi, s, ms;
  value.ToParts(y, mo, d, h, mi, s, ms);
  std::string out;
  for (std::size_t i = 0; i < format.size();) {
    std::string_view rest = format.substr(i);
    if (rest.starts_with("yyyy")) {
      out += Format("%.4d", y);
      i += 4;
    } else if (rest.starts_with("yy")) {
      out += Format("%.2d", y % 100);
      i += 2;
    } else if (rest.starts_with("zzz")) {
      out += Format("%.3d", ms);
      i += 3;
    } else if (rest.starts_with("mm") || rest.starts_with("dd") || rest.starts_with("hh") ||
               rest.starts_with("nn") || rest.starts_with("ss")) {
      int v = rest[0] == 'm' ? mo : rest[0] == 'd' ? d : rest[0] == 'h' ? h : rest[0] == 'n' ? mi : s;
      out += Format("%.2d", v);
      i += 2;
    } else {
      out += format[i++];
    }
  }
  return out;
}

bool TryParseDateTime(std::string_view text, TDateTime& value) {
  int y, mo, d, h = 0, mi = 0, s = 0;
  if (!ReadDigits(text, 0, 4, y) || text.size() < 10 || text[4] != '-' || !ReadDigits(text, 5, 2, mo) ||
      text[7] != '-' || !ReadDigits(text, 8, 2, d)) {
    return false;
  }
  if (text.size() != 10) {
    if (text.size() != 19 || text[10] != ' ' || !ReadDigits(text, 11, 2, h) || text[13] != ':' ||
        !ReadDigits(text, 14, 2, mi) || text[16] != ':' || !ReadDigits(text, 17, 2, s)) {
      return false;
    }
  }
  if (y < 1 || mo < 1 || mo > 12 || d < 1 || d > DaysInMonth(y, mo) || h > 23 || mi > 59 || s > 59) {
    return false;
  }
  value = TDateTime::FromParts(y, mo, d, h, mi, s);
  return true;
}

TDateTime ParseDateTime(std::string_view text) {
  TDateTime value;
  if (!TryParseDateTime(text, value)) {
    throw EConvertError("'" + std::string(text) + "' is not a valid date and time");
  }
  return value;
}

}  // namespace bailan
