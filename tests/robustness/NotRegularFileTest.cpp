// Paths named like personalities that are no regular file (a FIFO, a link to a device), given
// on their own or found in a scanned directory: every command refuses them with the reason and
// finishes, instead of waiting on the FIFO or reading the device without end.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "RobustnessSupport.h"

namespace hoardwright::robustness {
namespace {

constexpr int kNotWritten = 2;
constexpr int kSomeLeftOut = 3;
// Far longer than any of these runs needs; a run that reaches it waits on its input.
constexpr int kDeadlineSeconds = 20;

class NotRegularFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scratch_ && tmp_ && input_ && output_);
    fs::copy_file(fs::path(ExamplesDir()) / "LTDIMMER.QPF", Dir() / "LTDIMMER.QPF");
    ASSERT_EQ(::mkfifo((Dir() / "X.QPF").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", Dir() / "LINK.QPF");
  }

  fs::path Dir() const { return input_->Path(); }

  ProcessRun Run(const std::vector<std::string>& arguments) {
    return RunProgram(arguments, tmp_->Path(), scratch_->Path(),
                      RunOptions{std::nullopt, kDeadlineSeconds, false});
  }

  std::optional<TemporaryDirectory> scratch_ = TemporaryDirectory::Create();
  std::optional<TemporaryDirectory> tmp_ = TemporaryDirectory::Create();
  std::optional<TemporaryDirectory> input_ = TemporaryDirectory::Create();
  std::optional<TemporaryDirectory> output_ = TemporaryDirectory::Create();
};

TEST_F(NotRegularFileTest, CheckRefusesEachWithItsKind) {
  const struct {
    std::string name;
    std::string reason;
  } cases[] = {{"X.QPF", "not a regular file (a FIFO or pipe)"},
               {"LINK.QPF", "not a regular file (a character device)"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = (Dir() / c.name).string();
    const ProcessRun run = Run({"check", path});
    ASSERT_NE(run.status, kHung);
    EXPECT_EQ(run.status, kSomeLeftOut) << run.err;
    EXPECT_NE(run.out.find(path + ": LEFT OUT of both caches\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(c.reason), std::string::npos) << run.out;
  }
  const ProcessRun directory = Run({"check", Dir().string()});
  ASSERT_NE(directory.status, kHung);
  EXPECT_EQ(directory.status, kSomeLeftOut) << directory.err;
  EXPECT_NE(directory.out.find("Checked 3 files: 1 built into both caches, 2 left out"),
            std::string::npos) << directory.out;
}

TEST_F(NotRegularFileTest, BuildsLeaveThemOut) {
  for (const char* type : {"standard", "extended"}) {
    SCOPED_TRACE(type);
    const std::string output = (output_->Path() / "OMK01PER.CMP").string();
    for (const char* name : {"X.QPF", "LINK.QPF"}) {
      const ProcessRun alone =
          Run({"build", "--type", type, "--output", output, (Dir() / name).string()});
      ASSERT_NE(alone.status, kHung) << name;
      EXPECT_EQ(alone.status, kNotWritten) << alone.err;
    }
    const ProcessRun scanned = Run({"build", "--type", type, "--output", output, Dir().string()});
    ASSERT_NE(scanned.status, kHung);
    EXPECT_EQ(scanned.status, kSomeLeftOut) << scanned.err;
    for (const char* name : {"X.QPF", "LINK.QPF"}) {
      EXPECT_NE(scanned.err.find("Left out of the cache: " + (Dir() / name).string() + "\n"),
                std::string::npos) << scanned.err;
    }
  }
}

}  // namespace
}  // namespace hoardwright::robustness
