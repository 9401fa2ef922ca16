#include <gtest/gtest.h>

#include "engine/ResumeFile.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "support/CrashingWrite.h"
#include "support/EngineRun.h"
#include "support/FileSizeLimit.h"
#include "support/TempDir.h"

namespace bailan {
namespace {

using test::ReadFileBytes;
using test::ResumeFileImage;
using test::TTempDir;
using test::WriteFileBytes;

std::string Hex(const std::string& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

TEST(ResumeFile, StoppedRunOfTheThousandByteExample) {
  TTempDir dir;
  TSegmentTable table;
  table.Split(1000, 3);
  table.Segments[1].Received = 100;
  table.Segments[3].Received = 334;
  SaveResumeFile(dir / "setup.zip.rpc.cfg", {1000, 3}, table);
  const std::string bytes = ReadFileBytes(dir / "setup.zip.rpc.cfg");
  ASSERT_EQ(bytes.size(), 44u);
  EXPECT_EQ(Hex(bytes),
            "e803000003000000"
            "000000004d01000064000000"
            "4d0100009a02000000000000"
            "9a020000e80300004e010000");

  TSegmentTable loaded;
  loaded.ByteCounters[1] = 55;
  TResumeLoadResult result = LoadResumeFile(dir / "setup.zip.rpc.cfg", loaded);
  ASSERT_EQ(result.Status, TResumeLoadStatus::Loaded);
  EXPECT_EQ(result.Header.TotalSize, 1000);
  EXPECT_EQ(result.Header.Count, 3);
  EXPECT_EQ(loaded.ByteCounters[1], 0);
  // Segments 1 and 2 still need threads, at offsets 100 and 333; segment 3 is complete.
  EXPECT_TRUE(loaded.Segments[1].NeedsThread());
  EXPECT_EQ(loaded.Segments[1].Start + loaded.Segments[1].Received, 100);
  EXPECT_TRUE(loaded.Segments[2].NeedsThread());
  EXPECT_EQ(loaded.Segments[2].Start + loaded.Segments[2].Received, 333);
  EXPECT_FALSE(loaded.Segments[3].NeedsThread());
}

TEST(ResumeFile, TheFilesCountWinsOverTheJobs) {
  TTempDir dir;
  WriteFileBytes(dir / "r", ResumeFileImage(10, 2, {{0, 5, 5}, {5, 10, 1}}));
  TSegmentTable table;
  table.Split(10, 3);
  TResumeLoadResult result = LoadResumeFile(dir / "r", table);
  ASSERT_EQ(result.Status, TResumeLoadStatus::Loaded);
  EXPECT_EQ(result.Header.Count, 2);
  EXPECT_FALSE(table.Segments[1].NeedsThread());
  EXPECT_TRUE(table.Segments[2].NeedsThread());
}

TEST(ResumeFile, AbsentIsNotRejected) {
  TTempDir dir;
  TSegmentTable table;
  EXPECT_EQ(LoadResumeFile(dir / "none", table).Status, TResumeLoadStatus::Absent);
}

TEST(ResumeFile, EveryKindOfDamageIsRejectedAndLeavesTheTableAlone) {
  const std::string good = ResumeFileImage(1000, 3, {{0, 333, 0}, {333, 666, 0}, {666, 1000, 0}});
  const std::vector<std::pair<const char*, std::string>> damaged = {
      {"empty", ""},
      {"header cut", good.substr(0, 7)},
      {"header only", good.substr(0, 8)},
      {"one entry short", good.substr(0, 32)},
      {"one byte short", good.substr(0, 43)},
      {"one byte long", good + "x"},
      {"count 0", ResumeFileImage(1000, 0, {})},
      {"count 11", ResumeFileImage(1000, 11, std::vector<std::array<std::int32_t, 3>>(11, {0, 0, 0}))},
      {"negative count", ResumeFileImage(1000, -3, {})},
      {"unknown size", ResumeFileImage(-1, 3, {{0, 0, 0}, {0, 0, 0}, {0, -1, 0}})},
      {"end past total", ResumeFileImage(1000, 1, {{0, 1001, 0}})},
      {"start after end", ResumeFileImage(1000, 1, {{500, 400, 0}})},
      {"negative start", ResumeFileImage(1000, 1, {{-1, 10, 0}})},
      {"received too much", ResumeFileImage(1000, 1, {{0, 1000, 1001}})},
      {"negative received", ResumeFileImage(1000, 1, {{0, 1000, -1}})},
      // Later entries are checked as strictly as the first: more received than
      // their length, though less than their end.
      {"second received too much", ResumeFileImage(1000, 3, {{0, 333, 0}, {333, 666, 334}, {666, 1000, 0}})},
      {"third received too much", ResumeFileImage(1000, 3, {{0, 333, 0}, {333, 666, 0}, {666, 1000, 335}})},
      // The entries must tile the resource.
      {"gap", ResumeFileImage(1000, 2, {{0, 400, 0}, {500, 1000, 0}})},
      {"first not at 0", ResumeFileImage(1000, 1, {{1, 1000, 0}})},
      {"short of the total", ResumeFileImage(1000, 2, {{0, 500, 0}, {500, 999, 0}})},
      {"overflowing range", ResumeFileImage(2147483647, 1, {{-2147483647 - 1, 2147483647, 5}})},
  };
  TTempDir dir;
  for (const auto& [name, bytes] : damaged) {
    WriteFileBytes(dir / "r", bytes);
    TSegmentTable table;
    table.Split(90, 3);
    TResumeLoadResult result = LoadResumeFile(dir / "r", table);
    EXPECT_EQ(result.Status, TResumeLoadStatus::Rejected) << name;
    EXPECT_FALSE(result.Reason.empty()) << name;
    EXPECT_EQ(table.Segments[3].End, 90) << name;  // untouched
  }
}

TEST(ResumeFile, ZeroSizedResourceLoads) {
  TTempDir dir;
  WriteFileBytes(dir / "r", ResumeFileImage(0, 3, {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}));
  TSegmentTable table;
  EXPECT_EQ(LoadResumeFile(dir / "r", table).Status, TResumeLoadStatus::Loaded);
}

TEST(ResumeFile, SaveReplacesAndRefusesImpossibleCounts) {
  TTempDir dir;
  WriteFileBytes(dir / "r", std::string(500, 'z'));
  TSegmentTable table;
  table.Split(7, 1);
  SaveResumeFile(dir / "r", {7, 1}, table);
  EXPECT_EQ(ReadFileBytes(dir / "r").size(), 20u);
  EXPECT_THROW(SaveResumeFile(dir / "r", {7, 11}, table), EInOutError);
  EXPECT_THROW(SaveResumeFile(dir / "no/folder/r", {7, 1}, table), EFCreateError);
}

TEST(ResumeFile, SaveThatFailsOnAFullDiskLeavesNoTemporaryFile) {
  TTempDir dir;
  const std::string old = ResumeFileImage(7, 1, {{0, 7, 3}});
  WriteFileBytes(dir / "r", old);
  TSegmentTable table;
  table.Split(7, 1);
  {
    test::TFileSizeLimit limit(10);  // the 20-byte image cannot be written
    if (!limit.Active()) GTEST_SKIP() << "no limit on file sizes to make writes fail (Windows has none)";
    EXPECT_THROW(SaveResumeFile(dir / "r", {7, 1}, table), EInOutError);
  }
  EXPECT_FALSE(FileExists(dir / "r.tmp"));
  EXPECT_EQ(ReadFileBytes(dir / "r"), old);
}

TEST(ResumeFile, ACrashInTheMiddleOfASaveLeavesThePreviousFileWhole) {
  TTempDir dir;
  const std::string previous = ResumeFileImage(1000, 3, {{0, 333, 10}, {333, 666, 20}, {666, 1000, 30}});
  WriteFileBytes(dir / "r.rpc.cfg", previous);
  TSegmentTable table;
  table.Split(1000, 3);
  table.Segments[1].Received = 200;
  // The process dies once 20 of the new file's 44 bytes are written.
  const test::TCrashOutcome outcome = test::RunCrashingBeyondFileSize(20, [&] {
    SaveResumeFile(dir / "r.rpc.cfg", {1000, 3}, table);
  });
  if (outcome == test::TCrashOutcome::Unsupported) GTEST_SKIP() << "no way to crash a process mid-write here";
  ASSERT_EQ(outcome, test::TCrashOutcome::Crashed);
  EXPECT_EQ(ReadFileBytes(dir / "r.rpc.cfg"), previous);
  TSegmentTable loaded;
  EXPECT_EQ(LoadResumeFile(dir / "r.rpc.cfg", loaded).Status, TResumeLoadStatus::Loaded);
}

}  // namespace
}  // namespace bailan
