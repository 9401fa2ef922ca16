#include "platform/LocalTime.h"

namespace bailan {

TDateTime EpochToDateTime(long long seconds) {
  const TLocalTime local = EpochToLocalTime(seconds);
  return TDateTime::FromParts(local.Year, local.Month, local.Day, local.Hour, local.Minute, local.Second);
}

long long DateTimeToEpoch(TDateTime value) {
  TLocalTime local;
  value.ToParts(local.Year, local.Month, local.Day, local.Hour, local.Minute, local.Second,
                local.Millisecond);
  return LocalTimeToEpoch(local);
}

}  // namespace bailan
