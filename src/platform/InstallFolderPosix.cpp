#include <cstdlib>

#include "platform/Cp936.h"
#include "platform/InstallFolder.h"
#include "platform/Path.h"

namespace bailan {

std::string DefaultInstallFolder() {
  const char* home = std::getenv("HOME");
  const std::string base = (home && *home) ? Utf8ToCp936(home, '?') : std::string("/");
  return IncludeTrailingPathDelimiter(base) + Cp("柏岚软件");
}

}  // namespace bailan
