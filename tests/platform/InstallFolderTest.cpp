#include <gtest/gtest.h>

#include "platform/Cp936.h"
#include "platform/InstallFolder.h"

namespace bailan {
namespace {

struct TFolderCase {
  bool DIsFixed;
  const char* SystemDrive;
  const char* Expected;  // UTF-8
};

TEST(WindowsInstallFolder, StaysOnAFixedDElseMovesToTheSystemDrive) {
  const TFolderCase cases[] = {
      {true, "C:", "D:\\柏岚软件"},   // the usual desktop with a second disk
      {true, "D:", "D:\\柏岚软件"},   // Windows itself on D:
      {false, "C:", "C:\\柏岚软件"},  // no D:, or a CD, card reader or network drive there
      {false, "E:", "E:\\柏岚软件"},  // Windows installed on another drive
      {false, "e:", "e:\\柏岚软件"},   {false, "", "C:\\柏岚软件"},  // %SystemDrive% unset
      {false, "C:\\", "C:\\柏岚软件"}, {false, "\\\\server\\share", "C:\\柏岚软件"},
      {false, "1:", "C:\\柏岚软件"},
  };
  for (const TFolderCase& c : cases) {
    EXPECT_EQ(Cp936ToUtf8(WindowsInstallFolder(c.DIsFixed, c.SystemDrive)), c.Expected)
        << "D: fixed " << c.DIsFixed << ", system drive '" << c.SystemDrive << "'";
  }
}

}  // namespace
}  // namespace bailan
