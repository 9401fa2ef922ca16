#include "platform/Tick.h"
#include "platform/Win32Api.h"

namespace bailan {

std::uint32_t GetTickCount32() {
  return ::GetTickCount();
}

}  // namespace bailan
