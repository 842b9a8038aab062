// The example personalities go through the same readers as any user's file: each must list under
// a device name of its own and name its maker and fixture for the extended cache.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ExampleFiles.h"
#include "personality/KeywordReaders.h"
#include "personality/LineStream.h"
#include "catalogue/ManufacturerTable.h"
#include "personality/OutputCursor.h"
#include "support/Reporter.h"

namespace hoardwright {
namespace {

using resources::test::ExampleFiles;
using resources::test::LinesStartingWith;
using resources::test::ReadFile;

TEST(ExamplePersonalities, ADozenFilesWithCrLfLineEnds) {
  const auto files = ExampleFiles();
  EXPECT_GE(files.size(), 12u);
  for (const auto& file : files) {
    EXPECT_TRUE(resources::test::HasOnlyCrLfLineEnds(ReadFile(file))) << file;
  }
}

TEST(ExamplePersonalities, FileNamesStartWithDifferentMakersCodesAndOneUnknown) {
  const catalogue::ManufacturerMap map = catalogue::LoadManufacturerMap();
  std::set<std::string> makers;
  std::size_t unknown = 0;
  for (const auto& file : ExampleFiles()) {
    const std::string name = catalogue::ManufacturerNameForFile(map, file.filename().string());
    if (name == "Unknown") ++unknown;
    makers.insert(name);
  }
  EXPECT_EQ(unknown, 1u);
  EXPECT_GE(makers.size(), 10u);
}

TEST(ExamplePersonalities, DevicesAndNamesAreDistinctAndComplete) {
  std::set<std::string> deviceNames;
  for (const auto& file : ExampleFiles()) {
    personality::LineStream stream(ReadFile(file), personality::LineMode::Text);
    support::CollectingReporter reporter;
    std::vector<std::uint8_t> buffer(200);
    personality::OutputCursor cursor(buffer);
    ASSERT_TRUE(personality::ReadDevice(stream, cursor, reporter)) << file;
    const std::string device(reinterpret_cast<const char*>(buffer.data()));
    EXPECT_GT(device.size(), 12u) << file;
    EXPECT_TRUE(deviceNames.insert(device.substr(0, 11)).second) << "device name repeats: " << file;

    stream.Rewind();
    const auto maker = personality::ReadNameFirst(stream, reporter);
    stream.Rewind();
    const auto fixture = personality::ReadNameSecond(stream, reporter);
    ASSERT_TRUE(maker && fixture) << file;
    EXPECT_FALSE(maker->empty()) << file;
    EXPECT_LE(maker->size(), 20u) << file;
    EXPECT_FALSE(fixture->empty()) << file;
    EXPECT_LE(fixture->size(), 30u) << file;
    EXPECT_TRUE(reporter.messages.empty()) << file;
  }
}

TEST(ExamplePersonalities, TogetherCoverEveryKindOfSection) {
  std::map<std::string, std::size_t> filesWith;
  std::size_t withoutMirror = 0;
  for (const auto& file : ExampleFiles()) {
    const std::string text = ReadFile(file);
    for (const std::string keyword : {"MIRROR", "ATTR", "RANGE", "PFTABLE", "MACRO"}) {
      filesWith[keyword] += LinesStartingWith(text, keyword) > 0 ? 1 : 0;
    }
    withoutMirror += LinesStartingWith(text, "MIRROR") == 0 ? 1 : 0;
  }
  for (const auto& [keyword, count] : filesWith) EXPECT_GE(count, 3u) << keyword;
  EXPECT_GE(withoutMirror, 3u);
}

}  // namespace
}  // namespace hoardwright
