// The extended build over a cache list: names read from each file, rows in list order, refusals.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ExtendedTestSupport.h"
#include "extended/ExtendedBuild.h"

namespace hoardwright::extended {
namespace {

using testing::DecodeExtendedCache;
using testing::PersonalityText;
using testing::ReadBytes;
using testing::ScratchDirectory;

struct Build {
  ExtendedBuildResult result;
  std::vector<std::string> messages;
};

Build RunBuild(const catalogue::BuildRequest& request, support::WriteFaults* faults = nullptr,
               const std::string& fileName = "OMK01PER.CMP") {
  support::CollectingReporter reporter;
  ExtendedBuildOptions options;
  options.outputFileName = fileName;
  options.time = support::CalendarTime{2026, 12, 5, 9, 15, 0};
  options.faults = faults;
  Build build;
  build.result = BuildExtendedCache(request, reporter, options);
  for (const auto& message : reporter.messages) build.messages.push_back(message.text);
  return build;
}

catalogue::BuildRequest Request(const ScratchDirectory& out, std::vector<std::string> entries) {
  catalogue::BuildRequest request;
  request.cacheType = catalogue::CacheType::Extended;
  request.entries = std::move(entries);
  request.outputDir = out.Text();
  request.unattended = true;
  return request;
}

TEST(ExtendedBuildTest, RecordsFollowTheCacheListAndTheNameAndDeviceLines) {
  ScratchDirectory dir;
  const std::string wash =
      dir.Write("MTWASH.QPF", PersonalityText("Meridian", "Wash 700", "MT.Wash700 Long Name"));
  const std::string spot = dir.Write("mtspot.QPF", PersonalityText("meridian", "Spot", "MT.Spot"));
  // One quoted field only: no fixture name, so the personality is left out.
  std::string oneField = PersonalityText("Only", "x", "ZZ.One");
  oneField.replace(oneField.find("NAME"), oneField.find("\r\nTYPE") - oneField.find("NAME"),
                   "NAME \"Only Maker\"");
  const std::string single = dir.Write("ZZONE.QPF", oneField);
  // Without any line starting with DEVICE (DEVICEADDRESS would match too): added with an empty
  // device name, and, lacking DEVICEADDRESS, without a binary form.
  std::string noDevice = PersonalityText("Maker", "No Device", "unused");
  noDevice.erase(0, noDevice.find("NAME"));
  noDevice.replace(noDevice.find("DEVICEADDRESS"), 6, "ADDR");
  const std::string deviceless = dir.Write("ZZNODEV.QPF", noDevice);
  const std::string deleted = dir.Write("GONE.QPF", PersonalityText("Gone", "Gone", "GO.Gone"));
  std::filesystem::remove(deleted);

  const Build build = RunBuild(Request(dir, {wash, single, deleted, spot, deviceless}));
  ASSERT_TRUE(build.result.Written());
  EXPECT_EQ(build.result.personalityCount, 3);
  EXPECT_EQ(build.result.outputPath, dir.Path() / "OMK01PER.CMP");
  EXPECT_EQ(build.result.leftOut, (std::vector<std::string>{single, deleted, deviceless}))
      << "not added, or added without a binary form, in list order";
  EXPECT_EQ(build.messages,
            (std::vector<std::string>{"error - couldn't find keyword DEVICE",
                                      "error - couldn't find keyword DEVICEADDRESS"}));

  const auto cache = DecodeExtendedCache(ReadBytes(build.result.outputPath));
  ASSERT_EQ(cache.personalities.size(), 3u);
  ASSERT_EQ(cache.manufacturers.size(), 3u) << "names differing in letter case are two makers";
  EXPECT_EQ(TextField(cache.manufacturers[0].name), "Meridian");
  EXPECT_EQ(TextField(cache.manufacturers[1].name), "meridian");
  EXPECT_EQ(TextField(cache.manufacturers[2].name), "Maker");

  const auto& records = cache.personalities;
  EXPECT_EQ(TextField(records[0].fixtureName), "Wash 700");
  EXPECT_EQ(TextField(records[0].deviceName), "MT.Wash700 ") << "the DEVICE text's first 11";
  EXPECT_EQ(TextField(records[1].fixtureName), "Spot");
  EXPECT_EQ(TextField(records[1].deviceName).substr(0, 7), "MT.Spot");
  EXPECT_EQ(records[1].manufacturerIndex, 1);
  EXPECT_EQ(TextField(records[2].deviceName), "") << "added without a DEVICE line";
  EXPECT_GT(records[0].length, 0u);
  EXPECT_GT(records[1].length, 0u);
  EXPECT_EQ(records[2].length, 0u);
}

TEST(ExtendedBuildTest, AnEmptyCacheListWritesNothing) {
  ScratchDirectory out;
  const Build build = RunBuild(Request(out, {}));
  EXPECT_EQ(build.result.status, ExtendedBuildStatus::NoPersonalities);
  EXPECT_EQ(build.messages,
            std::vector<std::string>{"No personalities to build! Personalities need to be added to "
                                     "the cache listbox first!"});
  EXPECT_FALSE(std::filesystem::exists(out.Path() / "OMK01PER.CMP"));
}

TEST(ExtendedBuildTest, MoreThan2000PersonalitiesAreRefused) {
  ScratchDirectory dir;
  const std::string path = dir.Write("A.QPF", PersonalityText("Maker", "Spot", "A.Spot"));
  const Build refused = RunBuild(Request(dir, std::vector<std::string>(2001, path)));
  EXPECT_EQ(refused.result.status, ExtendedBuildStatus::TooManyPersonalities);
  EXPECT_EQ(refused.messages,
            std::vector<std::string>{"Too many personalities (2001), Max: 2000. Cache file not "
                                     "created!"});
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "OMK01PER.CMP"));

  const Build full = RunBuild(Request(dir, std::vector<std::string>(2000, path)));
  EXPECT_TRUE(full.result.Written());
  EXPECT_EQ(full.result.personalityCount, 2000);
}

TEST(ExtendedBuildTest, AnOutputThatCannotBeWrittenIsAFailure) {
  ScratchDirectory dir;
  const std::string path = dir.Write("A.QPF", PersonalityText("Maker", "Spot", "A.Spot"));

  catalogue::BuildRequest missing = Request(dir, {path});
  missing.outputDir = (dir.Path() / "missing").string() + "/";
  const Build noDir = RunBuild(missing);
  EXPECT_EQ(noDir.result.status, ExtendedBuildStatus::OutputFailed);
  // The fixed text, then the system's reason.
  EXPECT_EQ(noDir.messages,
            std::vector<std::string>{"Unable to create output file " + missing.outputDir +
                                     "OMK01PER.CMP, cache file could not be created! "
                                     "No such file or directory"});

  // The last write of a build is the cache file's; when it fails there is no file.
  support::WriteFaults counting;
  ASSERT_TRUE(RunBuild(Request(dir, {path}), &counting).result.Written());
  std::filesystem::remove(dir.Path() / "OMK01PER.CMP");
  support::WriteFaults faults = support::WriteFaults::FailAtWrite(counting.Writes());
  const Build failedWrite = RunBuild(Request(dir, {path}), &faults);
  EXPECT_EQ(failedWrite.result.status, ExtendedBuildStatus::OutputFailed);
  // The file was created; a write failed, and the message says so.
  EXPECT_EQ(failedWrite.messages,
            std::vector<std::string>{"Unable to write " + Request(dir, {path}).outputDir +
                                     "OMK01PER.CMP" +
                                     " (injected write failure), cache file could not be "
                                     "created!"});
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "OMK01PER.CMP"));
}

// The output directory and the file name are joined as a path, as the standard build joins them.
TEST(ExtendedBuildTest, TheOutputDirectoryGetsItsSeparator) {
  ScratchDirectory dir;
  const std::string path = dir.Write("A.QPF", PersonalityText("Maker", "Spot", "A.Spot"));
  catalogue::BuildRequest request = Request(dir, {path});
  std::filesystem::create_directories(dir.Path() / "cache");
  request.outputDir = (dir.Path() / "cache").string();  // no trailing separator
  const Build build = RunBuild(request);
  EXPECT_TRUE(build.result.Written());
  EXPECT_TRUE(std::filesystem::exists(dir.Path() / "cache" / "OMK01PER.CMP"));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "cacheOMK01PER.CMP"));

  const Build named = RunBuild(Request(dir, {path}), nullptr, "MK2.CMP");
  EXPECT_EQ(named.result.outputPath, dir.Path() / "MK2.CMP");
  EXPECT_TRUE(std::filesystem::exists(dir.Path() / "MK2.CMP"));
}

}  // namespace
}  // namespace hoardwright::extended
