#pragma once

#include <sys/stat.h>

#include <ctime>

#include "platform/DateTime.h"
#include "platform/LocalTime.h"

namespace bailan {

// The two times utimensat and futimens take for setting a file's modification
// time (local time) and leaving its access time alone.
struct TModificationTimes {
  timespec Times[2];

  explicit TModificationTimes(TDateTime value) {
    Times[0].tv_sec = 0;
    Times[0].tv_nsec = UTIME_OMIT;
    Times[1].tv_sec = static_cast<time_t>(DateTimeToEpoch(value));
    Times[1].tv_nsec = 0;
  }
};

}  // namespace bailan
