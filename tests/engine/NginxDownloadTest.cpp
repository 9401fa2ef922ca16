// The transfer engine against nginx, a server none of us wrote.
#include <gtest/gtest.h>

#include "engine/EngineSettings.h"
#include "platform/FileSystem.h"
#include "platform/Thread.h"
#include "support/EngineRun.h"
#include "support/NginxFixture.h"
#include "support/TempDir.h"
#include "support/TestAuthority.h"
#include "transport/http/TrustedAuthorities.h"

namespace bailan {
namespace {

using test::LogText;
using test::ReadFileBytes;
using test::TEngineRun;
using test::TNginxFixture;
using test::TTempDir;
using test::TTestAuthority;
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

// Plain and over TLS (with the test authority trusted).
class NginxResume : public NginxDownload, public ::testing::WithParamInterface<bool> {
 protected:
  void TearDown() override { SetExtraTrustedAuthorities(""); }
};

TEST_P(NginxResume, StopAndResumeGiveTheSameBytes) {
  constexpr std::int64_t kSize = 64 * 1048576;
  nginx.AddPatternFile("big.bin", kSize);
  if (GetParam()) {
    if (!TTestAuthority::Available()) GTEST_SKIP() << TTestAuthority::UnavailableReason();
    nginx.EnableTls();
    SetExtraTrustedAuthorities(nginx.AuthorityFile());
  }
  nginx.Start();
  TEngineRun run(GetParam() ? nginx.TlsUrl("/files/big.bin") : nginx.Url("/files/big.bin"), dir.Path());
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

INSTANTIATE_TEST_SUITE_P(PlainAndTls, NginxResume, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Tls" : "Plain"; });

// A server whose certificate fails: the size probe's failure is the run's
// error, a segment's is its retry line, both with the reason.
TEST_F(NginxDownload, ATlsFailureGivesItsReason) {
  if (!TTestAuthority::Available()) GTEST_SKIP() << TTestAuthority::UnavailableReason();
  nginx.EnableTls();
  nginx.AddFile("a.bin", "abc");
  nginx.Start();
  SetExtraTrustedAuthorities(nginx.AuthorityFile());
  const std::string reason = "TLS handshake failed: certificate verify failed: certificate has expired";
  const std::string url = nginx.TlsUrl("/files/a.bin", TNginxFixture::TTlsServer::Expired);
  {
    TEngineRun probe(url, dir.Path());  // holds the local name while it lives
    ASSERT_TRUE(probe.RunToEnd());
    EXPECT_EQ(probe.Job->RunErrorClass(), "ETlsError");
    EXPECT_EQ(probe.Job->RunErrorMessage(), reason);
  }

  // A resume file: no probe, the segment meets the certificate.
  WriteFileBytes(dir / "a.bin.rpc", std::string(3, '\0'));
  WriteFileBytes(dir / "a.bin.rpc.cfg", test::ResumeFileImage(3, 1, {{0, 3, 0}}));
  EngineSettings().MaxTriesWithoutData = 2;
  EngineSettings().RetryFirstPauseMs = 50;
  TEngineRun segment(url, dir.Path());
  const bool ended = segment.RunToEnd();
  EngineSettings().MaxTriesWithoutData = 8;
  EngineSettings().RetryFirstPauseMs = 1000;
  SetExtraTrustedAuthorities("");
  ASSERT_TRUE(ended);
  const std::vector<std::string> log = segment.UntimedLog();
  EXPECT_NE(std::find(log.begin(), log.end(),
                      LogText("线程1：安全连接失败（") + reason + LogText("），1秒后第1次重试.")),
            log.end())
      << ::testing::PrintToString(log);
  EXPECT_FALSE(FileExists(dir / "a.bin"));
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
