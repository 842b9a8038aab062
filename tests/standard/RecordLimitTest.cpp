// Records the compilers cannot represent: every count of a record at its byte's limit (255) and
// one past it, and the record lengths at their limits, for the standard record and the extended
// binary form. A record at the limit reads back; one past it is refused with its reason. (What
// the builds then do is compared with check on hostile directories in the robustness tests.)
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "standard/PersonalityCompiler.h"
#include "standard/StandardCacheLayout.h"
#include "inspect/RecordWalker.h"
#include "extended/PersonalityConversion.h"
#include "personality/KeywordReaders.h"

namespace hoardwright {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The parts of a personality; one of them is filled with many items by each case.
struct Parts {
  std::vector<std::string> address{"\"Handle  %2d\"h"};
  std::vector<std::string> channels{"1   1   H    1  100 1N  H   1   \"Dimmer\"   255  255  255"};
  std::vector<std::string> text{"LIMITS"};
  std::vector<std::string> blocks;  // whole lines, after the TEXT section
};

std::string Compose(const Parts& parts) {
  std::string text =
      "DEVICE  RL.Limits                               RECORD LIMITS\n"
      "NAME \"Limit Maker\" \"Limit Fixture\"\n"
      "TYPE  1  2  M\n"
      "DEVICEADDRESS\n";
  const auto add = [&](const std::vector<std::string>& lines) {
    for (const std::string& line : lines) text += line + "\n";
  };
  add(parts.address);
  text += "DAEND\nMINDMX=1\nMAXDMX=512\nDIVBY=1\nDMX\n";
  add(parts.channels);
  text += "END\nTEXT\n";
  add(parts.text);
  text += "END\n";
  add(parts.blocks);
  return text;
}

// The 1-based line of the first line starting with `keyword`.
std::size_t LineOf(const std::string& text, const std::string& keyword) {
  const std::size_t at = text.starts_with(keyword) ? 0 : text.find("\n" + keyword) + 1;
  return static_cast<std::size_t>(std::count(text.begin(), text.begin() + at, '\n')) + 1;
}

struct Result {
  bool ok = false;
  Bytes record;
  std::optional<personality::RecordRefusal> refusal;
};

// As the standard build compiles: DEVICE first, every table kept.
Result CompileStandard(const std::string& text, std::size_t capacity = standard::kBlockBufferSize) {
  personality::LineStream stream(text, personality::LineMode::Text);
  support::SilentReporter silent;
  std::vector<std::uint8_t> device(81);
  personality::OutputCursor deviceCursor(device);
  EXPECT_TRUE(personality::ReadDevice(stream, deviceCursor, silent));
  Bytes buffer(capacity);
  personality::OutputCursor cursor(buffer);
  Result result;
  result.ok = standard::CompilePersonality(stream, cursor, standard::TableOptions{}, silent);
  result.record.assign(cursor.Written().begin(), cursor.Written().end());
  result.refusal = cursor.Refusal();
  return result;
}

Result ConvertExtended(const std::string& text) {
  personality::LineStream stream(text, personality::LineMode::Binary);
  support::SilentReporter silent;
  Result result;
  personality::RecordRefusal refusal;
  result.ok = extended::ConvertPersonality(stream, result.record, silent, &refusal);
  if (!refusal.reason.empty()) result.refusal = refusal;
  return result;
}

std::vector<std::string> Repeated(std::size_t count, const std::string& line) {
  return std::vector<std::string>(count, line);
}

// A block of `lines` lines in all: its first line, the body and its last line.
std::vector<std::string> Block(const std::string& first, const std::string& body,
                               const std::string& last, std::size_t lines) {
  std::vector<std::string> block{first};
  for (std::size_t i = 0; i + 2 < lines; ++i) block.push_back(body);
  block.push_back(last);
  return block;
}

struct CountCase {
  std::string name;
  std::string keyword;  // the line the refusal names
  std::string part;
  std::string items;
  std::function<void(Parts&, std::size_t)> fill;
  std::function<std::size_t(const inspect::WalkedRecord&)> counted;
};

std::size_t LastBlockLines(const inspect::WalkedRecord& record) {
  return record.blocks.empty() ? 0 : record.blocks.back().lines.size();
}

std::vector<CountCase> CountCases() {
  return {
      {"DeviceAddressLines", "DEVICEADDRESS", "DEVICEADDRESS section", "lines",
       [](Parts& p, std::size_t n) { p.address = Repeated(n, "\"Handle  %2d\"h"); },
       [](const inspect::WalkedRecord& r) { return r.deviceAddress.size(); }},
      {"DmxChannels", "DMX", "DMX section", "channel lines",
       [](Parts& p, std::size_t n) { p.channels = Repeated(n, p.channels.front()); },
       [](const inspect::WalkedRecord& r) { return r.channels.size(); }},
      {"TextLines", "TEXT", "TEXT section", "lines",
       [](Parts& p, std::size_t n) { p.text = Repeated(n, "LIMITS"); },
       [](const inspect::WalkedRecord& r) { return r.text.size(); }},
      {"AttributeBlockLines", "ATTR", "ATTR block", "lines",
       [](Parts& p, std::size_t n) { p.blocks = Block("ATTR \"Big\"", "Dimmer 1", "END", n); },
       LastBlockLines},
      {"RangeBlockLines", "RANGE", "RANGE block", "lines",
       [](Parts& p, std::size_t n) {
         p.blocks = Block("RANGE 10 \"Colour\"", " 0 15 \"Open\"", "REND", n);
       },
       LastBlockLines},
      {"PresetFocusBlockLines", "PFTABLE", "PFTABLE block", "lines",
       [](Parts& p, std::size_t n) {
         p.blocks = Block("PFTABLE \"Spots\" 1", "\"R\" 5", "PFEND", n);
       },
       LastBlockLines},
      {"MacroBlockLines", "MACRO", "MACRO block", "lines",
       [](Parts& p, std::size_t n) { p.blocks = Block("MACRO \"Lamp\" 1", "\"S\" 5", "MEND", n); },
       LastBlockLines},
  };
}

class CountLimitTest : public ::testing::TestWithParam<CountCase> {};

TEST_P(CountLimitTest, TheLimitReadsBackAndOnePastItIsRefusedWithItsReason) {
  const CountCase& c = GetParam();
  for (const bool standard : {true, false}) {
    SCOPED_TRACE(standard ? "standard" : "extended");
    const auto compile = [&](const std::string& text) {
      return standard ? CompileStandard(text) : ConvertExtended(text);
    };
    Parts atLimit;
    c.fill(atLimit, 255);
    const Result full = compile(Compose(atLimit));
    ASSERT_TRUE(full.ok);
    const inspect::RecordWalk walk = inspect::WalkPersonalityRecord(full.record);
    EXPECT_FALSE(walk.fault) << walk.fault->field << ": " << walk.fault->message;
    EXPECT_EQ(c.counted(walk.record), 255u);

    Parts pastLimit;
    c.fill(pastLimit, 256);
    const std::string text = Compose(pastLimit);
    const Result past = compile(text);
    EXPECT_FALSE(past.ok);
    ASSERT_TRUE(past.refusal);
    const std::size_t line = LineOf(text, c.keyword);
    EXPECT_EQ(past.refusal->line, line);
    EXPECT_EQ(past.refusal->reason, "the " + c.part + " at line " + std::to_string(line) +
                                        " has more than 255 " + c.items +
                                        "; a personality record counts at most 255");
  }
}

INSTANTIATE_TEST_SUITE_P(Counts, CountLimitTest, ::testing::ValuesIn(CountCases()),
                         [](const auto& info) { return info.param.name; });

// A personality whose record is exactly `target` bytes long as `measure` sees it: attribute
// blocks of lines that are added until the record has the length. `extra` characters more on the
// last line make it that many bytes longer.
std::string WithRecordLength(std::size_t target,
                             const std::function<std::size_t(const std::string&)>& measure,
                             std::size_t extra = 0) {
  // The attribute lines' lengths, block by block; a line costs its characters and its NUL.
  std::vector<std::vector<std::size_t>> blocks(1);
  const auto text = [&](std::size_t more) {
    Parts parts;
    for (std::size_t b = 0; b < blocks.size(); ++b) {
      parts.blocks.push_back("ATTR \"Fill\"");
      for (std::size_t i = 0; i < blocks[b].size(); ++i) {
        const bool last = b + 1 == blocks.size() && i + 1 == blocks[b].size();
        parts.blocks.push_back(std::string(blocks[b][i] + (last ? more : 0), 'x'));
      }
      parts.blocks.push_back("END");
    }
    return Compose(parts);
  };
  for (std::size_t size = measure(text(0)); size < target; size = measure(text(0))) {
    const std::size_t missing = target - size;
    if (missing <= 120) {
      blocks.back().push_back(missing - 1);
    } else if (blocks.back().size() >= 250) {
      blocks.emplace_back();  // its keyword lines cost far less than 120 bytes
    } else {
      blocks.back().push_back(std::min<std::size_t>(100, missing - 61));
    }
  }
  EXPECT_EQ(measure(text(0)), target);
  return text(extra);
}

TEST(RecordLengthLimitTest, TheLongestRecordAnIndexRecordDescribesCompilesAndOneMoreByteIsRefused) {
  // Measured in a buffer with room to spare, so a record over the limit still shows its length.
  const auto measure = [](const std::string& text) {
    return CompileStandard(text, 2 * standard::kBlockBufferSize).record.size();
  };
  const Result longest = CompileStandard(WithRecordLength(0xFFFF, measure));
  ASSERT_TRUE(longest.ok);
  EXPECT_EQ(longest.record.size(), 0xFFFFu);
  EXPECT_FALSE(inspect::WalkPersonalityRecord(longest.record).fault);

  const Result past = CompileStandard(WithRecordLength(0xFFFF, measure, 1));
  EXPECT_FALSE(past.ok);
  ASSERT_TRUE(past.refusal);
  EXPECT_EQ(past.refusal->reason,
            "the compiled record would be 65536 bytes, over the 65,535 bytes an index record can "
            "describe");

  const Result overflow = CompileStandard(WithRecordLength(110'000, measure));
  EXPECT_FALSE(overflow.ok);
  ASSERT_TRUE(overflow.refusal);
  EXPECT_EQ(overflow.refusal->reason,
            "the compiled record would be over 100000 bytes, over the 65,535 bytes an index record "
            "can describe");
}

TEST(RecordLengthLimitTest, TheLargestBinaryFormConvertsAndOneMoreByteIsRefused) {
  const auto measure = [](const std::string& text) {
    const Result result = ConvertExtended(text);
    EXPECT_TRUE(result.ok);
    return result.record.size();
  };
  const Result largest =
      ConvertExtended(WithRecordLength(extended::kPersonalityWorkBufferSize, measure));
  ASSERT_TRUE(largest.ok);
  EXPECT_EQ(largest.record.size(), extended::kPersonalityWorkBufferSize);
  EXPECT_FALSE(inspect::WalkPersonalityRecord(largest.record).fault);

  const Result past =
      ConvertExtended(WithRecordLength(extended::kPersonalityWorkBufferSize, measure, 1));
  EXPECT_FALSE(past.ok);
  EXPECT_TRUE(past.record.empty());
  ASSERT_TRUE(past.refusal);
  EXPECT_EQ(past.refusal->reason, "the binary form would be over its 100000-byte work buffer");
}

}  // namespace
}  // namespace hoardwright
