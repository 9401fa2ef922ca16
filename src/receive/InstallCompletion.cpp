#include "receive/InstallCompletion.h"

#include "platform/Launcher.h"
#include "platform/Path.h"
#include "receive/GoBatch.h"

namespace bailan {
namespace {

const char* const kLauncherName = "GO.bat";
const char* const kProgramName = "BL.exe";

}  // namespace

void WriteAndStartLauncher(const std::string& installPath, const std::string& productName) {
  const std::string folder = installPath + PathDelim + productName;
  WriteGoBatch(folder + PathDelim + kLauncherName, GoBatchText(installPath, productName));
  RunLauncher(folder, kLauncherName, kProgramName);
}

}  // namespace bailan
