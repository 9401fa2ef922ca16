// Prints DefaultInstallFolder() in UTF-8 and a line feed, for the test that
// maps and unmaps a drive D: in the Wine prefix around it.
#include <cstdio>

#include "platform/Cp936.h"
#include "platform/InstallFolder.h"

int main() {
  const std::string folder = bailan::Cp936ToUtf8(bailan::DefaultInstallFolder()) + "\n";
  return std::fwrite(folder.data(), 1, folder.size(), stdout) == folder.size() ? 0 : 1;
}
