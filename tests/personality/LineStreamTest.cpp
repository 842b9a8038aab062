#include "personality/LineStream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hoardwright {
namespace {

std::vector<std::string> AllLines(personality::LineStream& stream) {
  std::vector<std::string> lines;
  std::string_view line;
  while (stream.ReadLine(line)) lines.emplace_back(line);
  return lines;
}

TEST(LineStream, TextModeFoldsCrLfAndBinaryModeKeepsCr) {
  personality::LineStream text("A\r\nB\r\n", personality::LineMode::Text);
  EXPECT_EQ(AllLines(text), (std::vector<std::string>{"A\n", "B\n"}));
  personality::LineStream binary("A\r\nB\r\n", personality::LineMode::Binary);
  EXPECT_EQ(AllLines(binary), (std::vector<std::string>{"A\r\n", "B\r\n"}));
}

TEST(LineStream, LongLineArrivesIn299CharacterPieces) {
  std::string physical(700, 'x');
  personality::LineStream stream(physical + "\n", personality::LineMode::Text);
  const auto lines = AllLines(stream);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].size(), 299u);
  EXPECT_EQ(lines[1].size(), 299u);
  EXPECT_EQ(lines[2], std::string(102, 'x') + "\n");
}

TEST(LineStream, LastLineWithoutNewlineAndNulEndsLineText) {
  personality::LineStream stream(std::string("ab\0cd\nlast", 10), personality::LineMode::Binary);
  const auto lines = AllLines(stream);
  EXPECT_EQ(lines, (std::vector<std::string>{"ab", "last"}));
}

TEST(LineStream, SeekReturnsToARememberedLine) {
  personality::LineStream stream("one\ntwo\nthree\n", personality::LineMode::Text);
  std::string_view line;
  ASSERT_TRUE(stream.ReadLine(line));
  const auto mark = stream.Tell();
  AllLines(stream);
  EXPECT_TRUE(stream.AtEnd());
  stream.Seek(mark);
  ASSERT_TRUE(stream.ReadLine(line));
  EXPECT_EQ(line, "two\n");
}

}  // namespace
}  // namespace hoardwright
