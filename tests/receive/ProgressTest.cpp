#include <gtest/gtest.h>

#include "platform/Cp936.h"
#include "platform/Exception.h"
#include "receive/GoBatch.h"
#include "receive/Progress.h"
#include "support/TempDir.h"

namespace bailan {
namespace {

TEST(CalcPercent, HalfToEvenExactly) {
  struct {
    std::int64_t Received, Total, Percent;
  } cases[] = {
      {0, 0, 0},
      {5, 0, 0},
      {350, 400, 88},  // 87.5 goes to the even 88
      {1, 8, 12},
      {3, 8, 38},
      {29, 100, 29},
      {100, 100, 100},
      {0, 100, 0},
      {1, 200, 0},
      {3, 200, 2},
      {-5, 100, 0},
      {1, 3, 33},
      {2, 3, 67},
      // Sums past 2 GiB: 21 resources of 2147483647 bytes, half received.
      {21LL * 2147483647 / 2, 21LL * 2147483647, 50},
      {3LL << 31, 4LL << 31, 75},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CalcPercent(c.Received, c.Total), c.Percent) << c.Received << "/" << c.Total;
  }
}

TEST(GoBatch, FourCp936LinesWithCrLfReplacingAnOldFile) {
  test::TTempDir dir;
  const std::string path = dir / "GO.bat";
  test::WriteFileBytes(path, std::string(500, 'x'));
  WriteGoBatch(path, GoBatchText(Cp("D:\\柏岚软件"), Cp("柏岚销售记账打印软件")));
  EXPECT_EQ(test::ReadFileBytes(path), "@echo off\r\ncd /d \"" + Cp("D:\\柏岚软件\\柏岚销售记账打印软件") +
                                           "\"\r\nBL.exe\r\ndel %0\r\n");
  EXPECT_THROW(WriteGoBatch(dir / "missing/GO.bat", "x"), EFCreateError);
}

}  // namespace
}  // namespace bailan
