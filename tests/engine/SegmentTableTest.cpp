#include <gtest/gtest.h>

#include <thread>

#include "engine/SegmentTable.h"

namespace bailan {
namespace {

struct TRange {
  std::int32_t start, end;
};

std::vector<TRange> Ranges(const TSegmentTable& table, std::int32_t count) {
  std::vector<TRange> out;
  for (std::int32_t k = 1; k <= count; ++k) out.push_back({table.Segments[k].Start, table.Segments[k].End});
  return out;
}

bool operator==(const TRange& a, const TRange& b) {
  return a.start == b.start && a.end == b.end;
}

TEST(SegmentTable, SplitGivesTheRemainderToTheLast) {
  TSegmentTable table;
  table.Split(1000, 3);
  EXPECT_EQ(Ranges(table, 3), (std::vector<TRange>{{0, 333}, {333, 666}, {666, 1000}}));
  table.Split(1000, 1);
  EXPECT_EQ(Ranges(table, 1), (std::vector<TRange>{{0, 1000}}));
  table.Split(2147483647, 10);
  EXPECT_EQ(table.Segments[10].Start, 9 * 214748364);
  EXPECT_EQ(table.Segments[10].End, 2147483647);
}

TEST(SegmentTable, TinyAndUnknownSizesGiveEmptySegments) {
  TSegmentTable table;
  table.Split(2, 3);
  EXPECT_EQ(Ranges(table, 3), (std::vector<TRange>{{0, 0}, {0, 0}, {0, 2}}));
  EXPECT_FALSE(table.Segments[1].NeedsThread());
  EXPECT_FALSE(table.Segments[2].NeedsThread());
  EXPECT_TRUE(table.Segments[3].NeedsThread());

  for (std::int32_t total : {0, -1}) {
    table.Split(total, 3);
    for (std::int32_t k = 1; k <= 3; ++k) EXPECT_FALSE(table.Segments[k].NeedsThread()) << total;
  }
}

TEST(SegmentTable, SplitClearsProgressAndCounters) {
  TSegmentTable table;
  table.Split(100, 2);
  table.RecordBlock(1, 10);
  table.RecordBlock(2, 7);
  EXPECT_EQ(table.SumReceived(2), 17);
  EXPECT_EQ(table.SumByteCounters(2), 17);
  table.Split(100, 2);
  EXPECT_EQ(table.SumReceived(2), 0);
  EXPECT_EQ(table.SumByteCounters(2), 0);
}

TEST(SegmentTable, FlagsAndSumsAcrossThreads) {
  TSegmentTable table;
  constexpr std::int32_t kCount = 10;
  constexpr std::int32_t kBlocks = 1000;
  table.Split(kCount * kBlocks, kCount);
  table.PrepareFlags(kCount);
  EXPECT_TRUE(table.AllDone(kCount));
  std::vector<std::thread> threads;
  for (std::int32_t k = 1; k <= kCount; ++k) {
    table.DoneFlags[k] = false;
    threads.emplace_back([&table, k] {
      for (std::int32_t i = 0; i < kBlocks && !table.StopFlags[k]; ++i) table.RecordBlock(k, 1);
      table.DoneFlags[k] = true;
    });
  }
  EXPECT_LE(table.SumReceived(kCount), kCount * kBlocks);  // read while they write
  for (auto& t : threads) t.join();
  EXPECT_TRUE(table.AllDone(kCount));
  EXPECT_EQ(table.SumReceived(kCount), kCount * kBlocks);
  for (std::int32_t k = 1; k <= kCount; ++k) EXPECT_FALSE(table.Segments[k].NeedsThread());
}

}  // namespace
}  // namespace bailan
