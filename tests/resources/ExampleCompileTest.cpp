// Each example personality compiles for both caches without a message, and its compiled record
// holds every section and block that its text has.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "ExampleFiles.h"
#include "standard/PersonalityCompiler.h"
#include "extended/PersonalityConversion.h"
#include "personality/KeywordReaders.h"
#include "personality/LineStream.h"
#include "personality/OutputCursor.h"
#include "support/Reporter.h"

namespace hoardwright {
namespace {

using resources::test::ExampleFiles;
using resources::test::LinesStartingWith;
using resources::test::ReadFile;

// Walks a compiled record field by field and counts what it holds.
class RecordReader {
 public:
  explicit RecordReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  bool AtEnd() const { return at_ >= bytes_.size(); }
  std::uint8_t Byte() { return at_ < bytes_.size() ? bytes_[at_++] : 0; }
  std::uint8_t Peek() const { return at_ < bytes_.size() ? bytes_[at_] : 0; }
  void Skip(std::size_t n) { at_ = std::min(bytes_.size(), at_ + n); }
  std::string String() {
    std::string text;
    while (at_ < bytes_.size() && bytes_[at_] != 0) text.push_back(static_cast<char>(bytes_[at_++]));
    Skip(1);
    return text;
  }
  std::vector<std::string> CountedList() {
    std::vector<std::string> items(Byte());
    for (auto& item : items) item = String();
    return items;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
};

struct RecordContent {
  bool hasMirror = false;
  std::size_t addressLines = 0;
  std::size_t channels = 0;
  std::size_t textLines = 0;
  std::size_t presetFocusIndexEntries = 0;
  std::size_t macroIndexEntries = 0;
  std::vector<std::string> blockFirstLines;
  bool endsWithFc = false;
};

RecordContent Decode(std::span<const std::uint8_t> record) {
  RecordContent content;
  RecordReader in(record);
  in.Byte();  // type
  content.hasMirror = in.Byte() != 0xFF;
  in.Skip(4);
  content.addressLines = in.CountedList().size();
  in.Skip(6);  // MINDMX=, MAXDMX=, DIVBY=
  content.channels = in.Byte();
  for (std::size_t i = 0; i < content.channels; ++i) {
    in.Skip(12);
    in.String();
  }
  content.textLines = in.CountedList().size();
  for (std::uint8_t tag = in.Byte(); tag == 0xFE || tag == 0xFD; tag = in.Byte()) {
    const std::uint8_t columns = in.Byte();
    const std::uint8_t rows = in.Byte();
    in.String();
    in.Skip(columns);
    for (std::uint8_t row = 0; row < rows; ++row) {
      if (tag == 0xFE) in.String();
      in.Skip(columns);
    }
    ++(tag == 0xFE ? content.presetFocusIndexEntries : content.macroIndexEntries);
  }
  // Blocks: a count, then the lines; 0xFF between blocks, 0xFC at the end.
  while (!in.AtEnd() && in.Peek() != 0xFC) {
    if (in.Peek() == 0xFF) in.Byte();
    const auto lines = in.CountedList();
    if (lines.empty()) break;
    content.blockFirstLines.push_back(lines.front());
  }
  content.endsWithFc = in.Byte() == 0xFC && in.AtEnd();
  return content;
}

TEST(ExampleCompile, CompileWithEverySectionAndBlockKept) {
  for (const auto& file : ExampleFiles()) {
    const std::string text = ReadFile(file);
    personality::LineStream stream(text, personality::LineMode::Text);
    support::CollectingReporter reporter;
    std::vector<std::uint8_t> buffer(100'000);
    personality::OutputCursor cursor(buffer);
    ASSERT_TRUE(personality::ReadDevice(stream, cursor, reporter)) << file;
    personality::OutputCursor record(buffer);
    ASSERT_TRUE(standard::CompilePersonality(stream, record, standard::TableOptions{}, reporter))
        << file;
    EXPECT_TRUE(reporter.messages.empty()) << file;

    const RecordContent content = Decode(record.Written());
    EXPECT_EQ(content.hasMirror, LinesStartingWith(text, "MIRROR") == 1) << file;
    EXPECT_GE(content.addressLines, 4u) << file;
    EXPECT_GE(content.channels, 1u) << file;
    EXPECT_GE(content.textLines, 3u) << file;
    EXPECT_EQ(content.presetFocusIndexEntries, LinesStartingWith(text, "PFTABLE")) << file;
    EXPECT_EQ(content.macroIndexEntries, LinesStartingWith(text, "MACRO")) << file;
    const std::size_t blocks = LinesStartingWith(text, "ATTR") + LinesStartingWith(text, "RANGE") +
                               LinesStartingWith(text, "PFTABLE") + LinesStartingWith(text, "MACRO");
    EXPECT_EQ(content.blockFirstLines.size(), blocks) << file;
    EXPECT_TRUE(content.endsWithFc) << file;
  }
}

TEST(ExampleCompile, ConvertForTheExtendedCache) {
  for (const auto& file : ExampleFiles()) {
    personality::LineStream stream(ReadFile(file), personality::LineMode::Binary);
    support::CollectingReporter reporter;
    std::vector<std::uint8_t> output;
    EXPECT_TRUE(extended::ConvertPersonality(stream, output, reporter)) << file;
    EXPECT_TRUE(reporter.messages.empty()) << file;
    ASSERT_FALSE(output.empty()) << file;
    EXPECT_EQ(output.back(), 0xFC) << file;
  }
}

}  // namespace
}  // namespace hoardwright
