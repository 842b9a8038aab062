// The program run as a process against real write failures: a cache path on a full device, and
// a disk that fills up at a chosen byte (a file size limit on the process). Whatever fails, the
// run exits with status 2 and a message, the earlier cache stays and no file is left behind.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/sysmacros.h>
#endif

#include "RobustnessSupport.h"

namespace hoardwright::robustness {
namespace {

constexpr int kNotWritten = 2;

class CommandWriteFailureTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override { ASSERT_TRUE(scratch_ && tmp_ && output_); }

  std::vector<std::string> BuildArguments(const std::string& output) const {
    return {"build", "--type", GetParam(), "--output", output, ExamplesDir()};
  }

  std::optional<support::TemporaryDirectory> scratch_ = support::TemporaryDirectory::Create();
  std::optional<support::TemporaryDirectory> tmp_ = support::TemporaryDirectory::Create();
  std::optional<support::TemporaryDirectory> output_ = support::TemporaryDirectory::Create();
};

// A cache path that names a device is written in place: on the full device every write fails
// with ENOSPC, the run says so, and the device node is still a device afterwards (renaming a
// finished temporary file over it would have replaced the node with a plain file). Where the
// test may create device nodes (as root) it uses its own node for the same device, so a fault
// here can never damage the machine's /dev/full.
TEST_P(CommandWriteFailureTest, CacheOnAFullDeviceFailsCleanly) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no full device (/dev/full) to write a cache on";
#else
  fs::path device = scratch_->Path() / "full";
  if (mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0) device = "/dev/full";
  if (!fs::is_character_file(device)) GTEST_SKIP() << "no full device";

  const ProcessRun run = RunProgram(BuildArguments(device.string()), tmp_->Path(), scratch_->Path());
  EXPECT_EQ(run.status, kNotWritten) << run.out << run.err;
  EXPECT_NE(run.err.find(device.string()), std::string::npos) << run.err;
  // Both builds name the system's reason for a failed write.
  EXPECT_NE(run.err.find("No space left on device"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("Unable to write "), std::string::npos) << run.err;
  EXPECT_TRUE(fs::is_character_file(device)) << "the device node is never replaced";
  EXPECT_TRUE(TreeOf(tmp_->Path()).empty());
  const std::vector<std::string> expected =
      device.parent_path() == scratch_->Path() ? std::vector<std::string>{"full"}
                                                : std::vector<std::string>{};
  EXPECT_EQ(TreeOf(scratch_->Path()), expected) << "no temporary file beside the device";
#endif
}

// The disk fills up after N bytes of any one file, for N across the sizes of the working files
// and the cache. Every run either writes the very cache an unhindered run writes, or fails with
// a message, keeps the earlier cache and cleans up; below the cache's size it must fail.
TEST_P(CommandWriteFailureTest, DiskFillingUpAtAnyPointFailsCleanly) {
#ifdef _WIN32
  GTEST_SKIP() << "a disk filling up is a file size limit (setrlimit), which Windows lacks";
#else
  const fs::path cache = output_->Path() / "OMK01PER.CMP";
  const ProcessRun good = RunProgram(BuildArguments(cache.string()), tmp_->Path(), scratch_->Path());
  ASSERT_EQ(good.status, 0) << good.err;
  const std::string goodCache = ReadText(cache);
  ASSERT_GT(goodCache.size(), 1024u);

  const std::string earlier = "an earlier cache";
  int failed = 0;
  int written = 0;
  for (rlim_t limit = 512; limit <= 64 * 1024; limit += limit / 2) {
    SCOPED_TRACE("file size limit " + std::to_string(limit));
    WriteText(cache, earlier);
    const ProcessRun run =
        RunProgram(BuildArguments(cache.string()), tmp_->Path(), scratch_->Path(), limit);
    if (run.status == 0) {
      ++written;
      EXPECT_GE(limit, goodCache.size());
      EXPECT_EQ(ReadText(cache), goodCache);
    } else {
      ++failed;
      EXPECT_EQ(run.status, kNotWritten) << run.err;
      EXPECT_NE(run.err.find("Unable to "), std::string::npos) << run.err;
      EXPECT_NE(run.err.find("File too large"), std::string::npos) << run.err;
      EXPECT_EQ(ReadText(cache), earlier);
    }
    EXPECT_EQ(TreeOf(output_->Path()), std::vector<std::string>{"OMK01PER.CMP"});
    EXPECT_TRUE(TreeOf(tmp_->Path()).empty());
  }
  EXPECT_GT(failed, 0);
  EXPECT_GT(written, 0);
#endif
}

INSTANTIATE_TEST_SUITE_P(Types, CommandWriteFailureTest, ::testing::Values("standard", "extended"));

}  // namespace
}  // namespace hoardwright::robustness
