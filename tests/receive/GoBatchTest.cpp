// The launcher's bytes for install folders whose names cmd.exe would otherwise
// read as syntax.
#include <gtest/gtest.h>

#include "platform/Cp936.h"
#include "receive/GoBatch.h"

namespace bailan {
namespace {

TEST(GoBatch, FolderIsQuotedAndItsPercentSignsDoubled) {
  struct {
    std::string InstallPath, ProductName, CdLine;
  } cases[] = {
      {"D:\\a&calc.exe", "P", "cd /d \"D:\\a&calc.exe\\P\""},
      {"D:\\x^y", "P", "cd /d \"D:\\x^y\\P\""},
      {"D:\\%PATH%", "P", "cd /d \"D:\\%%PATH%%\\P\""},
      {"D:\\100%", "%", "cd /d \"D:\\100%%\\%%\""},
      {"C:\\Program Files (x86)", "My App", "cd /d \"C:\\Program Files (x86)\\My App\""},
      {"D:\\a) & (b", "P", "cd /d \"D:\\a) & (b\\P\""},
      // 0xB1 0x5C: a double-byte character whose trail byte is "\"; it stays whole.
      {Cp("D:\\盶"), Cp("盶"), "cd /d \"D:\\\xB1\x5C\\\xB1\x5C\""},
      {Cp("D:\\盶%"), "P", "cd /d \"D:\\\xB1\x5C%%\\P\""},
      {"D:\\", "P", "cd /d \"D:\\\\P\""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GoBatchText(c.InstallPath, c.ProductName),
              "@echo off\r\n" + c.CdLine + "\r\nBL.exe\r\ndel %0\r\n")
        << c.InstallPath;
  }
}

}  // namespace
}  // namespace bailan
