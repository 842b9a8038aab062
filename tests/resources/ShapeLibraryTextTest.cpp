// Text-level checks of the embedded shape library: what a console compiles from it is fixed by
// these counts (pattern names, rows and values; shape names, step lines and their numbers).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ResourceText.h"
#include "support/EmbeddedResources.h"

namespace hoardwright::resources {
namespace {

using test::AsString;
using test::SplitCrLfLines;

struct Pattern {
  std::string name;
  std::vector<std::vector<std::int16_t>> rows;
  std::string endLine;
};

struct Shape {
  std::string name;
  std::string pattern;
  std::vector<std::vector<long>> steps;
};

struct Library {
  std::vector<Pattern> patterns;
  std::vector<Shape> shapes;
  std::vector<std::string> strayLines;  // lines outside blocks that are neither comments nor blank
};

// The text between the first two double quotes after `from`, and the position after the second.
std::string Quoted(const std::string& line, std::size_t& from) {
  const auto open = line.find('"', from);
  const auto close = open == std::string::npos ? open : line.find('"', open + 1);
  if (close == std::string::npos) {
    from = line.size();
    return {};
  }
  from = close + 1;
  return line.substr(open + 1, close - open - 1);
}

template <typename T>
std::vector<T> Numbers(const std::string& line, int base) {
  std::istringstream in(line);
  std::vector<T> values;
  for (std::string token; in >> token;) {
    values.push_back(static_cast<T>(std::stol(token, nullptr, base)));
  }
  return values;
}

Library Parse(const std::vector<std::string>& lines) {
  Library library;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    std::size_t at = 0;
    if (line.starts_with("PATTERN")) {
      Pattern pattern{Quoted(line, at), {}, {}};
      for (++i; i < lines.size() && !lines[i].starts_with("PEND"); ++i) {
        pattern.rows.push_back(Numbers<std::int16_t>(lines[i], 16));
      }
      if (i < lines.size()) pattern.endLine = lines[i];
      library.patterns.push_back(pattern);
    } else if (line.starts_with("SHAPE")) {
      Shape shape;
      shape.name = Quoted(line, at);
      shape.pattern = Quoted(line, at);
      for (++i; i < lines.size() && !lines[i].starts_with("SEND"); ++i) {
        shape.steps.push_back(Numbers<long>(lines[i], 10));
      }
      library.shapes.push_back(shape);
    } else if (!line.empty() && line[0] != ';') {
      library.strayLines.push_back(line);
    }
  }
  return library;
}

const std::vector<std::string> kPatternNames = {
    "SIN",      "TRAPS",    "SAW",      "RANDOM 1", "SPIRAL",   "STEP UP",  "STEP DOWN", "FLICK UP",
    "FLICK DOWN", "PULSE1.1", "PULSE1.2", "PULSE1.3", "PULSE2.1", "PULSE3.1", "STROBE"};

const std::vector<std::string> kShapeNames = {
    "Circle 1", "Circle Even", "Rainbow Effect", "Rainbow Spread", "Iris", "Iris Spread",
    "Dimmer Spread", "Spiral", "Random", "Random Spread", "Tilt Saw", "Pan Saw", "Dimmer Saw",
    "Dimmer Pulse1.1", "Dimmer Pulse1.2", "Dimmer PULSE1.3", "Dimmer Pulse2.1", "Dimmer Pulse3.1",
    "Dimmer Step Up", "Dimmer Step Dwn", "Circle Parallel", "Circle Even", "Circle Odd/Eve",
    "Pan Swing", "Tilt Swing", "Square Parallel", "Square Even", "Square Odd/Even",
    "Square Corners", "Square Spread7", "Diamond Parallel", "Diamond Even", "Diamond Odd/Even",
    "Pan Saw User", "Tilt Saw User", "Random Parallel", "Random Even", "Random Odd/Even",
    "Spiral Parallel", "Spiral Even", "Rainbow Parallel", "Rainbow Even", "Rainbow Odd/Even",
    "Rainbow User", "Rainbow Even Usr", "RGB Strobe", "RGB Strobe 2", "Cyan Parallel",
    "Cyan Even", "Cyan Odd/Even", "Cyan User", "Cyan Eve User", "Magenta Parallel",
    "Magenta Even", "Magenta Odd/Even", "Magenta User", "Magenta Even Usr", "Yellow Parallel",
    "Yellow Even", "Yellow Odd/Even", "Yellow User", "Yellow Even Usr", "Red Parallel", "Red Even",
    "Red Odd/Even", "Red User", "Red Eve User", "Red Pulse3.1", "Red Strobe", "Green Parallel",
    "Green Even", "Green Odd/Even", "Green User", "Green Even Usr", "Green Pulse3.1",
    "Green Strobe", "Blue Parallel", "Blue Even", "Blue Odd/Even", "Blue User", "Blue Even Usr",
    "Blue Pulse3.1", "Blue Strobe", "Col1Shak Parallel", "Col1Shak Even1", "Col1Shak Odd/Even",
    "Col1Shak", "Col1Shak Even2", "Col1Shak O/E", "Col1 Wave1Usr", "Col1 Wave2Usr",
    "Col1 UsrFlik up", "Col1 UsrFlik dwn", "Col2Shak Parellel", "Col2Shak Even1",
    "Col2Shak Odd/Even", "Col2Shak", "Col2Shak Even2", "Col2Shak O/E", "Col2 Wave1Usr",
    "Col2 Wave2Usr", "Col2 UsrFlik up", "Col2 UsrFlik dwn", "Gobo1 Shak", "Gobo1 Shak Eve",
    "Gobo1 Shak O/E", "Gobo1 Shak PlU", "Gobo1 Shak EvU", "Gobo2 Shak1", "Gobo2 Shak Eve",
    "Gobo2 Shak O/E", "Gobo2 Shak2", "Gobo2 Shak EvU", "Gobo1 Rot1", "Gobo1 Rot Eve", "Gobo1 Rot2",
    "Gobo2 Rot1", "Gobo2 Rot Even", "Gobo2 Rot2", "Focus Shak", "Focus ShakEv", "Focus Quake",
    "Focus QuakeEvU", "Iris Shak1", "Iris Shak Eve", "Iris Shak O/E", "Iris Flik",
    "Iris Flik Eve", "Iris Shak2", "Iris ShakEv2", "Iris ShakO/E2", "IrisFlik", "IrisFlik Even",
    "Dimmer Saw1", "Dimmer Saw Even", "Dimmer Saw O/E", "Dimmer Saw2", "Dimmer Saw EveU",
    "Dimmer 1:1 User", "Dimmer 1:2 User", "Dimmer 1:3 User", "Dimmer 2:1 User", "Dimmer 3:1 User",
};

const std::vector<std::string> kShapeLegend = {
    ";SHAPE <\"name\">  <\"pattern\">",
    ";<Channel, 1=Color wheel, 2=Cyan, 3=Yellow, 4=Magenta, 5=Pan>",
    ";<6=Tilt, 7=Iris, 8=Dimmer>",
    ";<Ampitude (0..255)>",
    ";<rate, 512/(rate*16)=seconds>",
    ";<ramp 0=Off 1=ON>",
    ";<repeat-repeats pattern after repeat number of fixtures>",
    ";<spread-how the instruments are spread across the pattern, 0=even spread>",
    ";<phase-0..360, position where the pattern is picked up from>",
    ";<offset-base position for the channel 0..255)>",
};

class ShapeLibrary : public ::testing::Test {
 protected:
  std::string text = AsString(support::ShapeLibraryText());
  std::vector<std::string> lines = SplitCrLfLines(text);
  Library library = Parse(lines);
};

TEST_F(ShapeLibrary, Is16957BytesWithCrLfLineEnds) {
  EXPECT_EQ(text.size(), 16957u);
  EXPECT_TRUE(test::HasOnlyCrLfLineEnds(text));
  EXPECT_EQ(text, test::ReadSourceFile("resources/SG.DAT"));
}

TEST_F(ShapeLibrary, OpensWithSixCommentLinesAndThePatternLegend) {
  ASSERT_GE(lines.size(), 8u);
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(lines[i].front(), ';') << "line " << i + 1;
  EXPECT_EQ(lines[6], ";<PATTERN> <\"name\">");
  EXPECT_EQ(lines[7], "PATTERN \"SIN\"");
}

TEST_F(ShapeLibrary, EveryLineFitsTheLineBufferAndNothingStandsOutsideABlock) {
  for (const auto& line : lines) EXPECT_LT(line.size(), 299u) << line;
  EXPECT_TRUE(library.strayLines.empty()) << library.strayLines.front();
}

TEST_F(ShapeLibrary, FifteenPatternsOfEightValueRowsEndingInPend) {
  std::vector<std::string> names;
  std::size_t compiledBytes = 0;
  for (const auto& pattern : library.patterns) {
    names.push_back(pattern.name);
    const std::size_t expectedRows = pattern.name == "SPIRAL" ? 8 : 4;
    EXPECT_EQ(pattern.rows.size(), expectedRows) << pattern.name;
    EXPECT_EQ(pattern.endLine, "PEND") << pattern.name;
    std::size_t values = 0;
    for (const auto& row : pattern.rows) {
      EXPECT_EQ(row.size(), 8u) << pattern.name;
      values += row.size();
      for (const auto value : row) {
        EXPECT_GE(value, -128) << pattern.name;
        EXPECT_LE(value, 127) << pattern.name;
      }
    }
    // tag, two counts, name and NUL, the values as words, end byte
    compiledBytes += 3 + pattern.name.size() + 1 + 2 * values + 1;
  }
  EXPECT_EQ(names, kPatternNames);
  EXPECT_EQ(compiledBytes, 1204u);
}

TEST_F(ShapeLibrary, SinIsTheQuarterWaveTable) {
  const auto at = std::find(lines.begin(), lines.end(), "PATTERN \"SIN\"");
  ASSERT_GT(std::distance(at, lines.end()), 5);
  EXPECT_EQ(at[1], "0 18 30 47 5a 6a 76 7d");
  EXPECT_EQ(at[2], "7f 7d 76 6a 5a 47 30 18");
  EXPECT_EQ(at[3], "0 ffe8 ffd0 ffb9 ffa6 ff96 ff8a ff83");
  EXPECT_EQ(at[4], "ff80 ff83 ff8a ff96 ffa6 ffb9 ffd0 ffe8");
  EXPECT_EQ(at[5], "PEND");
}

TEST_F(ShapeLibrary, SixteenBitSinAndSpiralStandOnlyAsComments) {
  for (const std::string name : {"SIN", "SPIRAL"}) {
    const auto at = std::find(lines.begin(), lines.end(), ";PATTERN \"" + name + "\"");
    ASSERT_GT(std::distance(at, lines.end()), 9) << name;
    std::vector<long> values;
    for (int row = 1; row <= 8; ++row) {
      ASSERT_EQ(at[row].front(), ';') << name;
      const auto numbers = Numbers<long>(at[row].substr(1), 16);
      EXPECT_EQ(numbers.size(), 8u) << name;
      values.insert(values.end(), numbers.begin(), numbers.end());
    }
    EXPECT_EQ(at[9], ";PEND16") << name;
    EXPECT_GT(*std::max_element(values.begin(), values.end()), 0xff) << name << " is 16-bit";
    if (name == "SIN") {
      EXPECT_NE(std::find(values.begin(), values.end(), 0x7fff), values.end());
      EXPECT_NE(std::find(values.begin(), values.end(), 0x8000), values.end());
    }
  }
  // Only the 15 eight-bit patterns are compiled.
  EXPECT_EQ(text.find("\nPEND16"), std::string::npos);
}

TEST_F(ShapeLibrary, ShapeLegendStandsBetweenThePatternsAndTheShapes) {
  const auto legend = std::search(lines.begin(), lines.end(), kShapeLegend.begin(),
                                  kShapeLegend.end());
  ASSERT_NE(legend, lines.end());
  const auto lastPend = std::find(lines.rbegin(), lines.rend(), "PEND").base();
  const auto firstShape = std::find_if(lines.begin(), lines.end(),
                                       [](const auto& l) { return l.starts_with("SHAPE"); });
  EXPECT_LT(lastPend, legend);
  EXPECT_LT(legend, firstShape);
}

TEST_F(ShapeLibrary, ShapeNamesInOrderEachUsingAKnownPattern) {
  std::vector<std::string> names;
  for (const auto& shape : library.shapes) {
    names.push_back(shape.name);
    EXPECT_NE(std::find(kPatternNames.begin(), kPatternNames.end(), shape.pattern),
              kPatternNames.end())
        << shape.name << " uses " << shape.pattern;
    EXPECT_LE(shape.name.size(), 34u);
  }
  EXPECT_EQ(names, kShapeNames);
}

TEST_F(ShapeLibrary, StepLinesHaveEightNumbersAndTheExpectedSpread) {
  std::map<std::size_t, int> shapesByStepCount;
  std::set<long> channels;
  bool amplitude256 = false;
  bool phase285 = false;
  for (const auto& shape : library.shapes) {
    ++shapesByStepCount[shape.steps.size()];
    for (const auto& step : shape.steps) {
      ASSERT_EQ(step.size(), 8u) << shape.name;
      channels.insert(step[0]);
      amplitude256 = amplitude256 || step[1] == 256;
      phase285 = phase285 || step[6] == 285;
      for (const auto value : step) {
        EXPECT_GE(value, 0) << shape.name;
        EXPECT_LE(value, 360) << shape.name;
      }
    }
  }
  EXPECT_EQ(shapesByStepCount, (std::map<std::size_t, int>{{1, 113}, {2, 21}, {3, 2}, {6, 7}}));
  std::set<long> expectedChannels = {20, 21, 22};
  for (long channel = 1; channel <= 14; ++channel) expectedChannels.insert(channel);
  EXPECT_EQ(channels, expectedChannels);
  EXPECT_TRUE(amplitude256);
  EXPECT_TRUE(phase285);
}

TEST_F(ShapeLibrary, CircleOneAndRainbowEffectAreAsPublished) {
  ASSERT_GE(library.shapes.size(), 3u);
  const Shape& circle = library.shapes[0];
  EXPECT_EQ(circle.name, "Circle 1");
  EXPECT_EQ(circle.pattern, "SIN");
  EXPECT_EQ(circle.steps,
            (std::vector<std::vector<long>>{{5, 40, 64, 0, 0, 1, 0, 0}, {6, 40, 64, 0, 0, 1, 90, 0}}));
  const Shape& rainbow = library.shapes[2];
  EXPECT_EQ(rainbow.name, "Rainbow Effect");
  EXPECT_EQ(rainbow.pattern, "SIN");
  EXPECT_EQ(rainbow.steps, (std::vector<std::vector<long>>{{2, 255, 64, 0, 0, 1, 0, 128},
                                                           {20, 255, 64, 0, 0, 1, 0, 128},
                                                           {3, 255, 64, 0, 0, 1, 120, 128},
                                                           {21, 255, 64, 0, 0, 1, 120, 128},
                                                           {4, 255, 64, 0, 0, 1, 240, 128},
                                                           {22, 255, 64, 0, 0, 1, 240, 128}}));
}

}  // namespace
}  // namespace hoardwright::resources
