#pragma once

#include <string>

namespace bailan {

// How a segment thread's try ended, as its job transfer thread needs to know it
// to decide whether the slot is tried again.
enum class TSegmentEnd {
  Finished,  // its range is complete, or it was asked to stop
  Failed,    // the request or a read or write failed: worth another try
  Refused,   // the reply was not the range asked for: another try gets the same
  Resized,   // the server now holds a resource of another size
};

// Written by the segment thread before it sets its done flag, read by the job
// transfer thread after it has seen that flag set.
struct TSegmentOutcome {
  TSegmentEnd End = TSegmentEnd::Finished;
  std::string ErrorClass;    // the failure's class
  std::string ErrorMessage;  // its message (English for a refusal)
};

}  // namespace bailan
