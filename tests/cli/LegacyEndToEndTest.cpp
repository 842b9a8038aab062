// "hoardwright -d DIR -o OUT" as a user runs it, on the example personalities: the file it writes
// is read back record by record and block by block through the project's own decoder.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "LegacyTestSupport.h"
#include "catalogue/ListOrder.h"
#include "extended/ByteOrder.h"
#include "extended/ExtendedCacheLayout.h"
#include "extended/PersonalityConversion.h"
#include "extended/ShapeConversion.h"
#include "lzss/Lzss.h"
#include "personality/KeywordReaders.h"
#include "support/BuildClock.h"
#include "support/DirectoryText.h"
#include "support/EmbeddedResources.h"
#include "support/ExtendedTestSupport.h"

namespace hoardwright::cli {
namespace {

using testing::Bytes;
using testing::ReadBytes;
using testing::ScratchDirectory;

constexpr const char* kEpoch = "1764937800";  // 2025-12-05 12:30:00 UTC

// What one example personality should become in the cache, read independently of the build.
struct ExpectedRecord {
  std::string path;
  std::string manufacturer;
  std::string fixtureName;
  std::string deviceText;
};

ExpectedRecord ReadExpected(const std::filesystem::path& path) {
  auto file = personality::LineStream::Open(path, personality::LineMode::Text);
  EXPECT_TRUE(file.has_value()) << path;
  support::SilentReporter silent;
  ExpectedRecord expected{path.string(), "", "", ""};
  if (!file) return expected;
  expected.manufacturer = personality::ReadNameFirst(*file, silent).value_or("");
  file->Rewind();
  expected.fixtureName = personality::ReadNameSecond(*file, silent).value_or("");
  file->Rewind();
  std::vector<std::uint8_t> buffer(81);
  personality::OutputCursor cursor(buffer);
  EXPECT_TRUE(personality::ReadDevice(*file, cursor, silent)) << path;
  expected.deviceText = extended::TextField(buffer);
  return expected;
}

Bytes ConvertFile(const std::string& path) {
  auto input = personality::LineStream::Open(path, personality::LineMode::Binary);
  Bytes bytes;
  support::SilentReporter silent;
  EXPECT_TRUE(input && extended::ConvertPersonality(*input, bytes, silent)) << path;
  return bytes;
}

class LegacyEndToEndTest : public ::testing::Test {
 protected:
  LegacyEndToEndTest() {
    for (const char* dir : {"Pers", "Out", "Again", "home", "config/Qendrale", "tmp"}) {
      std::filesystem::create_directories(root_.Path() / dir);
    }
    const auto examples = std::filesystem::path(HOARDWRIGHT_SOURCE_DIR) / "examples/personalities";
    for (const auto& entry : std::filesystem::directory_iterator(examples)) {
      std::filesystem::copy_file(entry.path(), root_.Path() / "Pers" / entry.path().filename());
    }
    root_.Write("config/Qendrale/Hoardwright.conf",
                "[Hoardwright]\nDefaultDir=/stored/pers/\nOutputDir=/stored/out/\nCreatedBy=Sam\n");
  }

  testing::ProgramRun Hoardwright(const std::vector<std::string>& arguments) {
    return testing::RunProgram(HOARDWRIGHT_EXECUTABLE, arguments,
                               {{"SOURCE_DATE_EPOCH", kEpoch},
                                {"HOME", Dir("home")},
                                {"XDG_CONFIG_HOME", Dir("config")},
                                {"TMPDIR", Dir("tmp")}},
                               root_.Path());
  }
  std::string Dir(const std::string& name) const { return (root_.Path() / name).string(); }

  ScratchDirectory root_;
};

TEST_F(LegacyEndToEndTest, TheCacheOfTheExamplesReadsBackCompletely) {
  const auto settingsBefore = ReadBytes(Dir("config/Qendrale/Hoardwright.conf"));
  const testing::ProgramRun run = Hoardwright({"-d", Dir("Pers"), "-o", Dir("Out")});
  ASSERT_EQ(run.exitStatus, 0) << run.standardError;
  EXPECT_EQ(run.standardError, "");

  // Expected rows: every example, in the cache list's order (device name, upper-cased).
  std::vector<ExpectedRecord> expected;
  for (const auto& entry : std::filesystem::directory_iterator(Dir("Pers"))) {
    expected.push_back(ReadExpected(entry.path()));
  }
  std::ranges::sort(expected, [](const ExpectedRecord& a, const ExpectedRecord& b) {
    return catalogue::CompareUpperCased(a.deviceText.substr(0, 12), b.deviceText.substr(0, 12)) < 0;
  });

  const Bytes file = ReadBytes(std::filesystem::path(Dir("Out")) / "OMK01PER.CMP");
  const auto cache = testing::DecodeExtendedCache(file);
  EXPECT_EQ(cache.version, 1);
  const support::CalendarTime time = support::BuildTime(kEpoch);
  EXPECT_EQ(cache.info.date, support::MsDosDate(time));
  EXPECT_EQ(cache.info.time, support::MsDosTime(time));
  EXPECT_EQ(extended::TextField(cache.info.author), "Pellorin Vax");
  ASSERT_EQ(cache.personalities.size(), expected.size());
  ASSERT_EQ(cache.personalities.size(), 12u);
  EXPECT_EQ(cache.manufacturers.size(), 11u) << "two examples share their maker";
  EXPECT_EQ(cache.offsets[2], 204u + 11 * 21 + 1) << "an odd count is padded";

  // The groups' uncompressed data, decoded once each.
  std::map<int, Bytes> groups;
  const int groupCounter = extended::GroupCounter(static_cast<int>(cache.personalities.size()));
  for (int group = 5; group < groupCounter + 5; ++group) {
    const auto unit = lzss::DecompressUnit(
        testing::SlotRange(file, cache.offsets, static_cast<std::size_t>(group),
                           static_cast<std::size_t>(group) + 1),
        nullptr);
    ASSERT_TRUE(unit.complete && unit.sumMatches) << "group " << group;
    groups[group] = unit.data;
  }
  EXPECT_EQ(cache.offsets[extended::FileLengthSlot(groupCounter)], file.size());

  std::size_t groupFill = 0;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const auto& record = cache.personalities[i];
    const ExpectedRecord& want = expected[i];
    SCOPED_TRACE(want.path);
    ASSERT_LT(record.manufacturerIndex, cache.manufacturers.size());
    EXPECT_EQ(extended::TextField(cache.manufacturers[record.manufacturerIndex].name),
              want.manufacturer.substr(0, 20));
    EXPECT_EQ(extended::TextField(record.fixtureName), want.fixtureName.substr(0, 30));
    EXPECT_EQ(extended::TextField(record.deviceName), want.deviceText.substr(0, 11));
    EXPECT_EQ(record.group, 5);
    EXPECT_EQ(record.offset, groupFill) << "forms follow each other in table order";
    const Bytes form = ConvertFile(want.path);
    ASSERT_GT(record.length, 0u);
    EXPECT_EQ(record.length, form.size());
    const Bytes& data = groups[record.group];
    ASSERT_LE(record.offset + record.length, data.size());
    EXPECT_EQ(Bytes(data.begin() + record.offset, data.begin() + record.offset + record.length),
              form);
    groupFill += record.length;
  }
  EXPECT_EQ(groups[5].size(), groupFill);

  // The shape block: the embedded library compiled, its length in front.
  const auto library = support::ShapeLibraryText();
  personality::LineStream text(std::string(library.begin(), library.end()),
                               personality::LineMode::Binary);
  Bytes compiled;
  ASSERT_TRUE(extended::CompileShapeLibrary(text, compiled));
  const Bytes shapeBlock = testing::SlotRange(file, cache.offsets, 3, 4);
  ASSERT_GT(shapeBlock.size(), 4u);
  EXPECT_EQ(extended::LoadBigEndian32At(shapeBlock, 0), compiled.size());
  const auto shapes = lzss::DecompressUnit(std::span(shapeBlock).subspan(4), nullptr);
  EXPECT_TRUE(shapes.complete && shapes.sumMatches);
  EXPECT_EQ(shapes.data, compiled);

  // Nothing is left behind, and the stored settings were neither read into the run nor changed.
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(Dir("Pers")) / "tmp1.tmp"));
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(Dir("Out")) / "tmp1.tmp"));
  EXPECT_TRUE(std::filesystem::is_empty(Dir("tmp"))) << "the working SG.DAT is removed";
  EXPECT_TRUE(std::filesystem::is_empty(Dir("home")));
  EXPECT_EQ(ReadBytes(Dir("config/Qendrale/Hoardwright.conf")), settingsBefore);
  std::size_t configEntries = 0;
  for ([[maybe_unused]] const auto& entry :
       std::filesystem::recursive_directory_iterator(Dir("config"))) {
    ++configEntries;
  }
  EXPECT_EQ(configEntries, 2u) << "the Qendrale folder and its one settings file";
}

TEST_F(LegacyEndToEndTest, TwoRunsWithTheSameSourceDateEpochAreByteIdentical) {
  ASSERT_EQ(Hoardwright({"-d", Dir("Pers"), "-o", Dir("Out")}).exitStatus, 0);
  ASSERT_EQ(Hoardwright({"-o", Dir("Again"), "-d", Dir("Pers")}).exitStatus, 0);
  const Bytes first = ReadBytes(std::filesystem::path(Dir("Out")) / "OMK01PER.CMP");
  EXPECT_FALSE(first.empty());
  EXPECT_EQ(first, ReadBytes(std::filesystem::path(Dir("Again")) / "OMK01PER.CMP"));
}

TEST_F(LegacyEndToEndTest, ExitStatusesTellInvalidDirectoriesAndMissingCaches) {
  const testing::ProgramRun invalid = Hoardwright({"-d", Dir("Pers"), "-o", Dir("Missing")});
  EXPECT_EQ(invalid.exitStatus, 1);
  const char separator = support::kDirectorySeparator;
  EXPECT_EQ(invalid.standardError, "Invalid command line arguments\n\n     Per Dir=" + Dir("Pers") +
                                       separator + "\n Output Dir=" + Dir("Missing") + separator +
                                       "\n");
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(Dir("Pers")) / "tmp1.tmp"));

  const testing::ProgramRun empty = Hoardwright({"-d", Dir("Out")});
  EXPECT_EQ(empty.exitStatus, 2);
  EXPECT_EQ(empty.standardError,
            "No personalities to build! Personalities need to be added to the cache listbox "
            "first!\n");
  EXPECT_TRUE(std::filesystem::is_empty(Dir("Out")));
}

}  // namespace
}  // namespace hoardwright::cli
