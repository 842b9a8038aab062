// The readers on whole files: the information template as a console reads it, and text no
// personality should hold (garbage, overlong lines, buffers too small).
#include <gtest/gtest.h>

#include <random>

#include "ReaderTestSupport.h"
#include "personality/KeywordReaders.h"
#include "personality/ShapeLibraryReader.h"
#include "support/EmbeddedResources.h"

namespace hoardwright {
namespace {

using testing::Bytes;
using testing::Concat;
using testing::ReaderBench;
using testing::Str;

// Runs the fixed sections in the order a personality record holds them.
bool ReadFixedSections(ReaderBench& bench) {
  bool ok = personality::ReadType(bench.stream, bench.cursor, bench.reporter);
  const std::size_t afterType = bench.stream.Tell();
  if (!personality::ReadMirror(bench.stream, bench.cursor, bench.reporter))
    bench.stream.Seek(afterType);
  ok = personality::ReadTextSection(bench.stream, bench.cursor, bench.reporter, "DEVICEADDRESS",
                                    "DAEND", 159, personality::SectionMode::Section) &&
       ok;
  ok = personality::ReadDmxLimits(bench.stream, bench.cursor, bench.reporter) && ok;
  ok = personality::ReadDmxTable(bench.stream, bench.cursor, bench.reporter) && ok;
  ok = personality::ReadTextSection(bench.stream, bench.cursor, bench.reporter, "TEXT", "END", 21,
                       personality::SectionMode::Section) &&
       ok;
  return ok;
}

TEST(Readers, InfoTemplateEncodesAsTheConsoleExpects) {
  const auto text = support::InfoTemplateText();
  ReaderBench bench(std::string(text.begin(), text.end()));
  ASSERT_TRUE(personality::ReadDevice(bench.stream, bench.cursor, bench.reporter));
  EXPECT_EQ(bench.Written(), Str("1.Info                                  CACHE FILE INFORMATION"));
  ASSERT_TRUE(bench.cursor.SetPosition(0));
  ASSERT_TRUE(ReadFixedSections(bench));
  const Bytes expected =
      Concat({{0x01},
              {0x02, 0x01, 0x68, 0x01, 0x0E},
              {0x04},
              Str("\"Handle  %2d\"h"),
              Str("\"Fixture %11s\"n"),
              Str("\"DMX     %03d\"d"),
              Str("\"\""),
              {0x00, 0x01, 0x02, 0x00, 0x00, 0x01},
              {0x01, 0x01, 0x01, 0x48, 0x01, 0x4E, 0x48, 0x01, 0xFF, 0x00, 0xFF, 0x00, 0xFF},
              Str("Dimmer")});
  ASSERT_EQ(expected.size(), 83u);
  const Bytes written = bench.Written();
  ASSERT_GE(written.size(), expected.size());
  EXPECT_EQ(Bytes(written.begin(), written.begin() + 83), expected);
  EXPECT_TRUE(bench.reporter.messages.empty());
}

TEST(Readers, OverlongLinesArriveInPieces) {
  ReaderBench bench("TEXT\n" + std::string(299, 'a') + std::string(299, 'b') + "cc\nEND\n");
  ASSERT_TRUE(personality::ReadTextSection(bench.stream, bench.cursor, bench.reporter, "TEXT",
                                           "END", 21, personality::SectionMode::Section));
  EXPECT_EQ(bench.Written(),
            Concat({{3}, Str(std::string(22, 'a')), Str(std::string(22, 'b')), Str("cc")}));
}

// Text built from keyword lines, separators, digits, quotes and arbitrary bytes.
std::string Garbage(std::mt19937& random) {
  static const char* const kPieces[] = {"DEVICE",
                                        "NAME",
                                        "TYPE",
                                        "MIRROR",
                                        "DEVICEADDRESS",
                                        "DAEND",
                                        "MINDMX=",
                                        "MAXDMX=",
                                        "DIVBY=",
                                        "DMX",
                                        "END",
                                        "TEXT",
                                        "ATTR",
                                        "RANGE",
                                        "REND",
                                        "PFTABLE",
                                        "PFEND",
                                        "MACRO",
                                        "MEND",
                                        "PATTERN",
                                        "PEND",
                                        "PEND16",
                                        "SHAPE",
                                        "SEND",
                                        "\"",
                                        ";",
                                        " ",
                                        "\t",
                                        "\n",
                                        "\r\n",
                                        "-",
                                        "0x",
                                        "12",
                                        "-7",
                                        "ff",
                                        "99999999999999999999"};
  std::string text;
  const int pieces = std::uniform_int_distribution<int>(0, 400)(random);
  for (int i = 0; i < pieces; ++i) {
    if (random() % 4 == 0) {
      const int length = std::uniform_int_distribution<int>(1, 400)(random);
      for (int j = 0; j < length; ++j) text.push_back(static_cast<char>(random() & 0xFF));
    } else {
      text += kPieces[random() % std::size(kPieces)];
    }
  }
  return text;
}

TEST(Readers, GarbageNeverWritesPastTheBuffer) {
  std::mt19937 random(20261207);
  for (int round = 0; round < 400; ++round) {
    const std::string text = Garbage(random);
    const std::size_t capacity = std::uniform_int_distribution<std::size_t>(0, 300)(random);
    const personality::LineMode mode =
        round % 2 ? personality::LineMode::Binary : personality::LineMode::Text;

    ReaderBench record(text, capacity, mode);
    personality::ReadDevice(record.stream, record.cursor, record.reporter);
    personality::ReadNameFirst(record.stream, record.reporter);
    personality::ReadNameSecond(record.stream, record.reporter);
    ReadFixedSections(record);
    for (bool excludePresetFocus : {false, true}) {
      record.stream.Rewind();
      personality::WriteTableIndex(record.stream, record.cursor, record.reporter,
                                   excludePresetFocus, false);
    }
    for (const auto& [start, end] :
         {std::pair{"ATTR", "END"}, {"RANGE", "REND"}, {"PFTABLE", "PFEND"}, {"MACRO", "MEND"}}) {
      record.stream.Rewind();
      while (personality::ReadCompactBlock(record.stream, record.cursor, record.reporter, start,
                                           end, 120, personality::SectionMode::Block)) {
      }
    }
    EXPECT_TRUE(record.GuardIntact()) << "round " << round;
    EXPECT_LE(record.cursor.Position(), capacity);

    ReaderBench shapes(text, capacity, mode);
    personality::ReadShapeLibrary(shapes.stream, shapes.cursor, shapes.reporter);
    EXPECT_TRUE(shapes.GuardIntact()) << "round " << round;
    EXPECT_LE(shapes.cursor.Position(), capacity);
  }
}

}  // namespace
}  // namespace hoardwright
