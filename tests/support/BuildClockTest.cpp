#include "support/BuildClock.h"

#include <gtest/gtest.h>

namespace hoardwright {
namespace {

TEST(BuildClock, SourceDateEpochFixesTheDate) {
  // 2026-12-05 13:45:58 UTC
  const support::CalendarTime t = support::BuildTime("1796478358");
  EXPECT_EQ(support::FormatCacheDate(t), "05-Dec-2026");
  EXPECT_EQ(t.hour, 13);
  EXPECT_EQ(support::FormatCacheDate(support::BuildTime("1803859200")), "01-Mar-2027");
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
