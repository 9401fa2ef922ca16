#include <gtest/gtest.h>

#include <thread>

#include "platform/Thread.h"

#include "engine/PartialFile.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"

namespace bailan {
namespace {

using test::ReadFileBytes;
using test::TTempDir;
using test::WriteFileBytes;

TEST(PartialFile, CreatedAtFullLengthReplacingOldContents) {
  TTempDir dir;
  WriteFileBytes(dir / "a.zip.rpc", std::string(5000, 'x'));
  CreatePartialFile(dir / "a.zip.rpc", 1000);
  EXPECT_EQ(ReadFileBytes(dir / "a.zip.rpc"), std::string(1000, '\0'));
  CreatePartialFile(dir / "u.rpc", -1);
  EXPECT_EQ(ReadFileBytes(dir / "u.rpc").size(), 0u);
  EXPECT_THROW(CreatePartialFile(dir / "missing/x.rpc", 10), EFCreateError);
}

TEST(PartialFile, SegmentsWriteAtTheirOwnOffsetsAtOnce) {
  TTempDir dir;
  const std::string path = dir / "f.rpc";
  CreatePartialFile(path, 1000);
  TSegmentTable table;
  table.Split(1000, 3);
  table.Segments[1].Received = 100;  // resumed: writes start after what is there
  std::vector<std::thread> writers;
  for (std::int32_t k = 1; k <= 3; ++k) {
    writers.emplace_back([&, k] {
      TFile file = OpenPartialForSegment(path, table.Segments[k]);
      const std::string block(table.Segments[k].Remaining(), static_cast<char>('0' + k));
      file.Write(block.data(), block.size());
      table.RecordBlock(k, static_cast<std::int32_t>(block.size()));
    });
  }
  for (auto& w : writers) w.join();
  const std::string bytes = ReadFileBytes(path);
  EXPECT_EQ(bytes,
            std::string(100, '\0') + std::string(233, '1') + std::string(333, '2') + std::string(334, '3'));
  EXPECT_EQ(table.SumReceived(3), 1000);
  EXPECT_THROW(OpenPartialForSegment(dir / "gone.rpc", table.Segments[1]), EFOpenError);
}

TEST(PartialFile, FinalNamesNumberBeforeTheExtension) {
  TTempDir dir;
  EXPECT_EQ(ChooseFinalName(dir / "setup.zip"), dir / "setup.zip");
  WriteFileBytes(dir / "setup.zip", "");
  EXPECT_EQ(ChooseFinalName(dir / "setup.zip"), dir / "setup(1).zip");
  WriteFileBytes(dir / "setup(1).zip", "");
  EXPECT_EQ(ChooseFinalName(dir / "setup.zip"), dir / "setup(2).zip");
  WriteFileBytes(dir / "data", "");
  EXPECT_EQ(ChooseFinalName(dir / "data"), dir / "data(1)");
  // A folder of that name is not a file: the name is free.
  ASSERT_TRUE(ForceDirectories(dir / "folder.zip"));
  EXPECT_EQ(ChooseFinalName(dir / "folder.zip"), dir / "folder.zip");
}

TEST(PartialFile, FinaliseRenamesAndDeletesTheResumeFile) {
  TTempDir dir;
  WriteFileBytes(dir / "setup.zip", "older");
  WriteFileBytes(dir / "setup.zip.rpc", "newer");
  WriteFileBytes(dir / "setup.zip.rpc.cfg", "state");
  WriteFileBytes(dir / "setup.zip.rpc.cfg.tmp", "a save cut short");
  TSegmentTable table;
  table.PrepareFlags(3);
  EXPECT_EQ(FinalisePartialFile(dir / "setup.zip.rpc", dir / "setup.zip.rpc.cfg", table, 3),
            dir / "setup(1).zip");
  EXPECT_FALSE(FileExists(dir / "setup.zip.rpc.cfg.tmp"));
  EXPECT_EQ(ReadFileBytes(dir / "setup(1).zip"), "newer");
  EXPECT_EQ(ReadFileBytes(dir / "setup.zip"), "older");
  EXPECT_FALSE(FileExists(dir / "setup.zip.rpc"));
  EXPECT_FALSE(FileExists(dir / "setup.zip.rpc.cfg"));
}

TEST(PartialFile, FinaliseWaitsForEverySegmentThread) {
  TTempDir dir;
  WriteFileBytes(dir / "f.rpc", "x");
  TSegmentTable table;
  table.PrepareFlags(2);
  table.DoneFlags[2] = false;
  std::atomic<bool> released{false};
  std::thread late([&] {
    SleepMs(50);
    released = true;
    table.DoneFlags[2] = true;
  });
  FinalisePartialFile(dir / "f.rpc", dir / "f.rpc.cfg", table, 2);
  EXPECT_TRUE(released);
  late.join();
  EXPECT_TRUE(FileExists(dir / "f"));
}

TEST(PartialFile, FinaliseGivesUpAfterItsTimeOutNamingTheFile) {
  TTempDir dir;
  TSegmentTable table;
  table.PrepareFlags(1);
  // Nothing to rename: every attempt fails until the time-out.
  try {
    FinalisePartialFile(dir / "lost.rpc", dir / "lost.rpc.cfg", table, 1, 100);
    FAIL() << "renamed a missing file";
  } catch (const EInOutError& error) {
    EXPECT_NE(error.Message().find("lost.rpc"), std::string::npos) << error.Message();
  }
  // A segment thread that never ends is reported the same way.
  WriteFileBytes(dir / "held.rpc", "x");
  table.DoneFlags[1] = false;
  EXPECT_THROW(FinalisePartialFile(dir / "held.rpc", dir / "held.rpc.cfg", table, 1, 100), EInOutError);
  EXPECT_TRUE(FileExists(dir / "held.rpc"));
}

}  // namespace
}  // namespace bailan
