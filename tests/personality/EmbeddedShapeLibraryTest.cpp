// The shape library the program carries must compile into the entries every console expects.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "ReaderTestSupport.h"
#include "personality/ShapeLibraryReader.h"
#include "support/EmbeddedResources.h"

namespace hoardwright {
namespace {

using testing::Bytes;
using testing::Concat;
using testing::Str;

struct CompiledEntry {
  std::uint8_t tag = 0;
  std::string name;
  std::size_t steps = 0;
  Bytes bytes;
};

std::string NulTerminated(const Bytes& bytes, std::size_t& at) {
  std::string text;
  while (at < bytes.size() && bytes[at] != 0) text.push_back(static_cast<char>(bytes[at++]));
  ++at;
  return text;
}

// Splits a compiled library into its entries; fails the test on a malformed one.
std::vector<CompiledEntry> SplitLibrary(const Bytes& library) {
  std::vector<CompiledEntry> entries;
  std::size_t at = 0;
  while (at < library.size() && library[at] != 0xFF) {
    const std::size_t start = at;
    CompiledEntry entry;
    entry.tag = library[at];
    if (entry.tag == 0xFE) {
      const std::size_t values = library[at + 2];
      at += 3;
      entry.name = NulTerminated(library, at);
      at += 2 * values + 1;
    } else if (entry.tag == 0xFD) {
      entry.steps = library[at + 1];
      at += 2;
      entry.name = NulTerminated(library, at);
      NulTerminated(library, at);
      at += 8 * entry.steps;
    } else {
      ADD_FAILURE() << "unexpected tag at " << at;
      return entries;
    }
    entry.bytes.assign(library.begin() + static_cast<std::ptrdiff_t>(start),
                       library.begin() + static_cast<std::ptrdiff_t>(std::min(at, library.size())));
    entries.push_back(std::move(entry));
  }
  EXPECT_EQ(at + 1, library.size()) << "the library must end with its single 0xFF";
  return entries;
}

class EmbeddedShapeLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto text = support::ShapeLibraryText();
    ASSERT_EQ(text.size(), 16957u);
    testing::ReaderBench bench(std::string(text.begin(), text.end()), 100000);
    ASSERT_TRUE(personality::ReadShapeLibrary(bench.stream, bench.cursor, bench.reporter));
    EXPECT_TRUE(bench.reporter.messages.empty());
    library_ = bench.Written();
    entries_ = SplitLibrary(library_);
  }

  Bytes library_;
  std::vector<CompiledEntry> entries_;
};

TEST_F(EmbeddedShapeLibrary, HoldsFifteenPatternsOfTwelveHundredFourBytes) {
  std::vector<std::string> patterns;
  std::size_t patternBytes = 0;
  for (const auto& entry : entries_) {
    if (entry.tag != 0xFE) continue;
    patterns.push_back(entry.name);
    patternBytes += entry.bytes.size();
    EXPECT_EQ(entry.bytes[1], 8) << entry.name;
    EXPECT_EQ(entry.bytes.back(), 0x00) << entry.name << " ends with PEND";
  }
  EXPECT_EQ(patterns,
            (std::vector<std::string>{"SIN", "TRAPS", "SAW", "RANDOM 1", "SPIRAL", "STEP UP",
                                      "STEP DOWN", "FLICK UP", "FLICK DOWN", "PULSE1.1", "PULSE1.2",
                                      "PULSE1.3", "PULSE2.1", "PULSE3.1", "STROBE"}));
  EXPECT_EQ(patternBytes, 1204u);
}

TEST_F(EmbeddedShapeLibrary, SinCompilesToItsSeventyTwoBytes) {
  ASSERT_FALSE(entries_.empty());
  const Bytes sin =
      Concat({{0xFE, 0x08, 0x20},
              Str("SIN"),
              {0x00, 0x00, 0x00, 0x18, 0x00, 0x30, 0x00, 0x47, 0x00, 0x5A, 0x00, 0x6A, 0x00,
               0x76, 0x00, 0x7D, 0x00, 0x7F, 0x00, 0x7D, 0x00, 0x76, 0x00, 0x6A, 0x00, 0x5A,
               0x00, 0x47, 0x00, 0x30, 0x00, 0x18, 0x00, 0x00, 0xFF, 0xE8, 0xFF, 0xD0, 0xFF,
               0xB9, 0xFF, 0xA6, 0xFF, 0x96, 0xFF, 0x8A, 0xFF, 0x83, 0xFF, 0x80, 0xFF, 0x83,
               0xFF, 0x8A, 0xFF, 0x96, 0xFF, 0xA6, 0xFF, 0xB9, 0xFF, 0xD0, 0xFF, 0xE8},
              {0x00}});
  ASSERT_EQ(sin.size(), 72u);
  EXPECT_EQ(entries_.front().bytes, sin);
}

TEST_F(EmbeddedShapeLibrary, Holds143ShapesWithTheirStepCounts) {
  std::map<std::size_t, int> shapesBySteps;
  std::vector<std::string> names;
  for (const auto& entry : entries_) {
    if (entry.tag != 0xFD) continue;
    ++shapesBySteps[entry.steps];
    names.push_back(entry.name);
  }
  ASSERT_EQ(names.size(), 143u);
  EXPECT_EQ(shapesBySteps, (std::map<std::size_t, int>{{1, 113}, {2, 21}, {3, 2}, {6, 7}}));
  EXPECT_EQ(names.front(), "Circle 1");
  EXPECT_EQ(names[1], "Circle Even");
  EXPECT_EQ(names[21], "Circle Even");
  EXPECT_EQ(names.back(), "Dimmer 3:1 User");
}

TEST_F(EmbeddedShapeLibrary, CircleAndRainbowShapesCompileExactly) {
  const Bytes circle1 = Concat({{0xFD, 0x02},
                                Str("Circle 1"),
                                Str("SIN"),
                                {0x05, 0x28, 0x40, 0x00, 0x00, 0x01, 0x00, 0x00},
                                {0x06, 0x28, 0x40, 0x00, 0x00, 0x01, 0x5A, 0x00}});
  const Bytes rainbow = Concat({{0xFD, 0x06},
                                Str("Rainbow Effect"),
                                Str("SIN"),
                                {2, 255, 64, 0, 0, 1, 0, 128},
                                {20, 255, 64, 0, 0, 1, 0, 128},
                                {3, 255, 64, 0, 0, 1, 120, 128},
                                {21, 255, 64, 0, 0, 1, 120, 128},
                                {4, 255, 64, 0, 0, 1, 240, 128},
                                {22, 255, 64, 0, 0, 1, 240, 128}});
  std::map<std::string, Bytes> shapes;
  for (const auto& entry : entries_) {
    if (entry.tag == 0xFD) shapes.emplace(entry.name, entry.bytes);
  }
  EXPECT_EQ(shapes["Circle 1"], circle1);
  EXPECT_EQ(shapes["Rainbow Effect"], rainbow);
}

}  // namespace
}  // namespace hoardwright
