#include <gtest/gtest.h>

#include "ReaderTestSupport.h"
#include "personality/KeywordReaders.h"

namespace hoardwright {
namespace {

using testing::Bytes;
using testing::Concat;
using testing::ReaderBench;
using testing::Str;

const std::string kDimmerLine =
    "1   1   H    1  100 1N  H   1   \"Dimmer\"        255  255  255  ; DIMMER\n";
const Bytes kDimmerEntry =
    Concat({{0x01, 0x01, 'H', 0x01, 'N', 'H', 0x01, 0xFF, 0x00, 0xFF, 0x00, 0xFF}, Str("Dimmer")});

TEST(ReadDmxTable, EncodesEachChannelLine) {
  ReaderBench bench("DMX\n" + kDimmerLine +
                    "2 3 L 4 0 0 Y\tZ -1 \"Pan fine\" 7 512 -1\nEND\n2 2 X 2 2 2 X X 2 \"No\" 2\n");
  ASSERT_TRUE(personality::ReadDmxTable(bench.stream, bench.cursor, bench.reporter));
  EXPECT_EQ(bench.Written(),
            Concat({{0x02},
                    kDimmerEntry,
                    {0x02, 0x03, 'L', 0x04, 'Y', 'Z', 0xFF, 0x07, 0x02, 0x00, 0xFF, 0xFF},
                    Str("Pan fine")}));
  EXPECT_TRUE(bench.reporter.messages.empty());
}

TEST(ReadDmxTable, SkipsShortLinesAndCommentsAndEndsAtAnyEndPrefix) {
  ReaderBench bench("DMX\n1234567\n;" + kDimmerLine + "\n" + kDimmerLine + "ENDING here\n" +
                    kDimmerLine);
  ASSERT_TRUE(personality::ReadDmxTable(bench.stream, bench.cursor, bench.reporter));
  EXPECT_EQ(bench.Written(), Concat({{0x01}, kDimmerEntry}));
}

TEST(ReadDmxTable, ALineOfEightCharactersIsSkippedAndOneOfNineFails) {
  ReaderBench eight("DMX\n1 2 3 4\n");
  ASSERT_EQ(std::string_view("1 2 3 4\n").size(), 8u);
  EXPECT_TRUE(personality::ReadDmxTable(eight.stream, eight.cursor, eight.reporter));
  EXPECT_EQ(eight.Written(), Bytes{0x00});

  ReaderBench nine("DMX\n1 2 3 45\n");
  EXPECT_FALSE(personality::ReadDmxTable(nine.stream, nine.cursor, nine.reporter));
  // The count and the columns read before the line ran out stay.
  EXPECT_EQ(nine.Written(), (Bytes{0x01, 0x01, 0x02, '3', 0x2D}));
  EXPECT_TRUE(nine.reporter.messages.empty());
}

TEST(ReadDmxTable, ALongNameKeepsTwelveCharactersAndResumesInsideIt) {
  // Reading resumes at "N2\"": its 2 becomes column 11; the words then start at the quote and
  // read as 0.
  ReaderBench bench("DMX\n1 1 H 1 0 0 N H 1 \"ABCDEFGHIJKLMN2\" 255 255 255\n");
  ASSERT_TRUE(personality::ReadDmxTable(bench.stream, bench.cursor, bench.reporter));
  EXPECT_EQ(bench.Written(),
            Concat({{0x01, 0x01, 0x01, 'H', 0x01, 'N', 'H', 0x01, 0x02, 0x00, 0x00, 0x00, 0x00},
                    Str("ABCDEFGHIJKL")}));
}

TEST(ReadDmxTable, MissingTrailingWordsReadAsZero) {
  ReaderBench bench("DMX\n1 1 H 1 0 0 N H 1 \"Dim\" 200 ; no more\nEND\n");
  ASSERT_TRUE(personality::ReadDmxTable(bench.stream, bench.cursor, bench.reporter));
  EXPECT_EQ(bench.Written(),
            Concat({{0x01, 0x01, 0x01, 'H', 0x01, 'N', 'H', 0x01, 200, 0, 0, 0, 0}, Str("Dim")}));
}

TEST(ReadDmxTable, MalformedLinesFailTheTable) {
  const char* malformed[] = {
      "1 1 H 1 100 1 N H 1 \"Open 2\n",  // name reaches the end
      "1 1 H 1 100 1 N H 1 \"Dim\"\n",   // no column 11
      "1 1 H 1 100\t\t\t\t\t\t\n",       // no column 6
      "1 1 H 1 100 1 N   \n",            // no column 8
      "1 1 H 1 100 1 N H 1 \"Dim",       // last line, no newline
  };
  for (const char* line : malformed) {
    ReaderBench bench(std::string("DMX\n") + line + "END\n");
    EXPECT_FALSE(personality::ReadDmxTable(bench.stream, bench.cursor, bench.reporter)) << line;
    EXPECT_EQ(bench.cursor.ByteAt(0), 0x01) << line;
  }
}

TEST(ReadDmxTable, ChannelLineWithoutNewlineAndTableWithoutEnd) {
  ReaderBench bench("DMX\n" + kDimmerLine + "1 1 H 1 0 0 N H 1 \"Last\" 1 2 3");
  ASSERT_TRUE(personality::ReadDmxTable(bench.stream, bench.cursor, bench.reporter));
  EXPECT_EQ(bench.Written(), Concat({{0x02},
                                     kDimmerEntry,
                                     {0x01, 0x01, 'H', 0x01, 'N', 'H', 0x01, 0x01, 0, 2, 0, 3},
                                     Str("Last")}));
}

TEST(ReadDmxTable, MissingDmxKeywordIsReportedAfterTheCountByte) {
  ReaderBench bench("DMXX\n");  // matches: the keyword is compared over its length only
  EXPECT_TRUE(personality::ReadDmxTable(bench.stream, bench.cursor, bench.reporter));
  ReaderBench missing("DM\n" + kDimmerLine);
  EXPECT_FALSE(personality::ReadDmxTable(missing.stream, missing.cursor, missing.reporter));
  EXPECT_EQ(missing.Written(), Bytes{0x00});
  EXPECT_EQ(missing.MessageTexts(), std::vector<std::string>{"error - couldn't find keyword DMX"});
}

TEST(ReadDmxTable, AChannelPastTheCountByteRefusesTheRecordAndASmallBufferFailsCleanly) {
  const auto table = [](int channels) {
    std::string text = "DMX\n";
    for (int i = 0; i < channels; ++i) text += kDimmerLine;
    return text;
  };
  ReaderBench full(table(255), 1 + 255 * kDimmerEntry.size());
  ASSERT_TRUE(personality::ReadDmxTable(full.stream, full.cursor, full.reporter));
  EXPECT_EQ(full.cursor.ByteAt(0), 0xFF);
  EXPECT_EQ(full.cursor.Remaining(), 0u);

  ReaderBench past(table(256), 1 + 256 * kDimmerEntry.size());
  EXPECT_FALSE(personality::ReadDmxTable(past.stream, past.cursor, past.reporter));
  ASSERT_TRUE(past.cursor.Refusal());
  EXPECT_EQ(past.cursor.Refusal()->reason,
            "the DMX section at line 1 has more than 255 channel lines; a personality record "
            "counts at most 255");

  ReaderBench small(table(257), 1 + 3 * kDimmerEntry.size() + 5);
  EXPECT_FALSE(personality::ReadDmxTable(small.stream, small.cursor, small.reporter));
  EXPECT_TRUE(small.GuardIntact());
  EXPECT_EQ(small.cursor.ByteAt(0), 4);
  EXPECT_FALSE(small.cursor.Refusal());
}

}  // namespace
}  // namespace hoardwright
