#pragma once

#include "platform/DateTime.h"

namespace bailan {

// A local calendar time as the host's clock and time zone give it.
struct TLocalTime {
  int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

TLocalTime LocalTimeNow();

// The local calendar time of a moment given as seconds since the Unix epoch.
TLocalTime EpochToLocalTime(long long seconds);

// Seconds since the Unix epoch of a local calendar time (the host's time zone
// decides daylight saving). A time the clocks pass twice gives either of its
// two moments; a time they skip, what mktime makes of it. On POSIX the zone's
// rules are those read when the process first converted a time (or called
// tzset) for times already seen.
long long LocalTimeToEpoch(const TLocalTime& local);

// The same conversions for a TDateTime, to the whole second (file times).
TDateTime EpochToDateTime(long long seconds);
long long DateTimeToEpoch(TDateTime value);

}  // namespace bailan
