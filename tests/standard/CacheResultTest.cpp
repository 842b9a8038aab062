#include "standard/CacheResult.h"

#include <gtest/gtest.h>

#include <array>

namespace hoardwright::standard {
namespace {

TEST(CacheResultTest, SizesAtTheConsoleLimits) {
  struct Case {
    std::int64_t size;
    std::int64_t kilobytes;
    std::array<bool, 3> fits;  // Tiber, Ostra Mk1, Verdane Mk1
    std::int64_t tiberMargin;  // room left (0 or more) or how far over (negative)
    std::int64_t ostraMargin;
  };
  const Case cases[] = {
      {0, 0, {true, true, true}, 93183, 98303},
      {93183, 90, {true, true, true}, 0, 5120},
      {93184, 91, {false, true, true}, -1, 5119},
      {98303, 95, {false, true, true}, -5120, 0},
      {98304, 96, {false, false, false}, -5121, -1},
  };
  for (const Case& c : cases) {
    const standard::CacheResult result = standard::DecideCacheResult(c.size, 12);
    EXPECT_EQ(result.kilobytes, c.kilobytes) << c.size;
    EXPECT_EQ(result.sizeText, "Cache File Size: " + std::to_string(c.kilobytes) + "k");
    for (std::size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(result.consoles[i].fits, c.fits[i]) << c.size;
      // A margin of 0 or more is a fit, and the byte after it is not.
      EXPECT_EQ(result.consoles[i].marginBytes >= 0, c.fits[i]) << c.size;
    }
    EXPECT_EQ(result.consoles[0].marginBytes, c.tiberMargin) << c.size;
    EXPECT_EQ(result.consoles[1].marginBytes, c.ostraMargin) << c.size;
    EXPECT_EQ(result.consoles[2].marginBytes, c.ostraMargin) << c.size;
    // "will work with" never stands above three crosses.
    EXPECT_EQ(result.introText, c.fits[1] ? kFitsSomeText : kFitsNoneText) << c.size;
  }
}

TEST(CacheResultTest, MoreThanAThousandPersonalitiesReplacesTheSizeText) {
  EXPECT_EQ(standard::DecideCacheResult(93184, 1000).sizeText, "Cache File Size: 91k");
  const standard::CacheResult tooMany = standard::DecideCacheResult(93184, 1001);
  EXPECT_EQ(tooMany.sizeText, "Error: This file contains more than 1000 personalities!");
  // The rows still follow the size.
  EXPECT_FALSE(tooMany.consoles[0].fits);
  EXPECT_TRUE(tooMany.consoles[1].fits);
  EXPECT_TRUE(tooMany.consoles[2].fits);
  EXPECT_EQ(tooMany.consoles[0].consoleName, "Tiber");
  EXPECT_EQ(tooMany.consoles[0].limitLabel, "(limit 91k)");
  EXPECT_EQ(tooMany.consoles[2].consoleName, "Verdane Mk1");
}

TEST(CacheResultTest, SizesBeyondThirtyTwoBitsDoNotWrap) {
  const standard::CacheResult result = standard::DecideCacheResult(std::int64_t{5} << 30, 1);
  EXPECT_EQ(result.kilobytes, std::int64_t{5} << 20);
  EXPECT_FALSE(result.consoles[0].fits);
}

}  // namespace
}  // namespace hoardwright::standard
