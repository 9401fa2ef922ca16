#include <gtest/gtest.h>

#include "platform/DateTime.h"
#include "platform/Exception.h"
#include "platform/Format.h"
#include "platform/Tick.h"

namespace bailan {
namespace {

TEST(DateTime, ZeroIsTheEpochAtMidnight) {
  EXPECT_EQ(FormatDateTime(kDateTimeFormat, TDateTime{0.0}), "1899-12-30 00:00:00");
  EXPECT_EQ(FormatDateTime(kDateTimeFormat, TDateTime{1.0}), "1899-12-31 00:00:00");
  EXPECT_EQ(FormatDateTime(kDateTimeFormat, TDateTime{0.5}), "1899-12-30 12:00:00");
}

TEST(DateTime, KnownSerialNumbers) {
  // 2000-01-01 is day 36526; midnight formats with zeros, not 24.
  EXPECT_DOUBLE_EQ(TDateTime::FromParts(2000, 1, 1).Value, 36526.0);
  EXPECT_EQ(FormatDateTime(kDateTimeFormat, TDateTime{36526.0}), "2000-01-01 00:00:00");
  EXPECT_EQ(FormatDateTime(kDateTimeFormat, TDateTime::FromParts(2026, 12, 9, 23, 59, 59)),
            "2026-12-09 23:59:59");
  // Leap day and the day after it.
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd", TDateTime::FromParts(2024, 2, 29)), "2024-02-29");
  EXPECT_DOUBLE_EQ(TDateTime::FromParts(2024, 3, 1).Value - TDateTime::FromParts(2024, 2, 29).Value, 1.0);
}

TEST(DateTime, FractionsJustBelowMidnightDoNotFormatAs24) {
  TDateTime almost = TDateTime::FromParts(2026, 1, 1, 23, 59, 59, 999);
  almost.Value += 0.0000001;  // rounds up to the next day's midnight
  EXPECT_EQ(FormatDateTime(kDateTimeFormat, almost), "2026-01-02 00:00:00");
}

TEST(DateTime, BeforeTheEpochTheFractionCountsForward) {
  // -1.25 is 1899-12-29 06:00, as the runtime the format comes from reads it.
  EXPECT_EQ(FormatDateTime(kDateTimeFormat, TDateTime{-1.25}), "1899-12-29 06:00:00");
  EXPECT_DOUBLE_EQ(TDateTime::FromParts(1899, 12, 29, 6).Value, -1.25);
}

TEST(DateTime, ParsesWhatItFormatsAndRejectsNonsense) {
  TDateTime value;
  ASSERT_TRUE(TryParseDateTime("2026-12-09 07:55:58", value));
  EXPECT_EQ(FormatDateTime(kDateTimeFormat, value), "2026-12-09 07:55:58");
  ASSERT_TRUE(TryParseDateTime("1899-12-30", value));
  EXPECT_DOUBLE_EQ(value.Value, 0.0);
  for (const char* bad : {"", "2026-13-01", "2026-02-30", "2025-02-29 00:00:00", "2026-01-01 24:00:00",
                          "2026-01-01 12:60:00", "2026/01/01", "2026-01-01T00:00:00", "2026-01-01 1:00:00"}) {
    EXPECT_FALSE(TryParseDateTime(bad, value)) << bad;
  }
  EXPECT_THROW(ParseDateTime("tomorrow"), EConvertError);
}

TEST(DateTime, NowIsCloseToTheSystemClock) {
  TDateTime now = TDateTime::Now();
  EXPECT_GT(now.Value, TDateTime::FromParts(2020, 1, 1).Value);
  EXPECT_LT(now.Value, TDateTime::FromParts(2200, 1, 1).Value);
}

TEST(Format, SystemFormats) {
  EXPECT_EQ(Format("%.2f KB/S", 256.0), "256.00 KB/S");
  EXPECT_EQ(Format("%.2f MB", 1.5), "1.50 MB");
  EXPECT_EQ(Format("%.2d:%.2d:%.2d", 100, 0, 7), "100:00:07");
  EXPECT_EQ(Format("%s(%d)%s", std::string("D:/p/setup"), 2, std::string(".zip")), "D:/p/setup(2).zip");
  EXPECT_EQ(Format("%d", -1), "-1");
  EXPECT_EQ(Format("%s", std::string()), "");
}

TEST(Tick, DifferencesWrapModulo32Bits) {
  EXPECT_EQ(TickDiff(5u, 0xFFFFFFFBu), 10u);
  EXPECT_EQ(TickDiff(1000u, 0u), 1000u);
  std::uint32_t a = GetTickCount32();
  std::uint32_t b = GetTickCount32();
  EXPECT_LT(TickDiff(b, a), 1000u);
}

}  // namespace
}  // namespace bailan
