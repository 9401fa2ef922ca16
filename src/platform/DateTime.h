#pragma once

#include <string>
#include <string_view>

namespace bailan {

// A local date and time as days since 1899-12-30 00:00, the fraction being the
// time of day. Negative values lie before that day (the fraction still counts
// forward from midnight, as the system's runtime treats it).
struct TDateTime {
  double Value = 0.0;

  // The local date and time now, to the millisecond.
  static TDateTime Now();
  static TDateTime FromParts(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                             int millisecond = 0);

  // Splits into calendar parts; the time is rounded to the nearest millisecond.
  void ToParts(int& year, int& month, int& day, int& hour, int& minute, int& second, int& millisecond) const;

  friend bool operator==(TDateTime a, TDateTime b) { return a.Value == b.Value; }
};

// Formats with the tokens yyyy, yy, mm, dd, hh, nn, ss and zzz; other characters
// are copied. The system uses "yyyy-mm-dd hh:nn:ss".
std::string FormatDateTime(std::string_view format, TDateTime value);

// The system's time-stamp format.
inline constexpr std::string_view kDateTimeFormat = "yyyy-mm-dd hh:nn:ss";

// Parses "yyyy-mm-dd hh:nn:ss" (or "yyyy-mm-dd" alone); false for anything else,
// including impossible dates and times.
bool TryParseDateTime(std::string_view text, TDateTime& value);

// As TryParseDateTime, raising EConvertError for a text that is not a date.
TDateTime ParseDateTime(std::string_view text);

}  // namespace bailan
