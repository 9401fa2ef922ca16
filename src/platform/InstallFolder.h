#pragma once

#include <string>
#include <string_view>

namespace bailan {

// The install directory offered before the user chooses one (CP936). Linux:
// $HOME/柏岚软件. Windows: "D:\柏岚软件" where D: is a fixed drive; many
// machines have no D: (or a CD or card reader there), where that folder could
// never be created, so they get the same folder on the system drive instead.
std::string DefaultInstallFolder();

// Windows' choice from what the machine has: `dIsFixedDrive` tells whether D: is
// a fixed drive, `systemDrive` is %SystemDrive% ("C:"); a system drive that is
// not a letter and a colon counts as "C:".
std::string WindowsInstallFolder(bool dIsFixedDrive, std::string_view systemDrive);

}  // namespace bailan
