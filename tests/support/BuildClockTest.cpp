#include "support/BuildClock.h"

#include <gtest/gtest.h>

#include <array>

namespace hoardwright {
namespace {

TEST(BuildClock, SourceDateEpochFixesTheDate) {
  // 2026-12-05 13:45:58 UTC
  const support::CalendarTime t = support::BuildTime("1796478358");
  EXPECT_EQ(support::FormatCacheDate(t), "05-Dec-2026");
  EXPECT_EQ(t.hour, 13);
  EXPECT_EQ(support::FormatCacheDate(support::BuildTime("1803859200")), "01-Mar-2027");
}

// The date is computed the same on every system: Windows' own gmtime stops at the year 3000.
TEST(BuildClock, EpochsGiveTheSameCalendarOnEverySystem) {
  const struct {
    const char* epoch;
    support::CalendarTime expected;
  } cases[] = {
      {"0", {1970, 1, 1, 0, 0, 0}},
      {"951868799", {2000, 2, 29, 23, 59, 59}},
      {"4107542400", {2100, 3, 1, 0, 0, 0}},
      {"32503679999", {2999, 12, 31, 23, 59, 59}},
      {"32503680000", {3000, 1, 1, 0, 0, 0}},
      {"253402300799", {9999, 12, 31, 23, 59, 59}},
  };
  for (const auto& [epoch, expected] : cases) {
    const support::CalendarTime t = support::BuildTime(epoch);
    EXPECT_EQ((std::array{t.year, t.month, t.day, t.hour, t.minute, t.second}),
              (std::array{expected.year, expected.month, expected.day, expected.hour,
                          expected.minute, expected.second}))
        << epoch;
  }
}

TEST(BuildClock, MsDosFields) {
  const support::CalendarTime t{2026, 12, 5, 13, 45, 58};
  EXPECT_EQ(support::MsDosDate(t), (46 << 9) | (12 << 5) | 5);
  EXPECT_EQ(support::MsDosTime(t), (13 << 11) | (45 << 5) | 29);
}

TEST(BuildClock, UnparsableEpochFallsBackToTheClock) {
  const support::CalendarTime t = support::BuildTime("not-a-number");
  EXPECT_GE(t.year, 2024);
}

}  // namespace
}  // namespace hoardwright
