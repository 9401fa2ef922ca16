#include "platform/Cp936.h"
#include "platform/InstallFolder.h"

namespace bailan {

std::string DefaultInstallFolder() {
  return "D:\\" + Cp("柏岚软件");
}

}  // namespace bailan
