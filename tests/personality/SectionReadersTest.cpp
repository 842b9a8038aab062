#include <gtest/gtest.h>

#include "ReaderTestSupport.h"
#include "personality/KeywordReaders.h"

namespace hoardwright {
namespace {

using testing::Bytes;
using testing::Concat;
using testing::ReaderBench;
using testing::Str;

TEST(ReadTextSection, SectionKeepsBodyLinesCutToTheLimit) {
  ReaderBench bench("TEXT ignored\n;comment stays\n\n" + std::string(30, 'a') + "\n" +
                    std::string(21, 'b') + "\n" + std::string(22, 'c') + "\nEND\nafter\n");
  ASSERT_TRUE(personality::ReadTextSection(bench.stream, bench.cursor, bench.reporter, "TEXT",
                                           "END", 21, personality::SectionMode::Section));
  EXPECT_EQ(bench.Written(), Concat({{5},
                                     Str(";comment stays"),
                                     Str(""),
                                     Str(std::string(22, 'a')),
                                     Str(std::string(21, 'b')),
                                     Str(std::string(22, 'c'))}));
  std::string_view next;
  ASSERT_TRUE(bench.stream.ReadLine(next));
  EXPECT_EQ(next, "after\n");
}

TEST(ReadTextSection, SectionWithoutEndRunsToTheEndOfTheStream) {
  ReaderBench bench("DEVICEADDRESS\n\"Handle  %2d\"h\nlast line");
  ASSERT_TRUE(personality::ReadTextSection(bench.stream, bench.cursor, bench.reporter,
                                           "DEVICEADDRESS", "DAEND", 159,
                                           personality::SectionMode::Section));
  EXPECT_EQ(bench.Written(), Concat({{2}, Str("\"Handle  %2d\"h"), Str("last line")}));
}

TEST(ReadTextSection, CarriageReturnsStayInBinaryMode) {
  ReaderBench bench("TEXT\r\nline\r\nEND\r\n", 64, personality::LineMode::Binary);
  ASSERT_TRUE(personality::ReadTextSection(bench.stream, bench.cursor, bench.reporter, "TEXT",
                                           "END", 21, personality::SectionMode::Section));
  EXPECT_EQ(bench.Written(), Concat({{1}, Str("line\r")}));
}

TEST(ReadTextSection, MissingStartIsReportedOnlyForASection) {
  ReaderBench section("TEXTS\n");
  EXPECT_TRUE(personality::ReadTextSection(section.stream, section.cursor, section.reporter, "TEXT",
                                           "END", 21, personality::SectionMode::Section));
  ReaderBench missing(" TEXT\n");
  EXPECT_FALSE(personality::ReadTextSection(missing.stream, missing.cursor, missing.reporter,
                                            "TEXT", "END", 21, personality::SectionMode::Section));
  EXPECT_EQ(missing.MessageTexts(), std::vector<std::string>{"error - couldn't find keyword TEXT"});
  EXPECT_EQ(missing.cursor.Position(), 0u);

  ReaderBench block("no blocks\n");
  EXPECT_FALSE(personality::ReadTextSection(block.stream, block.cursor, block.reporter, "ATTR",
                                            "END", 120, personality::SectionMode::Block));
  EXPECT_TRUE(block.reporter.messages.empty());
}

TEST(ReadTextSection, BlocksKeepTheirKeywordLinesAndAreSeparated) {
  ReaderBench bench("ATTR \"Colour\"\n  red\nEND\nATTR \"Gobo\"\nEND of gobo\n", 256);
  ASSERT_TRUE(bench.cursor.PutByte(0xFF));  // the table index's end byte
  const auto readBlock = [&] {
    return ReadTextSection(bench.stream, bench.cursor, bench.reporter, "ATTR", "END", 120,
                           personality::SectionMode::Block);
  };
  ASSERT_TRUE(readBlock());
  ASSERT_TRUE(readBlock());
  EXPECT_FALSE(readBlock());
  EXPECT_EQ(bench.Written(), Concat({{0xFF, 3},
                                     Str("ATTR \"Colour\"\n"),
                                     Str("  red"),
                                     Str("END\n"),
                                     {0xFF, 2},
                                     Str("ATTR \"Gobo\"\n"),
                                     Str("END of gobo\n")}));
}

TEST(ReadTextSection, ACountPastItsByteRefusesTheRecordAndAnOversizeSectionFailsCleanly) {
  const auto text = [](int lines) {
    std::string text = "skipped\nTEXT\n";
    for (int i = 0; i < lines; ++i) text += "x\n";
    return text + "END\n";
  };
  ReaderBench full(text(255));
  ASSERT_TRUE(personality::ReadTextSection(full.stream, full.cursor, full.reporter, "TEXT", "END",
                                           21, personality::SectionMode::Section));
  EXPECT_EQ(full.cursor.ByteAt(0), 255);
  EXPECT_FALSE(full.cursor.Refusal());

  ReaderBench past(text(256));
  EXPECT_FALSE(personality::ReadTextSection(past.stream, past.cursor, past.reporter, "TEXT", "END",
                                            21, personality::SectionMode::Section));
  ASSERT_TRUE(past.cursor.Refusal());
  EXPECT_EQ(past.cursor.Refusal()->line, 2u);
  EXPECT_EQ(past.cursor.Refusal()->reason,
            "the TEXT section at line 2 has more than 255 lines; a personality record counts at "
            "most 255");
  EXPECT_TRUE(past.MessageTexts().empty());

  // A block counts its first and last lines too.
  std::string block = "ATTR \"Big\"\n";
  for (int i = 0; i < 253; ++i) block += "x\n";
  ReaderBench blockFull(block + "END\n");
  ASSERT_TRUE(personality::ReadTextSection(blockFull.stream, blockFull.cursor, blockFull.reporter,
                                           "ATTR", "END", 120, personality::SectionMode::Block));
  EXPECT_EQ(blockFull.cursor.ByteAt(0), 255);
  ReaderBench blockPast(block + "x\nEND\n");
  EXPECT_FALSE(personality::ReadTextSection(blockPast.stream, blockPast.cursor, blockPast.reporter,
                                            "ATTR", "END", 120, personality::SectionMode::Block));
  ASSERT_TRUE(blockPast.cursor.Refusal());
  EXPECT_NE(blockPast.cursor.Refusal()->reason.find("the ATTR block at line 1 has more than 255"),
            std::string::npos);

  ReaderBench small(text(300), 101);
  EXPECT_FALSE(personality::ReadTextSection(small.stream, small.cursor, small.reporter, "TEXT",
                                            "END", 21, personality::SectionMode::Section));
  EXPECT_TRUE(small.GuardIntact());
  EXPECT_EQ(small.cursor.ByteAt(0), 50);
  EXPECT_FALSE(small.cursor.Refusal());
}

TEST(CompactLine, CollapsesBlankRunsToTheirLastCharacterAndCutsComments) {
  const struct {
    std::string line;
    std::string compact;
  } cases[] = {
      {"  word\t\tword ; comment", " word\tword "},
      {" \t\tword", "\tword"},
      {";first column stays;  cut", ";first column stays"},
      {"a \t\n", "a\t\n"},
      {"a\tb", "a\tb"},
      {"", ""},
      {" ", " "},
      {"x;", "x"},
  };
  for (const auto& c : cases) EXPECT_EQ(personality::CompactLine(c.line), c.compact) << c.line;
}

TEST(ReadCompactBlock, CompactsStartAndBodyButKeepsTheEndLine) {
  ReaderBench bench(
      "RANGE  \"Gobo\"   1\n"
      "  0   10  \"Open\" ; the open gobo\n" +
          std::string(130, ' ') +
          "x\n"
          "REND   here\n"
          "RANGE \"Iris\" ; comment\n"
          "REND\n",
      512);
  ASSERT_TRUE(bench.cursor.PutByte(0xFC));
  const auto readBlock = [&] {
    return ReadCompactBlock(bench.stream, bench.cursor, bench.reporter, "RANGE", "REND", 120,
                            personality::SectionMode::Block);
  };
  ASSERT_TRUE(readBlock());
  ASSERT_TRUE(readBlock());
  EXPECT_FALSE(readBlock());
  // The 131-character body line is cut to 121 blanks before compacting. A start line with a
  // comment loses its newline with the comment.
  EXPECT_EQ(bench.Written(), Concat({{0xFC, 0xFF, 4},
                                     Str("RANGE \"Gobo\" 1\n"),
                                     Str(" 0 10 \"Open\" "),
                                     Str(" "),
                                     Str("REND   here\n"),
                                     {0xFF, 2},
                                     Str("RANGE \"Iris\" "),
                                     Str("REND\n")}));
}

TEST(ReadCompactBlock, SectionModeReportsAndDropsKeywordLines) {
  ReaderBench bench("PFTABLE x\n a  b\nPFEND\n");
  ASSERT_TRUE(personality::ReadCompactBlock(bench.stream, bench.cursor, bench.reporter, "PFTABLE",
                                            "PFEND", 120, personality::SectionMode::Section));
  EXPECT_EQ(bench.Written(), Concat({{1}, Str(" a b")}));
  ReaderBench missing("");
  EXPECT_FALSE(personality::ReadCompactBlock(missing.stream, missing.cursor, missing.reporter,
                                             "MACRO", "MEND", 120,
                                             personality::SectionMode::Section));
  EXPECT_EQ(missing.MessageTexts(),
            std::vector<std::string>{"error - couldn't find keyword MACRO"});
}

}  // namespace
}  // namespace hoardwright
