// Caches at the sizes consoles are filled to: 5000 generated personalities in a standard cache,
// 2000 in an extended cache, each read back with the project's own decoder and compared with an
// independent compile of sampled personalities. Labelled "scale" (ctest -LE scale skips them).
#include <gtest/gtest.h>

#include "support/Files.h"
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "PersonalityGenerator.h"
#include "standard/PersonalityCompiler.h"
#include "standard/StandardBuild.h"
#include "standard/StandardCacheLayout.h"
#include "support/TemporaryDirectory.h"
#include "check/PersonalityCheck.h"
#include "extended/ExtendedBuild.h"
#include "extended/ExtendedCacheLayout.h"
#include "extended/PersonalityConversion.h"
#include "lzss/Lzss.h"
#include "personality/KeywordReaders.h"
#include "catalogue/CacheListing.h"

namespace hoardwright {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint64_t kSeed = 8;
const support::CalendarTime kFixedTime{2026, 12, 5, 13, 45, 58};

using hoardwright::testing::ReadBytes;

// Messages are counted, not shown; a scale build should have none.
class QuietHost : public standard::WindowlessBuildHost {
 public:
  void ShowMessage(std::string_view text, std::string_view) override { messages.emplace_back(text); }
  std::vector<std::string> messages;
};

class ScaleTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(personalities_ && output_); }

  std::vector<std::string> Generate(std::size_t count) {
    std::vector<std::string> paths;
    for (const fs::path& path : tools::WritePersonalities(personalities_->Path(), count, kSeed)) {
      paths.push_back(path.string());
    }
    return paths;
  }

  catalogue::BuildRequest Request(std::vector<std::string> entries) const {
    catalogue::BuildRequest request;
    request.entries = std::move(entries);
    request.outputDir = output_->Path().string() + "/";
    request.createdBy = "Scale";
    request.unattended = true;
    return request;
  }

  std::optional<support::TemporaryDirectory> personalities_ = support::TemporaryDirectory::Create();
  std::optional<support::TemporaryDirectory> output_ = support::TemporaryDirectory::Create();
};

TEST_F(ScaleTest, FiveThousandPersonalitiesMakeAStandardCache) {
  constexpr std::size_t kCount = standard::kMaxEntries;
  const std::vector<std::string> paths = Generate(kCount);
  QuietHost host;
  standard::StandardBuildOptions options;
  options.buildTime = kFixedTime;
  const standard::StandardBuildResult result =
      standard::BuildStandardCache(Request(paths), host, options);
  ASSERT_TRUE(result.cacheWritten);
  EXPECT_TRUE(result.leftOut.empty());
  EXPECT_TRUE(host.messages.empty()) << host.messages.front();

  const Bytes file = ReadBytes(result.outputPath);
  const std::span<const std::uint8_t> bytes(file);
  const auto header = standard::DecodeHeader(bytes);
  ASSERT_TRUE(header);
  ASSERT_EQ(header->recordCount, kCount + 1);  // the info personality first
  const lzss::DecodedUnit unit =
      lzss::DecompressUnit(bytes.subspan(standard::SumOffset(header->recordCount)), nullptr);
  ASSERT_TRUE(unit.complete);
  ASSERT_TRUE(unit.sumMatches);
  ASSERT_EQ(unit.data.size(), header->streamLengthMinus1 + 1u);

  std::uint32_t expectedOffset = header->shapeLengthMinus1 + 1u;
  for (std::size_t i = 0; i < header->recordCount; ++i) {
    SCOPED_TRACE("record " + std::to_string(i));
    const auto record = standard::DecodeIndexRecord(bytes.subspan(
        standard::kHeaderSize + i * standard::kIndexRecordSize, standard::kIndexRecordSize));
    ASSERT_TRUE(record);
    ASSERT_EQ(record->blockOffset, expectedOffset) << "blocks follow each other without a gap";
    expectedOffset += record->blockLength;
    if (i == 0) continue;
    const tools::GeneratedPersonality generated = tools::GeneratePersonality(kSeed, i - 1);
    ASSERT_TRUE(record->deviceText.starts_with(generated.deviceName)) << record->deviceText;
    ASSERT_EQ(record->code, generated.fileName.substr(0, 2));
    if (i % 250 != 1) continue;
    // The block is what the compiler makes of the file on its own.
    personality::LineStream stream(generated.text, personality::LineMode::Text);
    support::SilentReporter silent;
    Bytes device(standard::kDeviceFieldSize);
    personality::OutputCursor deviceCursor(device);
    ASSERT_TRUE(personality::ReadDevice(stream, deviceCursor, silent));
    Bytes block(standard::kBlockBufferSize);
    personality::OutputCursor cursor(block);
    ASSERT_TRUE(standard::CompilePersonality(stream, cursor, standard::TableOptions{}, silent));
    const Bytes expected(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(cursor.Position()));
    ASSERT_EQ(Bytes(unit.data.begin() + record->blockOffset,
                    unit.data.begin() + record->blockOffset + record->blockLength),
              expected);
  }
  EXPECT_EQ(expectedOffset, unit.data.size()) << "the last block ends the stream";
}

TEST_F(ScaleTest, TwoThousandPersonalitiesMakeAnExtendedCache) {
  using namespace extended;
  constexpr std::size_t kCount = kMaxExtendedPersonalities;
  const std::vector<std::string> paths = Generate(kCount);
  support::CollectingReporter reporter;
  ExtendedBuildOptions options;
  options.time = kFixedTime;
  const ExtendedBuildResult result = BuildExtendedCache(Request(paths), reporter, options);
  ASSERT_TRUE(result.Written());
  EXPECT_EQ(result.personalityCount, static_cast<int>(kCount));
  EXPECT_TRUE(reporter.messages.empty()) << reporter.messages.front().text;

  const Bytes file = ReadBytes(result.outputPath);
  const std::span<const std::uint8_t> bytes(file);
  ASSERT_GT(bytes.size(), kManufacturerTableOffset);
  const OffsetTable offsets = DecodeOffsetTable(bytes.subspan(kOffsetTableOffset).first<kOffsetTableSize>());
  const CacheInfoRecord info = DecodeInfoRecord(bytes.subspan(offsets[kInfoSlot]).first<kInfoRecordSize>());
  ASSERT_EQ(info.personalityCount, kCount);
  const int groups = GroupCounter(static_cast<int>(kCount));
  ASSERT_EQ(offsets[static_cast<std::size_t>(groups + 5)], file.size()) << "the file length slot";

  // Every group block decodes; each record's binary form lies inside its group's data.
  std::vector<Bytes> groupData(static_cast<std::size_t>(groups + 5));
  for (int g = 5; g < groups + 5; ++g) {
    const auto begin = offsets[static_cast<std::size_t>(g)];
    const auto end = offsets[static_cast<std::size_t>(g + 1)];
    ASSERT_LE(begin, end);
    const lzss::DecodedUnit unit = lzss::DecompressUnit(bytes.subspan(begin, end - begin), nullptr);
    ASSERT_TRUE(unit.complete && unit.sumMatches) << "group " << g;
    groupData[static_cast<std::size_t>(g)] = unit.data;
  }
  for (std::size_t i = 0; i < kCount; ++i) {
    SCOPED_TRACE("record " + std::to_string(i));
    const PersonalityRecord record = DecodePersonalityRecord(
        bytes.subspan(offsets[kPersonalitySlot] + i * kPersonalityRecordSize).first<kPersonalityRecordSize>());
    const tools::GeneratedPersonality generated = tools::GeneratePersonality(kSeed, i);
    // The first characters of the device text, blanks of its padding included.
    ASSERT_EQ(TextField(record.deviceName),
              (generated.deviceName + std::string(kRecordDeviceNameLength, ' '))
                  .substr(0, kRecordDeviceNameLength));
    ASSERT_GT(record.length, 0u);
    const Bytes& data = groupData.at(record.group);
    ASSERT_LE(record.offset + record.length, data.size());
    if (i % 100 != 0) continue;
    personality::LineStream stream(generated.text, personality::LineMode::Binary);
    Bytes expected;
    support::SilentReporter silent;
    ASSERT_TRUE(ConvertPersonality(stream, expected, silent));
    ASSERT_EQ(Bytes(data.begin() + record.offset, data.begin() + record.offset + record.length),
              expected);
  }
}

// One personality more than the standard build takes: it writes nothing, and `check`, listing
// the directory the same way, leaves every file out of both caches with that reason.
TEST_F(ScaleTest, CheckAgreesThatOneMoreThanFiveThousandIsRefused) {
  const std::size_t count = standard::kMaxEntries + 1;
  Generate(count);
  const std::string directory = personalities_->Path().string();

  const std::vector<check::FileCheck> checks = check::CheckPaths({directory});
  ASSERT_EQ(checks.size(), count);
  const std::string reason =
      "the cache list holds 5001 personalities, more than the 5000 a standard build takes: it "
      "writes no cache";
  for (const check::FileCheck& check : checks) {
    ASSERT_FALSE(check.standard) << check.path;
    ASSERT_FALSE(check.extended) << check.path;
    ASSERT_TRUE(std::ranges::any_of(check.items, [&](const check::CheckItem& item) {
      return item.standard && item.finding.message == reason;
    })) << check.path;
  }

  support::SilentReporter silent;
  const catalogue::CacheListing listing =
      catalogue::ListCacheEntries({directory}, catalogue::LoadManufacturerMap(), silent);
  ASSERT_EQ(listing.cacheList.RowCount(), count);
  QuietHost host;
  const standard::StandardBuildResult result =
      standard::BuildStandardCache(Request(listing.cacheList.FilePaths()), host);
  EXPECT_FALSE(result.cacheWritten);
  EXPECT_EQ(host.messages, std::vector<std::string>{
                               "Too many personalities (5001), Max: 5000. Cache file not created!"});
}

}  // namespace
}  // namespace hoardwright
