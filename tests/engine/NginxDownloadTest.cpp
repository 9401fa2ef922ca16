// The transfer engine against nginx, a server none of us wrote.
#include <gtest/gtest.h>

#include "platform/FileSystem.h"
#include "platform/Thread.h"
#include "support/EngineRun.h"
#include "support/NginxFixture.h"
#include "support/TempDir.h"

namespace bailan {
namespace {

using test::LogText;
using test::ReadFileBytes;
using test::TEngineRun;
using test::TNginxFixture;
using test::TTempDir;
using test::WriteFileBytes;

class NginxDownload : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!TNginxFixture::Available()) GTEST_SKIP() << TNginxFixture::UnavailableReason();
  }

  static bool MatchesPattern(const std::string& bytes, std::int64_t size) {
    if (static_cast<std::int64_t>(bytes.size()) != size) return false;
    for (std::int64_t i = 0; i < size; ++i) {
      if (bytes[static_cast<std::size_t>(i)] != TNginxFixture::PatternByte(i)) return false;
    }
    return true;
  }

  TTempDir dir;
  TNginxFixture nginx;
};

TEST_F(NginxDownload, ThreeRangesMakeTheWholeFile) {
  constexpr std::int64_t kSize = 5 * 1048576 + 17;
  nginx.AddPatternFile("data.bin", kSize);
  nginx.Start();
  TEngineRun run(nginx.Url("/files/data.bin"), dir.Path());
  ASSERT_TRUE(run.RunToEnd());
  EXPECT_TRUE(MatchesPattern(ReadFileBytes(dir / "data.bin"), kSize));
  EXPECT_EQ(run.UntimedLog().back(), LogText("资源接收完成."));
}

TEST_F(NginxDownload, StopAndResumeGiveTheSameBytes) {
  constexpr std::int64_t kSize = 64 * 1048576;
  nginx.AddPatternFile("big.bin", kSize);
  nginx.Start();
  TEngineRun run(nginx.Url("/files/big.bin"), dir.Path());
  run.Job->StartDownload();
  for (int i = 0; i < 4000 && run.Job->ReceivedSize < 1048576; ++i) SleepMs(1);
  run.Job->RequestStop();
  ASSERT_TRUE(run.Job->WaitUntilIdle(20000));
  run.WaitForThreads();
  if (!FileExists(dir / "big.bin.rpc.cfg")) GTEST_SKIP() << "the machine received it all before the stop";
  EXPECT_EQ(ReadFileBytes(dir / "big.bin.rpc.cfg").size(), 44u);
  ASSERT_TRUE(run.RunToEnd(60000));
  EXPECT_EQ(run.UntimedLog().front(), LogText("取得资源原始大小：67108864 字节。"));
  EXPECT_TRUE(MatchesPattern(ReadFileBytes(dir / "big.bin"), kSize));
}

TEST_F(NginxDownload, RedirectChainIsFollowedForEveryRequest) {
  nginx.AddFile("chain-target.txt", "at the end of the chain");
  nginx.Start();
  TEngineRun run(nginx.Url("/chain/1"), dir.Path());
  ASSERT_TRUE(run.RunToEnd());
  // The local name comes from the first URL's document.
  EXPECT_EQ(ReadFileBytes(dir / "1"), "at the end of the chain");
}

TEST_F(NginxDownload, ArchiveIsUnpacked) {
  TTempDir source;
  WriteFileBytes(source / "BL.exe", std::string(300000, 'b'));
  ASSERT_EQ(std::system(("cd '" + source.Path() + "' && zip -q app.zip BL.exe").c_str()), 0);
  nginx.AddFile("app.zip", ReadFileBytes(source / "app.zip"));
  nginx.Start();
  TEngineRun run(nginx.Url("/files/app.zip"), dir / "product", 3, true);
  ASSERT_TRUE(run.RunToEnd());
  EXPECT_EQ(ReadFileBytes(dir / "product/BL.exe"), std::string(300000, 'b'));
  EXPECT_FALSE(FileExists(dir / "product/app.zip"));
}

}  // namespace
}  // namespace bailan
