// `hoardwright build --type extended`: the same cache as the unattended run, and the options
// that only the standard cache knows are refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LegacyTestSupport.h"
#include "support/DirectoryText.h"
#include "support/ExtendedTestSupport.h"

namespace hoardwright::cli {
namespace {

using testing::ReadBytes;
using testing::ScratchDirectory;

class ExtendedBuildCommandTest : public ::testing::Test {
 protected:
  ExtendedBuildCommandTest() {
    std::filesystem::create_directories(root_.Path() / "Pers");
    std::filesystem::create_directories(root_.Path() / "Out");
    const auto examples = std::filesystem::path(HOARDWRIGHT_SOURCE_DIR) / "examples/personalities";
    for (const auto& entry : std::filesystem::directory_iterator(examples)) {
      std::filesystem::copy_file(entry.path(), root_.Path() / "Pers" / entry.path().filename());
    }
  }
  testing::ProgramRun Hoardwright(const std::vector<std::string>& arguments) {
    return testing::RunProgram(HOARDWRIGHT_EXECUTABLE, arguments,
                               {{"SOURCE_DATE_EPOCH", "1764937800"}, {"HOME", Dir("Out")}},
                               root_.Path());
  }
  std::string Dir(const std::string& name) const { return (root_.Path() / name).string(); }

  ScratchDirectory root_;
};

TEST_F(ExtendedBuildCommandTest, BuildsTheSameCacheAsTheUnattendedRun) {
  const auto named =
      Hoardwright({"build", "--type", "extended", "--output", Dir("Out/MK2.CMP"), Dir("Pers")});
  ASSERT_EQ(named.exitStatus, 0) << named.standardError;
  // The directory part of --output gets the system's own separator.
  EXPECT_EQ(named.standardOutput, "12 personalities written to " + Dir("Out") +
                                      support::kDirectorySeparator + "MK2.CMP\n");
  ASSERT_EQ(Hoardwright({"-d", Dir("Pers"), "-o", Dir("Out")}).exitStatus, 0);
  const auto legacy = ReadBytes(Dir("Out/OMK01PER.CMP"));
  EXPECT_FALSE(legacy.empty());
  EXPECT_EQ(ReadBytes(Dir("Out/MK2.CMP")), legacy);
}

TEST_F(ExtendedBuildCommandTest, StandardOnlyOptionsAreRefused) {
  const std::vector<std::vector<std::string>> refused = {
      {"--created-by", "Sam"}, {"--created-by", ""},  {"--notes", "Rig A"},
      {"--no-preset-focus"},   {"--no-range-tables"}, {"--no-macros"}};
  for (const auto& option : refused) {
    std::vector<std::string> arguments{"build", "--type", "extended", "--output", Dir("Out")};
    arguments.insert(arguments.end(), option.begin(), option.end());
    arguments.push_back(Dir("Pers"));
    const auto run = Hoardwright(arguments);
    EXPECT_EQ(run.exitStatus, 1) << option[0];
    EXPECT_TRUE(run.standardError.starts_with("hoardwright build: " + option[0] +
                                              " does not apply to --type extended"))
        << run.standardError;
  }
  EXPECT_TRUE(std::filesystem::is_empty(Dir("Out")));
}

}  // namespace
}  // namespace hoardwright::cli
