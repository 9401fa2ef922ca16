#include <gtest/gtest.h>

#include <string>

#include "engine/DownloadJob.h"
#include "platform/Cp936.h"
#include "platform/Exception.h"
#include "platform/FileNames.h"
#include "platform/Path.h"
#include "receive/ManifestJobs.h"
#include "receive/ReceiveLists.h"
#include "receive/ResourceOffer.h"
#include "receive/StopWait.h"

namespace bailan {
namespace {

std::shared_ptr<TDownloadJob> IdleJob(const std::shared_ptr<TReceiveLists>& lists) {
  return TDownloadJob::Create(lists, "res", TDateTime::Now(), "http://127.0.0.1:1/a.zip", "/tmp/never-used",
                              3, false);
}

// The wait is measured on the tick clock it is given: each pump advances a
// fake clock by 1 s, so the 10 s limit and the wrap at 2^32 are seen exactly.
TEST(StopWait, GivesUpAfterTenSecondsOfTicksOrWhenTheJobEnds) {
  struct TCase {
    std::uint32_t Start;
    int StopsAfterPumps;  // -1: never
    int ExpectedPumps;
  } cases[] = {
      {0, -1, 10},            // never stops: ten pumps, then the 10 s are up
      {0xFFFFF000u, -1, 10},  // the tick count wraps during the wait
      {0, 3, 3},              // stops on its own
      {0, 0, 0},              // was not running at all
  };
  for (const TCase& c : cases) {
    auto lists = TReceiveLists::Create();
    auto job = IdleJob(lists);
    job->Running = c.StopsAfterPumps == 0 ? 0 : 1;
    std::uint32_t now = c.Start;
    int pumps = 0;
    StopWait([job] { return job; },
             [&] {
               ++pumps;
               now += 1000;
               if (pumps == c.StopsAfterPumps) job->Running = 0;
             },
             [&] { return now; });
    EXPECT_EQ(pumps, c.ExpectedPumps) << "start " << c.Start << ", stops after " << c.StopsAfterPumps;
    job->Running = 0;
  }
}

TEST(StopWait, ARowWithoutAJobEndsTheWait) {
  auto lists = TReceiveLists::Create();
  auto job = IdleJob(lists);
  job->Running = 1;
  int looks = 0, pumps = 0;
  StopWait([&]() -> std::shared_ptr<TDownloadJob> { return ++looks < 3 ? job : nullptr; }, [&] { ++pumps; },
           [] { return 0u; });
  EXPECT_EQ(pumps, 2);
  job->Running = 0;
}

// A category names one folder below the download folder; the push time must
// parse; nothing is half-made when a row is refused.
TEST(ResourceOffer, RowsAreCheckedWholeBeforeTheyBecomeRecords) {
  const std::string downloads = std::string("/prog/Download") + PathDelim;
  struct TCase {
    std::string Category;
    std::string PushTime;
    bool Accepted;
  } cases[] = {
      {Cp("软件"), "2026-01-02 03:04:05", true},
      {"", "2026-01-02 03:04:05", true},  // the download folder itself
      {"..", "2026-01-02 03:04:05", false},
      {".", "2026-01-02 03:04:05", false},
      {"../x", "2026-01-02 03:04:05", false},
      {"a\\b", "2026-01-02 03:04:05", false},
      {"a/b", "2026-01-02 03:04:05", false},
      {"tab\there", "2026-01-02 03:04:05", false},
      {"del\x7f", "2026-01-02 03:04:05", false},
      {std::string(1100, 'c'), "2026-01-02 03:04:05", false},  // the save path would be cut
      {Cp("软件"), "not a time", false},
      {"NUL", "2026-01-02 03:04:05", IsCreatableName("NUL")},  // a device on Windows
      {"cat.", "2026-01-02 03:04:05", IsCreatableName("cat.")},
  };
  for (const TCase& c : cases) {
    TOfferedResource offer{Cp("名称"), c.Category, c.PushTime, "who", "remark", "http://h/r.zip", "1", "7"};
    if (!c.Accepted) {
      EXPECT_THROW(RecordFromOffer(offer, downloads), Exception) << c.Category;
      continue;
    }
    const TResourceRec record = RecordFromOffer(offer, downloads);
    EXPECT_EQ(record.SavePath.Get(), downloads + c.Category);
    EXPECT_EQ(record.SegCount, 3);
    EXPECT_EQ(record.Flag, 1);
    EXPECT_EQ(record.URL.Get(), "http://h/r.zip");
  }
}

// The product folder is where every archive lands and the launcher is written:
// one that a record cannot hold whole is refused before anything is listed.
TEST(ManifestJobs, AnInstallFolderTooLongForTheRecordIsRefused) {
  auto lists = TReceiveLists::Create();
  const TIniFile manifest = TIniFile::FromText("[bailan]\nurl=http://h/a.zip\n");
  const std::string product = Cp("产品");
  const std::string fits(sizeof(TResourceRec::SavePath) - 2 - product.size(), 'd');
  EXPECT_EQ(ManifestRecords(manifest, fits, product).size(), 1u);
  EXPECT_THROW(AddToDownLoadList(*lists, manifest, fits + "d", product), Exception);
  EXPECT_EQ(lists->PendingCount(), 0);
  EXPECT_EQ(lists->JobCount(), 0);
}

}  // namespace
}  // namespace bailan
