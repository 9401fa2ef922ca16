#pragma once

#include <string>

namespace bailan {

// The install directory offered before the user chooses one (CP936):
// "D:\柏岚软件" on Windows, $HOME/柏岚软件 on Linux.
std::string DefaultInstallFolder();

}  // namespace bailan
