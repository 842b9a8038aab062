// Every write point of both builds made to fail in turn through the WriteFaults plan: each
// write, each close, the final rename. A failed build must say so, write no cache, keep the
// cache that was there before byte for byte, and leave no working or temporary file behind.
#include <gtest/gtest.h>

#include <functional>

#include "RobustnessSupport.h"
#include "support/BuildTestSupport.h"
#include "standard/StandardBuild.h"
#include "extended/ExtendedBuild.h"

namespace hoardwright::robustness {
namespace {

const support::CalendarTime kFixedTime{2026, 12, 5, 13, 45, 58};

struct BuildOutcome {
  bool written = false;
  std::vector<std::string> messages;
};

struct BuildKind {
  const char* name;
  std::function<BuildOutcome(const catalogue::BuildRequest&, support::WriteFaults*)> run;
  friend void PrintTo(const BuildKind& kind, std::ostream* out) { *out << kind.name; }
};

BuildOutcome RunStandard(const catalogue::BuildRequest& request, support::WriteFaults* faults) {
  testing::RecordingHost host;
  standard::StandardBuildOptions options;
  options.buildTime = kFixedTime;
  options.faults = faults;
  const standard::StandardBuildResult result = standard::BuildStandardCache(request, host, options);
  EXPECT_EQ(host.Count("ShowResult"), result.cacheWritten ? 1u : 0u);
  return {result.cacheWritten, host.MessageTexts()};
}

BuildOutcome RunExtended(const catalogue::BuildRequest& request, support::WriteFaults* faults) {
  support::CollectingReporter reporter;
  extended::ExtendedBuildOptions options;
  options.time = kFixedTime;
  options.faults = faults;
  const extended::ExtendedBuildResult result = extended::BuildExtendedCache(request, reporter, options);
  BuildOutcome outcome{result.Written(), {}};
  for (const auto& message : reporter.messages) outcome.messages.push_back(message.text);
  return outcome;
}

class WriteFaultTest : public ::testing::TestWithParam<BuildKind> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp_.Ok() && output_);
    request_.entries = testing::CacheListOf({ExamplesDir()});
    ASSERT_FALSE(request_.entries.empty());
    request_.outputDir = output_->Path().string() + "/";
    request_.createdBy = "Robustness";
    request_.unattended = true;
  }

  fs::path CachePath() const { return output_->Path() / "OMK01PER.CMP"; }

  // Made before TMPDIR moves, so it is not inside the private directory.
  std::optional<support::TemporaryDirectory> output_ = support::TemporaryDirectory::Create();
  PrivateTmpDir tmp_;
  catalogue::BuildRequest request_;
};

TEST_P(WriteFaultTest, EveryFailedWritePointLeavesNoTrace) {
  support::WriteFaults counting;
  ASSERT_TRUE(GetParam().run(request_, &counting).written);
  const std::string goodCache = ReadText(CachePath());
  ASSERT_FALSE(goodCache.empty());
  const long writes = counting.Writes();
  const long closes = counting.Closes();
  ASSERT_GE(writes, 1);
  ASSERT_GE(closes, 1);

  std::vector<std::pair<std::string, support::WriteFaults>> plans;
  for (long k = 1; k <= writes; ++k)
    plans.emplace_back("write " + std::to_string(k), support::WriteFaults::FailAtWrite(k));
  for (long k = 1; k <= closes; ++k)
    plans.emplace_back("close " + std::to_string(k), support::WriteFaults::FailOnClose(k));
  plans.emplace_back("rename", support::WriteFaults::FailOnRename());
  ::testing::Test::RecordProperty("write_points", static_cast<int>(plans.size()));

  for (auto& [label, plan] : plans) {
    SCOPED_TRACE(std::string(GetParam().name) + " build, failing " + label);
    for (const bool earlierCache : {true, false}) {
      fs::remove(CachePath());
      if (earlierCache) WriteText(CachePath(), goodCache.substr(0, goodCache.size() / 2) + "earlier");
      const std::string before = earlierCache ? ReadText(CachePath()) : "";
      support::WriteFaults faults = plan;
      const BuildOutcome outcome = GetParam().run(request_, &faults);

      EXPECT_FALSE(outcome.written);
      ASSERT_FALSE(outcome.messages.empty()) << "a failed build always says why";
      EXPECT_TRUE(outcome.messages.back().starts_with("Unable to ")) << outcome.messages.back();
      if (earlierCache) {
        EXPECT_EQ(ReadText(CachePath()), before) << "the earlier cache is kept as it was";
        EXPECT_EQ(TreeOf(output_->Path()), std::vector<std::string>{"OMK01PER.CMP"});
      } else {
        EXPECT_TRUE(TreeOf(output_->Path()).empty()) << "no partial cache, no temporary file";
      }
      EXPECT_TRUE(TreeOf(tmp_.Path()).empty()) << "working files are gone";
    }
  }
  // After all that, a build without faults still gives the same cache.
  ASSERT_TRUE(GetParam().run(request_, nullptr).written);
  EXPECT_EQ(ReadText(CachePath()), goodCache);
}

INSTANTIATE_TEST_SUITE_P(Builds, WriteFaultTest,
                         ::testing::Values(BuildKind{"standard", RunStandard},
                                           BuildKind{"extended", RunExtended}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace hoardwright::robustness
