#include "receive/ErrorReport.h"

#include "platform/Cp936.h"

namespace bailan {

std::string ErrorReportText(std::string message) {
  // The last character, not the last byte: a double-byte character's lead byte
  // sorts after "." and so earns the full stop.
  std::size_t last = 0;
  for (std::size_t i = 0; i < message.size(); i += Cp936CharLength(message, i)) last = i;
  if (!message.empty() && static_cast<unsigned char>(message[last]) > static_cast<unsigned char>('.')) {
    message += '.';
  }
  return message;
}

}  // namespace bailan
