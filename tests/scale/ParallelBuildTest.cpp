// Builds on several threads: the cache file, every message and the order of everything the host
// is told are those of the single-threaded build, whatever the number of threads.
#include <gtest/gtest.h>

#include "support/Files.h"
#include <fstream>
#include <iterator>
#include <sstream>

#include "PersonalityGenerator.h"
#include "support/BuildTestSupport.h"
#include "standard/StandardBuild.h"
#include "support/TemporaryDirectory.h"
#include "extended/ExtendedBuild.h"

namespace hoardwright {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

const support::CalendarTime kFixedTime{2026, 12, 7, 9, 30, 12};
constexpr unsigned kJobCounts[] = {1, 2, 4, 7};

using hoardwright::testing::ReadBytes;

class ParallelBuildTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(personalities_ && output_);
    // Generated personalities with broken ones among them, so that the readers and the builds
    // have messages to show: no DEVICE line, no DMX table, and a path that is no file.
    const auto generated = tools::WritePersonalities(personalities_->Path(), 240, 21);
    for (std::size_t i = 0; i < generated.size(); ++i) {
      entries_.push_back(generated[i].string());
      if (i % 37 == 5) entries_.push_back(Write("NODEV" + std::to_string(i) + ".QPF", NoDevice(i)));
      if (i % 53 == 9) entries_.push_back(Write("NODMX" + std::to_string(i) + ".QPF", NoDmx(i)));
      if (i == 100) entries_.push_back((personalities_->Path() / "missing.QPF").string());
    }
  }

  static std::string NoDevice(std::size_t i) {
    return "NAME \"Broken\" \"No device " + std::to_string(i) + "\"\r\nTYPE 1\r\n";
  }
  static std::string NoDmx(std::size_t i) {
    return "NAME \"Broken\" \"No DMX " + std::to_string(i) + "\"\r\nDEVICE NoDmx" +
           std::to_string(i) + "\r\nTYPE 1\r\n";
  }

  std::string Write(const std::string& name, const std::string& text) const {
    const fs::path path = personalities_->Path() / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
  }

  catalogue::BuildRequest Request(unsigned jobs) const {
    catalogue::BuildRequest request;
    request.entries = entries_;
    request.outputDir = (output_->Path() / std::to_string(jobs)).string() + "/";
    fs::create_directories(request.outputDir);
    request.createdBy = "Threads";
    request.unattended = true;
    return request;
  }

  std::vector<std::string> entries_;
  std::optional<support::TemporaryDirectory> personalities_ = support::TemporaryDirectory::Create();
  std::optional<support::TemporaryDirectory> output_ = support::TemporaryDirectory::Create();
};

TEST_F(ParallelBuildTest, StandardCacheAndMessagesDoNotDependOnThreads) {
  std::optional<Bytes> expectedFile;
  std::optional<std::vector<std::string>> expectedCalls;
  for (const unsigned jobs : kJobCounts) {
    testing::RecordingHost host;
    standard::StandardBuildOptions options;
    options.buildTime = kFixedTime;
    options.jobs = jobs;
    const standard::StandardBuildResult result =
        standard::BuildStandardCache(Request(jobs), host, options);
    ASSERT_TRUE(result.cacheWritten) << jobs;
    EXPECT_EQ(result.leftOut.size(), 13u) << jobs;
    // Each build writes its info personality into a private directory of its own name.
    std::vector<std::string> calls = host.calls;
    for (std::string& call : calls) {
      if (call.starts_with("SetStatusText|") &&
          (call.ends_with("/1_INFO.QPF") || call.ends_with("\\1_INFO.QPF"))) {
        call = "info";
      }
    }
    const Bytes file = ReadBytes(result.outputPath);
    if (!expectedFile) {
      expectedFile = file;
      expectedCalls = calls;
      EXPECT_GT(host.Count("ShowMessage"), 13u);
      continue;
    }
    EXPECT_TRUE(file == *expectedFile) << jobs << " threads";
    EXPECT_EQ(calls, *expectedCalls) << jobs << " threads";
  }
}

// The benchmarks' yardstick: the same build coded by the reference encoder at the end.
TEST_F(ParallelBuildTest, TheReferenceEncoderBuildsTheSameFile) {
  Bytes files[2];
  for (const bool reference : {false, true}) {
    testing::RecordingHost host;
    standard::StandardBuildOptions options;
    options.buildTime = kFixedTime;
    options.jobs = reference ? 1 : 2;
    options.referenceEncoder = reference;
    const standard::StandardBuildResult result =
        standard::BuildStandardCache(Request(reference ? 11 : 12), host, options);
    ASSERT_TRUE(result.cacheWritten);
    files[reference ? 1 : 0] = ReadBytes(result.outputPath);
  }
  EXPECT_TRUE(files[0] == files[1]);
}

TEST_F(ParallelBuildTest, ExtendedCacheMessagesAndDotsDoNotDependOnThreads) {
  std::optional<Bytes> expectedFile;
  std::optional<std::vector<support::ReportedMessage>> expectedMessages;
  std::optional<std::string> expectedDots;
  for (const unsigned jobs : kJobCounts) {
    support::CollectingReporter reporter;
    std::ostringstream dots;
    extended::ExtendedBuildOptions options;
    options.time = kFixedTime;
    options.jobs = jobs;
    options.console = &dots;
    const extended::ExtendedBuildResult result =
        extended::BuildExtendedCache(Request(jobs), reporter, options);
    ASSERT_TRUE(result.Written()) << jobs;
    const Bytes file = ReadBytes(result.outputPath);
    if (!expectedFile) {
      expectedFile = file;
      expectedMessages = reporter.messages;
      expectedDots = dots.str();
      EXPECT_FALSE(reporter.messages.empty());
      EXPECT_FALSE(dots.str().empty());
      continue;
    }
    EXPECT_TRUE(file == *expectedFile) << jobs << " threads";
    EXPECT_EQ(reporter.messages, *expectedMessages) << jobs << " threads";
    EXPECT_EQ(dots.str(), *expectedDots) << jobs << " threads";
  }
}

// A write that fails half-way stops the workers and leaves no cache, with any number of threads.
TEST_F(ParallelBuildTest, AFailedWriteEndsAThreadedBuild) {
  for (const unsigned jobs : {1U, 4U}) {
    testing::RecordingHost host;
    support::WriteFaults faults = support::WriteFaults::FailAtWrite(60);
    standard::StandardBuildOptions options;
    options.buildTime = kFixedTime;
    options.jobs = jobs;
    options.faults = &faults;
    const catalogue::BuildRequest request = Request(100 + jobs);
    EXPECT_FALSE(standard::BuildStandardCache(request, host, options).cacheWritten) << jobs;
    EXPECT_EQ(host.Count("ShowResult"), 0u);
    EXPECT_FALSE(fs::exists(request.outputDir + "OMK01PER.CMP"));
  }
}

}  // namespace
}  // namespace hoardwright
