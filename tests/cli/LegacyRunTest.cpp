// The unattended run of the "-d"/"-o" switches, in process: which directories it uses, what it
// refuses, and that its writability check leaves nothing behind.
#include <gtest/gtest.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "LegacyTestSupport.h"
#include "cli/LegacyRun.h"
#include "support/DirectoryText.h"
#include "support/ExtendedTestSupport.h"

namespace hoardwright::cli {
namespace {

// The separator the program appends to a directory text that lacks one.
const std::string kSeparator(1, support::kDirectorySeparator);

using testing::PersonalityText;
using testing::ScratchDirectory;

constexpr const char* kCacheName = "OMK01PER.CMP";
constexpr const char* kNoPersonalities =
    "No personalities to build! Personalities need to be added to the cache listbox first!\n";

struct LegacyOutcome {
  int status = -1;
  std::string messages;
};

LegacyOutcome RunText(const std::string& text) {
  std::ostringstream messages;
  LegacyOutcome run;
  run.status = cli::RunLegacyCommandLine(text, messages);
  run.messages = messages.str();
  return run;
}

std::string InvalidMessage(const std::string& personalityDir, const std::string& outputDir) {
  return "Invalid command line arguments\n\n     Per Dir=" + personalityDir +
         "\n Output Dir=" + outputDir + "\n";
}

class LegacyRunTest : public ::testing::Test {
 protected:
  LegacyRunTest() {
    std::filesystem::create_directories(Dir("Pers"));
    std::filesystem::create_directories(Dir("Out"));
    std::filesystem::create_directories(Dir("my"));
    root_.Write("Pers/MTSPOT.QPF", PersonalityText("Meridian", "Spot", "MT.Spot"));
    root_.Write("Pers/ROWASH.QPF", PersonalityText("Rondel", "Wash", "RO.Wash"));
    root_.Write("my-pers/MTSPOT.QPF", PersonalityText("Meridian", "Spot", "MT.Spot"));
  }
  ~LegacyRunTest() override {
    // No case leaves the writability check's file anywhere.
    for (const char* dir : {"Pers", "Out", "my", "my-pers"}) {
      EXPECT_FALSE(std::filesystem::exists(Dir(dir) / "tmp1.tmp")) << dir;
    }
  }
  std::filesystem::path Dir(const std::string& name) const { return root_.Path() / name; }
  std::string Text(const std::string& name) const { return Dir(name).string(); }
  bool HasCache(const std::string& name) const {
    return std::filesystem::exists(Dir(name) / kCacheName);
  }

  ScratchDirectory root_;
};

TEST_F(LegacyRunTest, OnlyADashDInTheArgumentTextStartsTheRun) {
  EXPECT_FALSE(cli::IsLegacyCommandLine({}));
  EXPECT_FALSE(cli::IsLegacyCommandLine({"-o", Text("Out")}));
  EXPECT_FALSE(cli::IsLegacyCommandLine({"-D", Text("Pers")}));
  EXPECT_TRUE(cli::IsLegacyCommandLine({"-d", Text("Pers")}));
  EXPECT_TRUE(cli::IsLegacyCommandLine({"-o", Text("Out"), "-d", Text("Pers")}));
  EXPECT_TRUE(cli::IsLegacyCommandLine({Text("x") + "-dPers"}));
  EXPECT_EQ(cli::JoinArguments({"-d", "/my pers", "-o"}), "-d /my pers -o");
  EXPECT_EQ(cli::JoinArguments({}), "");
}

TEST_F(LegacyRunTest, DirectoriesComeFromTheSwitchesAsTheTableGivesThem) {
  struct Case {
    std::string text;
    int status;
    std::string cacheIn;  // the directory that receives the cache
    std::string messages;
  };
  const Case cases[] = {
      {"-d " + Text("Pers"), cli::kLegacyCacheWritten, "Pers", ""},
      {"-o " + Text("Out") + " -d " + Text("Pers"), cli::kLegacyCacheWritten, "Out", ""},
      {"-d" + Text("Pers") + "-o" + Text("Out"), cli::kLegacyCacheWritten, "Out", ""},
      // The value ends at the hyphen: the (empty) directory "my" is used, not "my-pers".
      {"-d " + Text("my-pers"), cli::kLegacyNoCacheWritten, "", kNoPersonalities},
      {"-d " + Text("Pers") + " -o " + Text("Missing"), cli::kLegacyInvalidArguments, "",
       InvalidMessage(Text("Pers") + kSeparator, Text("Missing") + kSeparator)},
      {"-d " + Text("Missing"), cli::kLegacyInvalidArguments, "",
       InvalidMessage(Text("Missing") + kSeparator, Text("Missing") + kSeparator)},
      {"-d", cli::kLegacyInvalidArguments, "", InvalidMessage("", "")},
      {"-d -o " + Text("Out"), cli::kLegacyInvalidArguments, "",
       InvalidMessage("", Text("Out") + kSeparator)},
      {"-d " + Text("Pers") + "/MTSPOT.QPF", cli::kLegacyInvalidArguments, "",
       InvalidMessage(Text("Pers") + "/MTSPOT.QPF" + kSeparator,
                      Text("Pers") + "/MTSPOT.QPF" + kSeparator)},
  };
  for (const Case& c : cases) {
    const LegacyOutcome run = RunText(c.text);
    EXPECT_EQ(run.status, c.status) << c.text;
    EXPECT_EQ(run.messages, c.messages) << c.text;
    for (const char* dir : {"Pers", "Out", "my", "my-pers"}) {
      EXPECT_EQ(HasCache(dir), c.cacheIn == dir) << c.text << " / " << dir;
      std::filesystem::remove(Dir(dir) / kCacheName);
    }
  }
}

TEST_F(LegacyRunTest, TheCacheHoldsEveryListedPersonalityInDeviceOrder) {
  ASSERT_EQ(RunText("-d " + Text("Pers")).status, cli::kLegacyCacheWritten);
  const auto cache = testing::DecodeExtendedCache(testing::ReadBytes(Dir("Pers") / kCacheName));
  ASSERT_EQ(cache.personalities.size(), 2u);
  EXPECT_EQ(extended::TextField(cache.personalities[0].fixtureName), "Spot");
  EXPECT_EQ(extended::TextField(cache.personalities[1].fixtureName), "Wash");
}

TEST_F(LegacyRunTest, AnExistingTmp1FileIsNeitherTruncatedNorRemoved) {
  const std::string kept = root_.Write("Out/tmp1.tmp", "someone else's file");
  EXPECT_EQ(RunText("-d " + Text("Pers") + " -o " + Text("Out")).status, cli::kLegacyCacheWritten);
  EXPECT_EQ(testing::ReadText(kept), "someone else's file");
  std::filesystem::remove(kept);
}

TEST_F(LegacyRunTest, AnUnwritableDirectoryIsRefused) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no POSIX permissions, and its read-only attribute does not keep new "
                  "files out of a folder";
#else
  // Permissions do not bind the superuser, but nobody can create a file in /proc.
  const bool superuser = ::geteuid() == 0;
  const std::string out = superuser ? std::string("/proc/self") : Text("Out");
  if (!superuser) {
    std::filesystem::permissions(
        Dir("Out"), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  }
  const LegacyOutcome run = RunText("-d " + Text("Pers") + " -o " + out);
  if (!superuser) std::filesystem::permissions(Dir("Out"), std::filesystem::perms::owner_all);
  EXPECT_EQ(run.status, cli::kLegacyInvalidArguments);
  EXPECT_EQ(run.messages, InvalidMessage(Text("Pers") + kSeparator, out + kSeparator));
  EXPECT_FALSE(std::filesystem::exists(Dir("Pers") / "tmp1.tmp"));
#endif
}

}  // namespace
}  // namespace hoardwright::cli
