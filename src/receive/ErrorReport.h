#pragma once

#include <string>

namespace bailan {

// The text of the application's default error report for a CP936 message: the
// message with a full stop added when its last character sorts after ".". Both
// faces show it under the caption "柏岚软件" with the error icon.
std::string ErrorReportText(std::string message);

}  // namespace bailan
