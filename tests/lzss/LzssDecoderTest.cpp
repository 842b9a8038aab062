#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>

#include "lzss/Lzss.h"
#include "lzss/LzssTestInputs.h"

namespace hoardwright::lzss {
namespace {

using testing::Bytes;
using testing::RandomBytes;
using testing::TextLike;

// Each token takes at least 9 bits and yields at most 17 bytes.
std::size_t MostBytesDecodable(std::size_t unitSize) {
  return (unitSize * 8 / 9 + 1) * 17;
}

bool IsPrefix(const Bytes& part, const Bytes& whole) {
  return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

TEST(LzssDecoder, ACutOffUnitGivesWhatWasDecodedAndOneError) {
  const Bytes data = TextLike(1500, 1);
  const Bytes unit = CompressUnit(data, nullptr);
  for (std::size_t length = 0; length < unit.size(); ++length) {
    std::ostringstream console;
    const DecodedUnit decoded = DecompressUnit(std::span(unit).first(length), &console);
    EXPECT_FALSE(decoded.complete) << length;
    EXPECT_TRUE(IsPrefix(decoded.data, data)) << length;
    EXPECT_EQ(decoded.actualSum, ByteSum(decoded.data)) << length;
    const std::string text = console.str();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << length;
    EXPECT_NE(text.find("ERROR : Fatal error in InputBit!\n"), std::string::npos) << length;
  }
}

TEST(LzssDecoder, UnitsTooShortForTheSumDecodeNothing) {
  for (std::size_t length = 0; length < 4; ++length) {
    const Bytes unit(length, 0);
    const DecodedUnit decoded = DecompressUnit(unit, nullptr);
    EXPECT_TRUE(decoded.data.empty());
    EXPECT_FALSE(decoded.sumMatches);  // a missing sum never matches, not even a zero sum
    EXPECT_FALSE(decoded.complete);
  }
}

TEST(LzssDecoder, AWrongSumIsReportedWithTheData) {
  const Bytes data = RandomBytes(3000, 2);
  Bytes unit = CompressUnit(data, nullptr);
  unit[3] ^= 0x40;
  const DecodedUnit decoded = DecompressUnit(unit, nullptr);
  EXPECT_TRUE(decoded.complete);
  EXPECT_FALSE(decoded.sumMatches);
  EXPECT_EQ(decoded.storedSum, ByteSum(data) ^ 0x40000000u);
  EXPECT_EQ(decoded.actualSum, ByteSum(data));
  EXPECT_EQ(decoded.data, data);
}

TEST(LzssDecoder, StopsAtTheEndTokenAndIgnoresWhatFollows) {
  const Bytes data = TextLike(2000, 3);
  Bytes unit = CompressUnit(data, nullptr);
  unit.insert(unit.end(), {0xFF, 0xFF, 0x12, 0x34});
  std::ostringstream console;
  const DecodedUnit decoded = DecompressUnit(unit, &console);
  EXPECT_TRUE(decoded.complete && decoded.sumMatches);
  EXPECT_EQ(decoded.data, data);
  EXPECT_EQ(console.str().find("ERROR"), std::string::npos);
}

TEST(LzssDecoder, CopiesFromUnwrittenPositionsReadZeros) {
  // Sum 0, then a copy of 3 bytes from position 100 and the end token.
  const Bytes unit{0, 0, 0, 0, 0b00000011, 0b00100000, 0b10000000, 0b00000000};
  const DecodedUnit decoded = DecompressUnit(unit, nullptr);
  EXPECT_TRUE(decoded.complete && decoded.sumMatches);
  EXPECT_EQ(decoded.data, Bytes(3, 0));
}

TEST(LzssDecoder, SurvivesCorruptAndRandomUnits) {
  std::mt19937 random(4);
  const Bytes data = TextLike(5000, 5);
  const Bytes unit = CompressUnit(data, nullptr);
  for (int round = 0; round < 300; ++round) {
    Bytes broken = unit;
    for (int flips = 1 + static_cast<int>(random() % 4); flips > 0; --flips) {
      broken[4 + random() % (broken.size() - 4)] ^= static_cast<std::uint8_t>(1 + random() % 255);
    }
    if (round % 3 == 0) broken.resize(4 + random() % (broken.size() - 4));
    const DecodedUnit decoded = DecompressUnit(broken, nullptr);
    EXPECT_LE(decoded.data.size(), MostBytesDecodable(broken.size()));
  }
  for (int round = 0; round < 300; ++round) {
    const Bytes junk = RandomBytes(random() % 400, static_cast<unsigned>(round));
    const DecodedUnit decoded = DecompressUnit(junk, nullptr);
    EXPECT_LE(decoded.data.size(), MostBytesDecodable(junk.size()));
    EXPECT_EQ(decoded.actualSum, ByteSum(decoded.data));
  }
  // All ones: a literal 0xFF every 9 bits until the data runs out.
  const Bytes ones(64, 0xFF);
  const DecodedUnit decoded = DecompressUnit(ones, nullptr);
  EXPECT_FALSE(decoded.complete);
  EXPECT_EQ(decoded.data, Bytes((64 - 4) * 8 / 9, 0xFF));
}

TEST(LzssDecoder, AFailedWriteStopsDecoding) {
  const Bytes data = TextLike(4000, 6);
  const Bytes unit = CompressUnit(data, nullptr);
  MemorySource source(unit);
  Bytes out;
  BoundedMemorySink sink(out, 1000);
  const UnitDecodeResult result = DecompressUnit(source, sink, nullptr);
  EXPECT_TRUE(result.writeFailed);
  EXPECT_FALSE(result.complete);
  EXPECT_EQ(result.size, 1000u);
  EXPECT_TRUE(IsPrefix(out, data));
}

}  // namespace
}  // namespace hoardwright::lzss
