#pragma once

#include <string>

namespace bailan {

// The launcher step of a finished installation: writes "GO.bat" into the
// product folder (replacing any file of that name) and starts it hidden in that
// folder, so that it starts "BL.exe" and deletes itself. Raises the file
// creation failure when the batch file cannot be written (nothing is started
// then); a launcher that does not start is not reported. GUI thread.
void WriteAndStartLauncher(const std::string& installPath, const std::string& productName);

}  // namespace bailan
