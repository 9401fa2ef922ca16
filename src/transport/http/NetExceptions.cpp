#include "transport/http/NetExceptions.h"

#include "platform/Format.h"
#include "platform/Socket.h"

namespace bailan {

ESocketError::ESocketError(int error)
    : ENetException(Format("Socket Error # %d\r\n%s", error, SocketErrorText(error))), error_(error) {}

void RaiseNotAnInteger(const std::string& text) {
  throw EConvertError(Format("'%s' is not a valid integer value", text));
}

}  // namespace bailan
