#pragma once

#include <cstdint>
#include <string>

#include "CheckReport.h"
#include "CheckSettings.h"
#include "WholeBody.h"
#include "platform/Sha256.h"

namespace bailan::cli {

// One byte range of a resource asked for as a segment of a job asks: its user
// agent, redirects followed, "bytes=start-end" with the segment's exclusive
// end (one byte more than it needs, as the job sends it), the body read off the
// open connection. The rows for an answer the job could not use: ranges
// ignored, another start or a shorter range, another total, chunk framing,
// "Connection: close", a failed request, a body that breaks off or differs
// from the whole GET's bytes (`whole`, when that GET succeeded).
struct TRangeAsk {
  std::int32_t Index = 0;  // the segment number, 1 ..
  std::int32_t Start = 0;
  std::int32_t End = 0;    // exclusive
  std::int32_t Total = 0;  // the resource's size
};

// Feeds the range's bytes into `ranges` in order; true when all of them arrived.
bool CheckRange(const TCheckEntry& entry, const TRangeAsk& ask, const TCheckSettings& settings,
                TWholeBody* whole, TSha256& ranges, TCheckReport& report);

}  // namespace bailan::cli
