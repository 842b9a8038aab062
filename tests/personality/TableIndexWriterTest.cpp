#include <gtest/gtest.h>

#include "ReaderTestSupport.h"
#include "personality/KeywordReaders.h"

namespace hoardwright {
namespace {

using testing::Bytes;
using testing::Concat;
using testing::ReaderBench;
using testing::Str;

const std::string kTables =
    "TYPE 1\n"
    "PFTABLE \"Gobos\" 2 1\n"
    "rows without a quote are skipped\n"
    "\"Open\" 0 10\n"
    "\"Dots\"\t3\t0x7F 99\n"
    "PFEND\n"
    "MACRO \"Reset\" 3 4 5\n"
    "\"Step\" 10 ff 1f\n"
    "\"Short\" 5\n"
    "\n"
    "   \"Next\" -1\tab cd\n"
    "MEND\n"
    "MACRO \"Open\"\n"
    "MEND\n";

const Bytes kPresetFocusEntry =
    Concat({{0xFE, 2, 2}, Str("Gobos"), {2, 1}, Str("Open"), {0, 0x10}, Str("Dots"), {3, 0x7F}});
const Bytes kMacroEntries = Concat({{0xFD, 3, 3},
                                    Str("Reset"),
                                    {3, 4, 5},
                                    {10, 0xFF, 0x1F},
                                    {5, 0, 0},
                                    {0xFF, 0xAB, 0xCD},
                                    {0xFD, 0, 0},
                                    Str("Open")});

TEST(WriteTableIndex, IndexesPresetFocusAndMacroTablesInFileOrder) {
  ReaderBench bench(kTables);
  ASSERT_TRUE(
      personality::WriteTableIndex(bench.stream, bench.cursor, bench.reporter, false, false));
  EXPECT_EQ(bench.Written(), Concat({kPresetFocusEntry, kMacroEntries, {0xFF}}));
}

TEST(WriteTableIndex, ExcludedFamiliesAreLeftOut) {
  ReaderBench macrosOnly(kTables);
  ASSERT_TRUE(personality::WriteTableIndex(macrosOnly.stream, macrosOnly.cursor,
                                           macrosOnly.reporter, true, false));
  EXPECT_EQ(macrosOnly.Written(), Concat({kMacroEntries, {0xFF}}));

  ReaderBench presetFocusOnly(kTables);
  ASSERT_TRUE(personality::WriteTableIndex(presetFocusOnly.stream, presetFocusOnly.cursor,
                              presetFocusOnly.reporter, false, true));
  EXPECT_EQ(presetFocusOnly.Written(), Concat({kPresetFocusEntry, {0xFF}}));

  ReaderBench neither(kTables);
  ASSERT_TRUE(
      personality::WriteTableIndex(neither.stream, neither.cursor, neither.reporter, true, true));
  EXPECT_EQ(neither.Written(), Bytes{0xFF});
}

TEST(WriteTableIndex, HeaderNameReachingTheLineEndGivesNoColumns) {
  // Rows then write no values: macro rows count, preset focus rows keep only their names.
  ReaderBench bench(
      "MACRO \"Unclosed 1 2\n\"Step\" 10 ff\nMEND\n"
      "PFTABLE Unquoted\n\"Row\" 7\nPFEND\n");
  ASSERT_TRUE(
      personality::WriteTableIndex(bench.stream, bench.cursor, bench.reporter, false, false));
  EXPECT_EQ(
      bench.Written(),
      Concat(
          {{0xFD, 0, 1}, Str("Unclosed 1 2"), {0xFE, 0, 1}, Str("Unquoted"), Str("Row"), {0xFF}}));
}

TEST(WriteTableIndex, PresetFocusRowWithUnclosedNameStopsTheIndex) {
  ReaderBench bench("PFTABLE \"P\" 1\n\"Good\" 4\n\"Broken 5\nPFEND\nMACRO \"M\" 1\nMEND\n");
  EXPECT_FALSE(
      personality::WriteTableIndex(bench.stream, bench.cursor, bench.reporter, false, false));
  EXPECT_EQ(bench.Written(),
            Concat({{0xFE, 1, 1}, Str("P"), {1}, Str("Good"), {4}, Str("Broken 5")}));
  EXPECT_TRUE(bench.reporter.messages.empty());
}

TEST(WriteTableIndex, TableWithoutEndRunsToTheEndOfTheStream) {
  ReaderBench bench("MACRO \"M\" 2 3\n\"A\" 1 2\nPFTABLE \"P\" 1\n\"R\" 9");
  ASSERT_TRUE(
      personality::WriteTableIndex(bench.stream, bench.cursor, bench.reporter, false, false));
  // The PFTABLE line is a macro row: its token is "P", then 1 and nothing hexadecimal.
  EXPECT_EQ(bench.Written(),
            Concat({{0xFD, 2, 3}, Str("M"), {2, 3}, {1, 2}, {1, 0}, {9, 0}, {0xFF}}));
}

TEST(WriteTableIndex, ABufferTooSmallFailsCleanly) {
  for (std::size_t capacity = 0; capacity < kPresetFocusEntry.size() + kMacroEntries.size() + 1;
       ++capacity) {
    ReaderBench bench(kTables, capacity);
    EXPECT_FALSE(
        personality::WriteTableIndex(bench.stream, bench.cursor, bench.reporter, false, false))
        << capacity;
    EXPECT_TRUE(bench.GuardIntact()) << capacity;
  }
}

// Rows past the row count byte refuse the record; each family counts its own rows.
TEST(WriteTableIndex, ARowPastTheCountByteRefusesTheRecord) {
  struct Family {
    std::string header;
    std::string row;
    std::string end;
    std::string part;
  };
  for (const Family& family : {Family{"PFTABLE \"Spots\" 1", "\"Row\" 5", "PFEND", "PFTABLE table"},
                               Family{"MACRO \"Steps\" 1", "\"Step\" 5", "MEND", "MACRO table"}}) {
    SCOPED_TRACE(family.header);
    const auto text = [&](int rows) {
      std::string text = "TYPE 1\n" + family.header + "\n";
      for (int i = 0; i < rows; ++i) text += family.row + "\n";
      return text + family.end + "\n";
    };
    ReaderBench full(text(255));
    ASSERT_TRUE(
        personality::WriteTableIndex(full.stream, full.cursor, full.reporter, false, false));
    EXPECT_EQ(full.cursor.ByteAt(2), 255);
    EXPECT_EQ(full.Written().back(), 0xFF);

    ReaderBench past(text(256));
    EXPECT_FALSE(
        personality::WriteTableIndex(past.stream, past.cursor, past.reporter, false, false));
    ASSERT_TRUE(past.cursor.Refusal());
    EXPECT_EQ(past.cursor.Refusal()->line, 2u);
    EXPECT_EQ(past.cursor.Refusal()->reason,
              "the " + family.part +
                  " at line 2 has more than 255 rows; a personality record counts at most 255");
  }
}

}  // namespace
}  // namespace hoardwright
