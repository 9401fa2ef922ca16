#pragma once

#include <cstdint>

#include "platform/DateTime.h"

namespace bailan {

// MS-DOS time and date fields as ZIP headers store them:
//   time: bits 0-4 seconds / 2, 5-10 minutes, 11-15 hours
//   date: bits 0-4 day, 5-8 month, 9-15 years since 1980
// Sanitising clamps each field into its valid range; a valid value is unchanged.
void SanitiseDosDateTime(std::uint16_t& date, std::uint16_t& time);

// The local date and time of sanitised fields.
TDateTime DosDateTimeToDateTime(std::uint16_t date, std::uint16_t time);

}  // namespace bailan
