#include <gtest/gtest.h>

#include "ReaderTestSupport.h"
#include "personality/ShapeLibraryReader.h"

namespace hoardwright {
namespace {

using testing::Bytes;
using testing::Concat;
using testing::ReaderBench;
using testing::Str;

const Bytes kCircle1 = Concat({{0xFD, 0x02},
                               Str("Circle 1"),
                               Str("SIN"),
                               {0x05, 0x28, 0x40, 0x00, 0x00, 0x01, 0x00, 0x00},
                               {0x06, 0x28, 0x40, 0x00, 0x00, 0x01, 0x5A, 0x00}});

TEST(ReadShapeLibrary, CompilesPatternsAndShapesInTextOrder) {
  ReaderBench bench(
      ";<PATTERN> <\"name\">\r\n"
      "PATTERN \"TWO ROWS\"\r\n"
      "0 1 2 3 4 5 6 7\r\n"
      "ffe8 7fff 8000 -1 0x10 12345\r\n"
      "PEND\r\n"
      "SHAPE \"Circle 1\"  \"SIN\"\r\n"
      "5  40  64   0   0   1   0   0\r\n"
      "6  40  64   0   0   1  90   0\r\n"
      "SEND\r\n"
      "PATTERN \"WIDE\"\r\n"
      "7fff\r\n"
      "PEND16\r\n"
      "stray text is passed over\r\n");
  ASSERT_TRUE(personality::ReadShapeLibrary(bench.stream, bench.cursor, bench.reporter));
  EXPECT_EQ(bench.Written(),
            Concat({{0xFE, 8, 14},
                    Str("TWO ROWS"),
                    {0, 0, 0, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 7},
                    {0xFF, 0xE8, 0x7F, 0xFF, 0x80, 0x00, 0xFF, 0xFF, 0x00, 0x10, 0x23, 0x45},
                    {0x00},
                    kCircle1,
                    {0xFE, 1, 1},
                    Str("WIDE"),
                    {0x7F, 0xFF},
                    {0x01},
                    {0xFF}}));
  EXPECT_TRUE(bench.reporter.messages.empty());
}

TEST(ReadShapeLibrary, StepValuesKeepTheirLowEightBits) {
  ReaderBench bench("SHAPE \"Big\" \"SAW\"\n8 256 64 0 0 1 285 -1\nSEND\n");
  ASSERT_TRUE(personality::ReadShapeLibrary(bench.stream, bench.cursor, bench.reporter));
  EXPECT_EQ(bench.Written(), Concat({{0xFD, 1},
                                     Str("Big"),
                                     Str("SAW"),
                                     {0x08, 0x00, 0x40, 0x00, 0x00, 0x01, 0x1D, 0xFF},
                                     {0xFF}}));
}

TEST(ReadShapeLibrary, RowsEndAtTextThatIsNotANumber) {
  // A comment after the values, a tab before the newline and a blank row.
  ReaderBench bench("PATTERN \"P\"\n1 2 ; three\n3\t\n\n4 zz 5\nPEND\n");
  ASSERT_TRUE(personality::ReadShapeLibrary(bench.stream, bench.cursor, bench.reporter));
  EXPECT_EQ(bench.Written(), Concat({{0xFE, 2, 4}, Str("P"), {0, 1, 0, 2, 0, 3, 0, 4}, {0, 0xFF}}));
}

TEST(ReadShapeLibrary, NamesAreCutAndAnUnclosedShapeNameLeavesNoPatternName) {
  ReaderBench bench(
      "PATTERN \"ABCDEFGHIJKLMNOP\"\nPEND\n"
      "SHAPE \"" +
      std::string(40, 'S') +
      "\" \"SIN\"\nSEND\n"
      "SHAPE \"Unclosed name\nSEND\n");
  ASSERT_TRUE(personality::ReadShapeLibrary(bench.stream, bench.cursor, bench.reporter));
  // The cut shape name resumes inside its rest, which becomes the pattern name.
  EXPECT_EQ(bench.Written(), Concat({{0xFE, 0, 0},
                                     Str("ABCDEFGHIJKL"),
                                     {0x00},
                                     {0xFD, 0},
                                     Str(std::string(34, 'S')),
                                     Str("SSSSS"),
                                     {0xFD, 0},
                                     Str("Unclosed name"),
                                     Str(""),
                                     {0xFF}}));
}

TEST(ReadShapeLibrary, AShortStepLineStopsTheLibraryWithAMessage) {
  for (const char* stepLine : {"1 2 3 4 5 6 7\n", "\n", ";comment\n", "1 2 3 4 5 6 7"}) {
    ReaderBench bench(std::string("SHAPE \"S\" \"SIN\"\n1 2 3 4 5 6 7 8\n") + stepLine +
                      "SEND\nPATTERN \"P\"\nPEND\n");
    EXPECT_FALSE(personality::ReadShapeLibrary(bench.stream, bench.cursor, bench.reporter))
        << stepLine;
    const std::vector<support::ReportedMessage> expected{
        {"error reading shape file", "Hoardwright"}};
    EXPECT_EQ(bench.reporter.messages, expected) << stepLine;
    // The partial shape stays, with no end byte.
    EXPECT_EQ(bench.cursor.ByteAt(1), 1);
    EXPECT_NE(bench.cursor.ByteBefore(), 0xFF) << stepLine;
  }
}

TEST(ReadShapeLibrary, UnclosedBlocksRunToTheEnd) {
  ReaderBench pattern("PATTERN \"P\"\n1\nSHAPE \"S\" \"P\"\n");
  ASSERT_TRUE(personality::ReadShapeLibrary(pattern.stream, pattern.cursor, pattern.reporter));
  // The SHAPE line is a row of the open pattern; its text holds no number.
  EXPECT_EQ(pattern.Written(), Concat({{0xFE, 1, 1}, Str("P"), {0, 1}, {0xFF}}));

  ReaderBench shape("SHAPE \"S\" \"P\"\n1 2 3 4 5 6 7 8");
  ASSERT_TRUE(personality::ReadShapeLibrary(shape.stream, shape.cursor, shape.reporter));
  EXPECT_EQ(shape.Written(),
            Concat({{0xFD, 1}, Str("S"), Str("P"), {1, 2, 3, 4, 5, 6, 7, 8}, {0xFF}}));
}

TEST(ReadShapeLibrary, ALibraryTooBigForTheBufferFailsCleanly) {
  const std::string text =
      "PATTERN \"P\"\n1 2 3 4\nPEND\nSHAPE \"S\" \"P\"\n1 2 3 4 5 6 7 8\nSEND\n";
  ReaderBench whole(text);
  ASSERT_TRUE(personality::ReadShapeLibrary(whole.stream, whole.cursor, whole.reporter));
  const std::size_t size = whole.cursor.Position();
  for (std::size_t capacity = 0; capacity < size; ++capacity) {
    ReaderBench bench(text, capacity);
    EXPECT_FALSE(personality::ReadShapeLibrary(bench.stream, bench.cursor, bench.reporter))
        << capacity;
    EXPECT_TRUE(bench.GuardIntact()) << capacity;
    EXPECT_TRUE(bench.reporter.messages.empty());
  }
}

}  // namespace
}  // namespace hoardwright
