#pragma once

#include <string>

namespace bailan {

// Does on this platform what running the launcher batch file "GO.bat" in
// `folder` does on Windows: starts `program` (a file name in `folder`) detached,
// with `folder` as its working folder and no arguments, without waiting for it.
// On Linux the program is started directly when it is executable, else through
// `wine` where that is installed, else not at all; the batch file `batchName`
// in `folder` is then deleted, as its last line does. False when nothing was
// started; the caller does not report it.
bool RunLauncher(const std::string& folder, const std::string& batchName, const std::string& program);

// True when the process runs with the super-user's rights.
bool RunningAsSuperUser();

}  // namespace bailan
