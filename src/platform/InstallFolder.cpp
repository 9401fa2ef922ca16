#include "platform/InstallFolder.h"

#include "platform/Cp936.h"

namespace bailan {
namespace {

bool IsDriveName(std::string_view drive) {
  return drive.size() == 2 && drive[1] == ':' &&
         ((drive[0] >= 'A' && drive[0] <= 'Z') || (drive[0] >= 'a' && drive[0] <= 'z'));
}

}  // namespace

std::string WindowsInstallFolder(bool dIsFixedDrive, std::string_view systemDrive) {
  const std::string drive = dIsFixedDrive ? "D:" : IsDriveName(systemDrive) ? std::string(systemDrive) : "C:";
  return drive + "\\" + Cp("柏岚软件");
}

}  // namespace bailan
