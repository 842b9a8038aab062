// Every cache the project's builds write inspects clean, and what inspect reads back is what the
// compilers put in.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "support/InspectTestSupport.h"
#include "extended/ShapeConversion.h"
#include "inspect/CacheInspector.h"
#include "inspect/InspectJson.h"
#include "inspect/InspectText.h"
#include "personality/ShapeLibraryReader.h"
#include "support/EmbeddedResources.h"

namespace hoardwright {
namespace {

using testing::Bytes;
using testing::BuildExtendedBytes;
using testing::BuildStandardBytes;
using testing::CacheListOf;
using testing::CompiledRecord;
using testing::ConvertedForm;
using testing::ExamplesDir;
using testing::ReadBytes;
using testing::RunProgram;

std::string ProblemsText(const inspect::InspectReport& report) {
  std::string text;
  for (const auto& problem : report.problems)
    text += problem.section + ": " + problem.message + "\n";
  return text;
}

// A walked personality's record as the report holds it (a view into the decoded data).
Bytes RecordOf(const inspect::InspectReport& report, const inspect::PersonalityView& view) {
  const auto bytes = inspect::RecordBytes(report, view);
  EXPECT_TRUE(bytes.has_value());
  return bytes ? Bytes(bytes->begin(), bytes->end()) : Bytes();
}

inspect::RecordWalk WalkOf(const inspect::InspectReport& report,
                           const inspect::PersonalityView& view) {
  return inspect::WalkPersonalityRecord(inspect::RecordBytes(report, view).value_or(
      std::span<const std::uint8_t>()));
}

Bytes EmbeddedLibraryText() {
  const auto text = support::ShapeLibraryText();
  return Bytes(text.begin(), text.end());
}

Bytes StandardShapeLibrary() {
  const Bytes text = EmbeddedLibraryText();
  personality::LineStream stream(std::string(text.begin(), text.end()),
                                 personality::LineMode::Text);
  Bytes compiled(standard::kBlockBufferSize);
  personality::OutputCursor cursor(compiled);
  support::SilentReporter silent;
  EXPECT_TRUE(personality::ReadShapeLibrary(stream, cursor, silent));
  compiled.resize(cursor.Position());
  return compiled;
}

Bytes ExtendedShapeLibrary() {
  const Bytes text = EmbeddedLibraryText();
  personality::LineStream stream(std::string(text.begin(), text.end()),
                                 personality::LineMode::Binary);
  Bytes compiled;
  EXPECT_TRUE(extended::CompileShapeLibrary(stream, compiled));
  return compiled;
}

class InspectRoundTripTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(output_); }
  std::optional<support::TemporaryDirectory> output_ = support::TemporaryDirectory::Create();
  const std::vector<std::string> entries_ = CacheListOf({ExamplesDir()});
};

TEST_F(InspectRoundTripTest, StandardCacheOfTheExamplesReadsBackAsCompiled) {
  ASSERT_EQ(entries_.size(), 12u);
  const Bytes file = BuildStandardBytes(entries_, *output_);
  const inspect::InspectReport report = inspect::InspectCache(file, "cache");
  ASSERT_EQ(report.kind, inspect::CacheKind::Standard);
  EXPECT_FALSE(report.Damaged()) << ProblemsText(report);
  EXPECT_TRUE(report.warnings.empty());
  const auto& cache = *report.standard;

  ASSERT_TRUE(cache.stream && cache.stream->sumMatches && cache.stream->complete);
  const Bytes shapes = StandardShapeLibrary();
  ASSERT_EQ(cache.shapeLength, shapes.size());
  EXPECT_TRUE(std::equal(shapes.begin(), shapes.end(), cache.stream->data.begin()));
  ASSERT_TRUE(cache.shapeLibrary && !cache.shapeLibrary->fault);
  EXPECT_EQ(cache.shapeLibrary->library.patterns.size(), 15u);
  EXPECT_EQ(cache.shapeLibrary->library.shapes.size(), 143u);

  // The info personality first, then the cache list in order.
  ASSERT_EQ(cache.personalities.size(), entries_.size() + 1);
  EXPECT_EQ(cache.personalities[0].code, "1_");
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const inspect::PersonalityView& view = cache.personalities[i + 1];
    SCOPED_TRACE(entries_[i]);
    ASSERT_TRUE(view.summary);
    EXPECT_EQ(RecordOf(report, view), CompiledRecord(entries_[i]));
    const inspect::RecordWalk walk = WalkOf(report, view);
    EXPECT_FALSE(walk.fault);
    EXPECT_TRUE(walk.record.endByte);
    EXPECT_EQ(view.code, standard::CodeForPath(entries_[i]));
  }
}

TEST_F(InspectRoundTripTest, StandardCacheWithoutTablesLeavesTheirBlocksAndIndexOut) {
  const Bytes file = BuildStandardBytes(entries_, *output_, false, false, false);
  const inspect::InspectReport report = inspect::InspectCache(file, "cache");
  EXPECT_FALSE(report.Damaged()) << ProblemsText(report);
  const standard::TableOptions none{false, false, false};
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const inspect::PersonalityView& view = report.standard->personalities[i + 1];
    ASSERT_TRUE(view.summary);
    EXPECT_EQ(RecordOf(report, view), CompiledRecord(entries_[i], none));
    const inspect::RecordWalk walk = WalkOf(report, view);
    const inspect::WalkedRecord& record = walk.record;
    EXPECT_TRUE(record.tableIndex.empty());
    EXPECT_EQ(record.blocks.size(), record.BlockCount(inspect::BlockFamily::Attribute));
  }
}

// One example walked field by field against its text (examples/personalities/MTWSH700.QPF).
TEST_F(InspectRoundTripTest, WalkedFieldsMatchThePersonalityText) {
  const Bytes file = BuildStandardBytes(entries_, *output_);
  const inspect::InspectReport report = inspect::InspectCache(file, "cache");
  const auto& personalities = report.standard->personalities;
  const auto wash = std::ranges::find_if(personalities, [](const auto& view) {
    return view.device.starts_with("MT.Wash700");
  });
  ASSERT_NE(wash, personalities.end());
  const inspect::RecordWalk walk = WalkOf(report, *wash);
  const inspect::WalkedRecord& record = walk.record;
  EXPECT_EQ(record.type, 2);
  EXPECT_EQ(record.mirror.mode, 2);
  EXPECT_EQ(record.mirror.first, 540);
  EXPECT_EQ(record.mirror.second, 250);
  EXPECT_EQ(record.deviceAddress.size(), 4u);
  EXPECT_EQ(record.limits.minimum, 1);
  EXPECT_EQ(record.limits.maximum, 499);
  ASSERT_EQ(record.channels.size(), 14u);
  EXPECT_EQ(record.channels[0].name, "Pan");
  EXPECT_EQ(record.channels[11].name, "Shutter");
  EXPECT_EQ(record.channels[11].column12, 255);
  EXPECT_EQ(record.channels[11].column13, 0);
  EXPECT_EQ(record.channels[12].column8, 'H');
  EXPECT_EQ(record.text.front(), "ORBIT WASH 700 CMY");
  ASSERT_EQ(record.tableIndex.size(), 2u);
  EXPECT_EQ(record.tableIndex[0].kind, inspect::TableKind::Macro);
  EXPECT_EQ(record.tableIndex[0].name, "Lamp On");
  EXPECT_EQ(record.tableIndex[0].headerValues, (std::vector<std::uint8_t>{0, 14}));
  ASSERT_EQ(record.tableIndex[0].rows.size(), 3u);
  EXPECT_EQ(record.tableIndex[0].rows[0].values, (std::vector<std::uint8_t>{0, 0xE6}));
  EXPECT_EQ(record.BlockCount(inspect::BlockFamily::Attribute), 1u);
  EXPECT_EQ(record.BlockCount(inspect::BlockFamily::Range), 2u);
  EXPECT_EQ(record.BlockCount(inspect::BlockFamily::PresetFocus), 0u);
  EXPECT_EQ(record.BlockCount(inspect::BlockFamily::Macro), 2u);
  EXPECT_EQ(record.blocks[1].lines.front(), "RANGE 10 \"Colour\"\n");
  EXPECT_EQ(record.blocks[1].lines.back(), "REND\n");
}

TEST_F(InspectRoundTripTest, ExtendedCacheOfTheExamplesReadsBackAsConverted) {
  const Bytes file = BuildExtendedBytes(entries_, *output_);
  const inspect::InspectReport report = inspect::InspectCache(file, "cache");
  ASSERT_EQ(report.kind, inspect::CacheKind::Extended);
  EXPECT_FALSE(report.Damaged()) << ProblemsText(report);
  EXPECT_TRUE(report.warnings.empty());
  const auto& cache = *report.extended;
  ASSERT_TRUE(cache.info);
  EXPECT_EQ(inspect::InfoDateTimeText(*cache.info), "2026-12-05 14:32:10");
  EXPECT_EQ(cache.groupCounter, 5);
  EXPECT_EQ(cache.groups.size(), 5u);
  ASSERT_TRUE(cache.shapeUnit);
  EXPECT_EQ(cache.shapeUnit->data, ExtendedShapeLibrary());

  ASSERT_EQ(cache.personalities.size(), entries_.size());
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const inspect::PersonalityView& view = cache.personalities[i];
    SCOPED_TRACE(entries_[i]);
    ASSERT_TRUE(view.summary);
    EXPECT_EQ(RecordOf(report, view), ConvertedForm(entries_[i]));
    EXPECT_FALSE(view.summary->fault);
    auto text = personality::LineStream::Open(entries_[i], personality::LineMode::Text);
    support::SilentReporter silent;
    EXPECT_EQ(view.manufacturer, personality::ReadNameFirst(*text, silent).value_or(""));
    text->Rewind();
    EXPECT_EQ(view.fixture, personality::ReadNameSecond(*text, silent).value_or(""));
  }
}

// 150 personalities fill group 5 with 101 and group 6 with the rest.
TEST_F(InspectRoundTripTest, ExtendedCacheWithTwoGroupsReadsBack) {
  auto sources = support::TemporaryDirectory::Create();
  ASSERT_TRUE(sources);
  std::vector<std::string> entries;
  for (int i = 0; i < 150; ++i) {
    const std::string device = "TS.Dev" + std::to_string(i);
    entries.push_back(testing::DirText(*sources) + "CH" + std::to_string(i) + ".QPF");
    testing::WriteText(entries.back(), "NAME \"Maker\" \"Fixture " + std::to_string(i) + "\"\r\n" +
                                           testing::PersonalityText(device));
  }
  const Bytes file = BuildExtendedBytes(entries, *output_);
  const inspect::InspectReport report = inspect::InspectCache(file, "cache");
  EXPECT_FALSE(report.Damaged()) << ProblemsText(report);
  const auto& cache = *report.extended;
  EXPECT_EQ(cache.groupCounter, 6);
  ASSERT_EQ(cache.personalities.size(), 150u);
  EXPECT_EQ(cache.personalities[100].group, 5);
  EXPECT_EQ(cache.personalities[101].group, 6);
  EXPECT_EQ(cache.personalities[101].offset, 0u);
  EXPECT_EQ(RecordOf(report, cache.personalities[149]), ConvertedForm(entries[149]));
}

TEST_F(InspectRoundTripTest, CommandPrintsJsonAndExtractsTheRecords) {
  const Bytes file = BuildStandardBytes(entries_, *output_);
  const auto path = output_->Path() / "OMK01PER.CMP";
  const auto extractDir = output_->Path() / "parts";
  const auto run =
      RunProgram({"inspect", path.string(), "--json", "--extract", extractDir.string()}, *output_);
  ASSERT_EQ(run.status, 0) << run.err;
  const auto json = nlohmann::json::parse(run.out);
  EXPECT_EQ(json["kind"], "standard");
  EXPECT_EQ(json["damaged"], false);
  EXPECT_TRUE(json["problems"].empty());
  EXPECT_EQ(json["standard"]["header"]["recordCount"], 13);
  const auto& personalities = json["standard"]["personalities"];
  ASSERT_EQ(personalities.size(), 13u);
  EXPECT_EQ(personalities[1]["record"]["channels"].size(), 9u);
  EXPECT_EQ(personalities[1]["summary"],
            "ADJ.Mini250: 9 channels; blocks: 1 attribute, 2 range, 1 preset focus, 1 macro; "
            "813 bytes");

  EXPECT_EQ(ReadBytes(extractDir / "personality-0001-ADJ.Mini250.bin"),
            CompiledRecord(entries_[0]));
  EXPECT_EQ(ReadBytes(extractDir / "shape-library.bin"), StandardShapeLibrary());
  EXPECT_EQ(ReadBytes(extractDir / "stream.bin").size(),
            json["standard"]["header"]["streamLength"].get<std::size_t>());
  EXPECT_EQ(json["extracted"].size(), 15u);
}

TEST_F(InspectRoundTripTest, CommandReadsTheExtendedCacheAsText) {
  BuildExtendedBytes(entries_, *output_);
  const auto run = RunProgram({"inspect", (output_->Path() / "OMK01PER.CMP").string()}, *output_);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("written           2026-12-05 14:32:10"), std::string::npos);
  EXPECT_NE(run.out.find("MT.Wash700: 14 channels; blocks: 1 attribute, 2 range, 0 preset focus, "
                         "2 macro; 947 bytes"),
            std::string::npos);
  EXPECT_NE(run.out.find("Result: intact"), std::string::npos);
}

}  // namespace
}  // namespace hoardwright
