#include <gtest/gtest.h>

#include "ReaderTestSupport.h"
#include "personality/KeywordReaders.h"

namespace hoardwright {
namespace {

using testing::Bytes;
using testing::Concat;
using testing::ReaderBench;
using testing::Str;

TEST(FindKeyword, ReportedSearchReturnsTheLineAfterTheKeyword) {
  ReaderBench bench(" TYPE 9\n;TYPE 8\nTYPEX 3 4\nTYPE 5\n");
  EXPECT_EQ(personality::FindKeyword(bench.stream, "TYPE", personality::KeywordSearch::Reported,
                                     bench.reporter),
            "X 3 4\n");
  EXPECT_EQ(personality::FindKeyword(bench.stream, "TYPE", personality::KeywordSearch::Silent,
                                     bench.reporter),
            "TYPE 5\n");
  EXPECT_TRUE(bench.reporter.messages.empty());
}

TEST(FindKeyword, MissingKeywordIsReportedOnlyWhenAsked) {
  ReaderBench bench("type 1\nTYP\n");
  EXPECT_FALSE(personality::FindKeyword(bench.stream, "TYPE", personality::KeywordSearch::Silent,
                                        bench.reporter));
  EXPECT_TRUE(bench.reporter.messages.empty());
  bench.stream.Rewind();
  EXPECT_FALSE(personality::FindKeyword(bench.stream, "TYPE", personality::KeywordSearch::Reported,
                                        bench.reporter));
  ASSERT_EQ(bench.reporter.messages.size(), 1u);
  EXPECT_EQ(bench.reporter.messages[0],
            (support::ReportedMessage{"error - couldn't find keyword TYPE", "Hoardwright"}));
  // A failed search leaves the stream at its end.
  EXPECT_TRUE(bench.stream.AtEnd());
}

TEST(ReadDevice, WritesTheDeviceTextAndItsNul) {
  ReaderBench bench("NAME \"A\"\nDEVICE  1.Info      CACHE FILE INFORMATION\nTYPE 1\n");
  ASSERT_TRUE(personality::ReadDevice(bench.stream, bench.cursor, bench.reporter));
  EXPECT_EQ(bench.Written(), Str("1.Info      CACHE FILE INFORMATION"));
  std::string_view next;
  ASSERT_TRUE(bench.stream.ReadLine(next));
  EXPECT_EQ(next, "TYPE 1\n");
}

TEST(ReadDevice, ReadsTheDeviceTextAsAToken) {
  const struct {
    std::string text;
    std::string device;
  } cases[] = {
      {"DEVICEADDRESS\n", "ADDRESS"},
      {"DEVICE \"Quoted\" rest\n", "Quoted"},
      {"DEVICE\t\tTabbed\n", "Tabbed"},
      {"DEVICE no newline", "no newline"},
      {"DEVICE\n", ""},
      {"DEVICE " + std::string(100, 'x') + "\n", std::string(80, 'x')},
  };
  for (const auto& c : cases) {
    ReaderBench bench(c.text);
    ASSERT_TRUE(personality::ReadDevice(bench.stream, bench.cursor, bench.reporter)) << c.text;
    EXPECT_EQ(bench.Written(), Str(c.device)) << c.text;
  }
}

TEST(ReadDevice, MissingDeviceIsReportedAndWritesNothing) {
  ReaderBench bench("NAME \"A\" \"B\"\n DEVICE indented\n");
  EXPECT_FALSE(personality::ReadDevice(bench.stream, bench.cursor, bench.reporter));
  EXPECT_EQ(bench.MessageTexts(), std::vector<std::string>{"error - couldn't find keyword DEVICE"});
  EXPECT_EQ(bench.cursor.Position(), 0u);
}

TEST(ReadDevice, FailsCleanlyWhenTheTextDoesNotFit) {
  ReaderBench bench("DEVICE 1234567890\n", 10);
  EXPECT_FALSE(personality::ReadDevice(bench.stream, bench.cursor, bench.reporter));
  EXPECT_EQ(bench.cursor.Position(), 0u);
  EXPECT_TRUE(bench.GuardIntact());
}

TEST(FindKeyword, AnOverlongLineContinuesAsAFreshLine) {
  // The second piece of a 300-plus character line starts in the first column.
  ReaderBench bench(std::string(299, 'x') + "DEVICE hidden\n");
  ASSERT_TRUE(personality::ReadDevice(bench.stream, bench.cursor, bench.reporter));
  EXPECT_EQ(bench.Written(), Str("hidden"));
}

TEST(CopyToken, StopsAtQuoteNewlineOrLimit) {
  const struct {
    std::string line;
    std::size_t position;
    std::size_t limit;
    std::string text;
    std::optional<std::size_t> next;
  } cases[] = {
      {" \t\"Maker\" \"Fixture\"\n", 0, 300, "Maker", 9},
      {"\"Maker\" \"Fixture\"\n", 7, 300, "Fixture", 17},
      {"  an unquoted token\n", 0, 300, "an unquoted token", std::nullopt},
      {"no newline", 0, 300, "no newline", std::nullopt},
      {"\"open quote\n", 0, 300, "open quote", std::nullopt},
      // A cut token resumes one past the first character not copied.
      {"\"ABCDEFGHIJKLMNO\" 5\n", 0, 12, "ABCDEFGHIJKL", 14},
      {"ABC\n", 0, 3, "ABC", std::nullopt},
      {"ABC", 0, 3, "ABC", std::nullopt},
      {"\"\"\n", 0, 12, "", std::nullopt},
      {"x", 5, 12, "", std::nullopt},
  };
  for (const auto& c : cases) {
    const personality::Token token = personality::CopyToken(c.line, c.position, c.limit);
    EXPECT_EQ(token.text, c.text) << c.line;
    EXPECT_EQ(token.next, c.next) << c.line;
  }
}

TEST(ReadByteValue, SkipsNonDigitsAndKeepsTheLowEightBits) {
  const struct {
    std::string line;
    bool endOfLine;
    std::uint8_t value;
    std::size_t next;
  } cases[] = {
      {"  -1 x\n", false, 0xFF, 4},
      {"phase 285\n", false, 29, 9},
      {"abc;12-3 4\n", false, 12, 8},
      {"--5\n", false, 0, 3},
      {"- 7\n", false, 0, 1},
      {"99999999999999999999999\n", false, 0xFF, 23},
      {"no number\n", true, 0, 9},
      {"no newline", true, 0, 10},
      {"", true, 0, 0},
  };
  for (const auto& c : cases) {
    const personality::ByteValue read = personality::ReadByteValue(c.line, 0);
    EXPECT_EQ(read.endOfLine, c.endOfLine) << c.line;
    EXPECT_EQ(read.value, c.value) << c.line;
    EXPECT_EQ(read.next, c.next) << c.line;
  }
}

TEST(ReadWordValue, ConvertsDecimalAndStopsAtTheSign) {
  const struct {
    std::string line;
    std::uint16_t value;
    std::size_t next;
  } cases[] = {
      {"512\n", 0x0200, 3},
      {" \t360 270\n", 0x0168, 5},
      {"-1\n", 0xFFFF, 0},  // a leading "-" is
                            // not passed over
      {"+7\n", 7, 0},
      {"65537\n", 1, 5},
      {"x\n", 0, 0},
      {"", 0, 0},
  };
  for (const auto& c : cases) {
    const personality::WordValue read = personality::ReadWordValue(c.line, 0);
    EXPECT_EQ(read.value, c.value) << c.line;
    EXPECT_EQ(read.next, c.next) << c.line;
  }
}

TEST(ReadHexWord, ConvertsHexadecimalUntilTheCarriageReturn) {
  const struct {
    std::string line;
    bool endOfLine;
    std::uint16_t value;
    std::size_t next;
  } cases[] = {
      {" ffe8 7f\r\n", false, 0xFFE8, 5},
      {"0x1F\r\n", false, 0x1F, 4},
      {"0xg\r\n", false, 0, 1},
      {"-1\r\n", false, 0xFFFF, 2},
      {"12345\r\n", false, 0x2345, 5},
      {"   \r\n", true, 0, 3},
      {"\t\r\n", true, 0, 0},
      {"; comment\r\n", true, 0, 0},
      {"  \n", true, 0, 2},
      {"", true, 0, 0},
  };
  for (const auto& c : cases) {
    const personality::WordValue read = personality::ReadHexWord(c.line, 0);
    EXPECT_EQ(read.endOfLine, c.endOfLine) << c.line;
    EXPECT_EQ(read.value, c.value) << c.line;
    EXPECT_EQ(read.next, c.next) << c.line;
  }
}

TEST(ReadName, ReadsTheFirstAndSecondTokens) {
  const std::string text = "DEVICE x\nNAME \"Maker\"  \"Fixture Two\"\n";
  ReaderBench bench(text);
  EXPECT_EQ(personality::ReadNameFirst(bench.stream, bench.reporter), "Maker");
  bench.stream.Rewind();
  EXPECT_EQ(personality::ReadNameSecond(bench.stream, bench.reporter), "Fixture Two");

  ReaderBench unquoted("NAME Maker and fixture\n");
  EXPECT_EQ(personality::ReadNameFirst(unquoted.stream, unquoted.reporter), "Maker and fixture");
  unquoted.stream.Rewind();
  EXPECT_EQ(personality::ReadNameSecond(unquoted.stream, unquoted.reporter), "");
  EXPECT_TRUE(unquoted.reporter.messages.empty());

  ReaderBench missing("DEVICE x\n");
  EXPECT_EQ(personality::ReadNameSecond(missing.stream, missing.reporter), std::nullopt);
  EXPECT_EQ(missing.MessageTexts(), std::vector<std::string>{"error - couldn't find keyword NAME"});
}

TEST(ReadType, KeepsTheSecondNumberOrTheOnlyOne) {
  const struct {
    std::string text;
    std::uint8_t type;
  } cases[] = {
      {"TYPE  1  1  M\n", 1}, {"TYPE 3\n", 3},   {"TYPE 1 7 X 9\n", 7},
      {"TYPE M\n", 0},        {"TYPE -1", 0xFF}, {"TYPE\n", 0},
  };
  for (const auto& c : cases) {
    ReaderBench bench(c.text);
    ASSERT_TRUE(personality::ReadType(bench.stream, bench.cursor, bench.reporter)) << c.text;
    EXPECT_EQ(bench.Written(), Bytes{c.type}) << c.text;
  }
  ReaderBench missing("DEVICE x\n");
  EXPECT_FALSE(personality::ReadType(missing.stream, missing.cursor, missing.reporter));
  EXPECT_EQ(missing.MessageTexts(), std::vector<std::string>{"error - couldn't find keyword TYPE"});
}

TEST(ReadMirror, EncodesAByteAndTwoWords) {
  ReaderBench bench("TYPE 1\nMIRROR  2  360 270\n");
  ASSERT_TRUE(personality::ReadMirror(bench.stream, bench.cursor, bench.reporter));
  EXPECT_EQ(bench.Written(), (Bytes{0x02, 0x01, 0x68, 0x01, 0x0E}));

  // A negative word leaves the position at its sign, so the next word reads it again.
  ReaderBench negative("MIRROR 1 -5 7\n");
  ASSERT_TRUE(personality::ReadMirror(negative.stream, negative.cursor, negative.reporter));
  EXPECT_EQ(negative.Written(), (Bytes{0x01, 0xFF, 0xFB, 0xFF, 0xFB}));

  ReaderBench missing("TYPE 1\nMIRRO 1 2 3\n");
  EXPECT_FALSE(personality::ReadMirror(missing.stream, missing.cursor, missing.reporter));
  EXPECT_TRUE(missing.reporter.messages.empty());
  EXPECT_EQ(missing.cursor.Position(), 0u);
}

TEST(ReadDmxLimits, EncodesThreeWordsInOrder) {
  ReaderBench bench("MINDMX=-1\nMAXDMX=512\nDIVBY=1\n");
  ASSERT_TRUE(personality::ReadDmxLimits(bench.stream, bench.cursor, bench.reporter));
  EXPECT_EQ(bench.Written(), (Bytes{0xFF, 0xFF, 0x02, 0x00, 0x00, 0x01}));

  // Out of order: DIVBY= was passed while searching for MAXDMX=.
  ReaderBench disordered("MINDMX=0\nDIVBY=1\nMAXDMX=255\n");
  EXPECT_FALSE(
      personality::ReadDmxLimits(disordered.stream, disordered.cursor, disordered.reporter));
  EXPECT_EQ(disordered.Written(), (Bytes{0x00, 0x00, 0x00, 0xFF}));
  EXPECT_EQ(disordered.MessageTexts(),
            std::vector<std::string>{"error - couldn't find keyword DIVBY="});
}

}  // namespace
}  // namespace hoardwright
