// A build stopped through its cancel token (a signal, a closed window) at each kind of point:
// before a personality, and while the cache file itself is being written. It shows no message,
// writes no cache, keeps the earlier one byte for byte and leaves no working file behind.
#include <gtest/gtest.h>

#include <functional>

#include "RobustnessSupport.h"
#include "support/BuildTestSupport.h"
#include "standard/StandardBuild.h"
#include "extended/ExtendedBuild.h"
#include "extended/ExtendedCache.h"

namespace hoardwright::robustness {
namespace {

const support::CalendarTime kFixedTime{2026, 12, 5, 13, 45, 58};
const std::string kEarlier = "an earlier cache";

// Tells the test of each call that can end in a cancellation: between two personalities, and
// the status line set once the cache file has been created.
class CancellingHost : public testing::RecordingHost {
 public:
  void DispatchPendingMessages() override {
    testing::RecordingHost::DispatchPendingMessages();
    onCall("DispatchPendingMessages");
  }
  void SetStatusText(std::string_view text) override {
    testing::RecordingHost::SetStatusText(text);
    onCall("SetStatusText|" + std::string(text));
  }
  std::function<void(const std::string&)> onCall;
};

class CancelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp_.Ok() && output_);
    request_.entries = testing::CacheListOf({ExamplesDir()});
    ASSERT_GE(request_.entries.size(), 3u);
    request_.outputDir = output_->Path().string() + "/";
    request_.unattended = true;
    WriteText(CachePath(), kEarlier);
  }

  fs::path CachePath() const { return output_->Path() / "OMK01PER.CMP"; }

  void ExpectNothingWritten() const {
    EXPECT_EQ(ReadText(CachePath()), kEarlier);
    EXPECT_EQ(TreeOf(output_->Path()), std::vector<std::string>{"OMK01PER.CMP"});
    EXPECT_TRUE(TreeOf(tmp_.Path()).empty()) << "the working directory is removed";
  }

  // Made before TMPDIR moves, so it is not inside the private directory.
  std::optional<support::TemporaryDirectory> output_ = support::TemporaryDirectory::Create();
  PrivateTmpDir tmp_;
  catalogue::BuildRequest request_;
};

TEST_F(CancelTest, TheStandardBuildStopsAtEachPoint) {
  const struct {
    const char* point;
    // Called with each host call the build makes; true where the token is to be cancelled.
    std::function<bool(const std::string& call, int dispatches)> at;
  } points[] = {
      {"before the first personality",
       [](const std::string& call, int) { return call == "DispatchPendingMessages"; }},
      {"before the third personality",
       [](const std::string& call, int dispatches) {
         return call == "DispatchPendingMessages" && dispatches == 3;
       }},
      // The cache file beside its final name exists from here on.
      {"while the cache file is written",
       [](const std::string& call, int) { return call == "SetStatusText|Compressing..."; }},
  };
  for (const auto& point : points) {
    SCOPED_TRACE(point.point);
    support::CancelToken token;
    CancellingHost host;
    int dispatches = 0;
    host.onCall = [&](const std::string& call) {
      if (call == "DispatchPendingMessages") ++dispatches;
      if (point.at(call, dispatches)) token.Cancel();
    };

    standard::StandardBuildOptions options;
    options.buildTime = kFixedTime;
    options.cancel = &token;
    const standard::StandardBuildResult result =
        standard::BuildStandardCache(request_, host, options);
    EXPECT_TRUE(token.Cancelled()) << "the point was reached";
    EXPECT_TRUE(result.cancelled);
    EXPECT_FALSE(result.cacheWritten);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.Count("ShowResult"), 0u);
    ExpectNothingWritten();
  }
}

// The extended build stops while it reads the personalities (here: when the first message
// comes), and while it writes the cache file.
TEST_F(CancelTest, TheExtendedBuildStopsWhileReadingAndWhileWriting) {
  const auto broken = output_->Path().parent_path() / "NODEVICE.QPF";
  WriteText(broken, "NAME \"Maker\" \"Spot\"\r\n");
  request_.entries.insert(request_.entries.begin() + 1, broken.string());

  support::CancelToken token;
  struct CancellingReporter : support::Reporter {
    support::CancelToken* token = nullptr;
    int messages = 0;
    void ShowMessage(std::string_view, std::string_view) override {
      ++messages;
      token->Cancel();
    }
  } reporter;
  reporter.token = &token;
  extended::ExtendedBuildOptions options;
  options.time = kFixedTime;
  options.cancel = &token;
  const extended::ExtendedBuildResult result =
      extended::BuildExtendedCache(request_, reporter, options);
  fs::remove(broken);
  EXPECT_EQ(result.status, extended::ExtendedBuildStatus::Cancelled);
  EXPECT_EQ(reporter.messages, 1) << "no message of its own";
  ExpectNothingWritten();

  // Cancelled once the file beside the cache exists.
  extended::CExtendedCache cache;
  ASSERT_TRUE(cache.AddPersonality("Maker", "Spot", "A.Spot", request_.entries.front()));
  support::CancelToken cancelled;
  cancelled.Cancel();
  cache.SetCancelToken(&cancelled);
  support::SilentReporter silent;
  std::string error;
  EXPECT_EQ(cache.WriteCacheFile(CachePath(), kFixedTime, silent, &error),
            extended::CacheFileOutcome::Cancelled);
  ExpectNothingWritten();
}

}  // namespace
}  // namespace hoardwright::robustness
