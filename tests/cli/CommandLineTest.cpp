// How the program starts and ends whatever it is given: a mistyped switch or command is a usage
// error naming the nearest known one (not a desktop start), a missing display and an exception
// each end with a message and a status (never an abort), and an empty or unusable TMPDIR falls
// back to /tmp.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <filesystem>
#include <functional>
#include <new>
#include <sstream>
#include <stdexcept>

#include "LegacyTestSupport.h"
#include "cli/CommandLine.h"
#include "cli/LegacyRun.h"
#include "support/ExtendedTestSupport.h"

namespace hoardwright::cli {
namespace {

using testing::ScratchDirectory;

TEST(DesktopArgumentsTest, QtOptionsAndTheLegacyOutputSwitchAreKnown) {
  const std::vector<std::vector<std::string>> known = {
      {},
      {"-o", "/data/out"},
      {"-o", "My", "Out"},
      {"-o/data/out"},
      {"-platform", "offscreen"},
      {"-platform", "offscreen", "-style", "fusion"},
      {"-style=fusion", "-reverse"},
      {"-stylesheet", "look.qss", "-qwindowtitle", "Rig"},
      {"-o", "/data/out", "-platform", "offscreen"},
  };
  for (const auto& arguments : known) {
    EXPECT_EQ(cli::DesktopUsageError(arguments), std::nullopt) << cli::JoinArguments(arguments);
  }
}

TEST(DesktopArgumentsTest, AnUnknownArgumentIsNamedWithTheNearestCommand) {
  const struct {
    std::vector<std::string> arguments;
    std::string named;
    std::string nearest;
  } cases[] = {
      {{"-D", "pers"}, "option \"-D\"", "\"-d\""},
      {{"bild", "x"}, "command \"bild\"", "\"build\""},
      {{"chekc", "pers"}, "command \"chekc\"", "\"check\""},
      {{"inspekt"}, "command \"inspekt\"", "\"inspect\""},
      {{"-platfrom", "offscreen"}, "option \"-platfrom\"", "\"-platform\""},
      {{"-o", "/data/out", "-verison"}, "option \"-verison\"", "\"--version\""},
  };
  for (const auto& c : cases) {
    const auto error = cli::DesktopUsageError(c.arguments);
    ASSERT_TRUE(error.has_value()) << cli::JoinArguments(c.arguments);
    EXPECT_NE(error->find("unknown " + c.named), std::string::npos) << *error;
    EXPECT_NE(error->find("did you mean " + c.nearest), std::string::npos) << *error;
  }
}

TEST(RunGuardedTest, AnExceptionBecomesAMessageAndStatus2) {
  const struct {
    std::function<int()> run;
    int status;
    std::string message;
  } cases[] = {
      {[] { return 3; }, 3, ""},
      {[]() -> int { throw std::bad_alloc(); }, 2, "hoardwright: not enough memory"},
      {[]() -> int { throw std::runtime_error("disk on fire"); }, 2, "disk on fire"},
      {[]() -> int { throw 42; }, 2, "hoardwright: stopped by an unexpected error"},
  };
  for (const auto& c : cases) {
    std::ostringstream errors;
    EXPECT_EQ(cli::RunGuarded(c.run, errors), c.status);
    if (c.message.empty()) {
      EXPECT_EQ(errors.str(), "");
    } else {
      EXPECT_NE(errors.str().find(c.message), std::string::npos) << errors.str();
    }
  }
}

class ProgramTest : public ::testing::Test {
 protected:
  // The program with nothing in its environment but HOME (no display, no TMPDIR) and `more`.
  testing::ProgramRun Run(const std::vector<std::string>& arguments,
                          std::map<std::string, std::string> more = {}) {
    more.emplace("HOME", scratch_.Path().string());
    return testing::RunProgram(HOARDWRIGHT_EXECUTABLE, arguments, more, scratch_.Path());
  }
  ScratchDirectory scratch_;
};

// Without "-d", a mistyped switch or command once opened the desktop (which, without a display,
// ended in an abort inside Qt).
TEST_F(ProgramTest, TyposAreUsageErrorsNotADesktopStart) {
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"-D", "pers"}, std::vector<std::string>{"bild", "x"}}) {
    const testing::ProgramRun run = Run(arguments);
    EXPECT_EQ(run.exitStatus, 1) << run.standardError;
    EXPECT_NE(run.standardError.find("\"" + arguments.front() + "\""), std::string::npos)
        << run.standardError;
    EXPECT_NE(run.standardError.find("did you mean"), std::string::npos) << run.standardError;
    EXPECT_EQ(run.standardOutput, "");
  }
}

TEST_F(ProgramTest, WithoutADisplayTheDesktopSaysSoWithStatus2) {
#ifdef _WIN32
  GTEST_SKIP() << "the Windows build has no desktop, and Windows needs no display variable";
#endif
  const testing::ProgramRun usual = Run({});
  EXPECT_EQ(usual.exitStatus, 2) << usual.standardError;
  EXPECT_NE(usual.standardError.find("no display"), std::string::npos) << usual.standardError;

  // A platform asked for that cannot start: Qt's own account, then ours, and no abort.
  const testing::ProgramRun x11 = Run({"-style", "fusion"}, {{"QT_QPA_PLATFORM", "xcb"}});
  EXPECT_EQ(x11.exitStatus, 2) << x11.standardError;
  EXPECT_NE(x11.standardError.find("the desktop application cannot run"), std::string::npos)
      << x11.standardError;
}

// An empty TMPDIR counts as unset and a missing one is passed over, as the C library does.
TEST_F(ProgramTest, AnEmptyOrMissingTmpdirFallsBackToTmp) {
#ifdef _WIN32
  GTEST_SKIP() << "TMPDIR is a POSIX convention: on Windows the working files go into %TEMP%";
#endif
  const std::string examples = std::string(HOARDWRIGHT_SOURCE_DIR) + "/examples/personalities";
  for (const std::string& tmpdir : {std::string(), (scratch_.Path() / "missing").string()}) {
    for (const char* type : {"standard", "extended"}) {
      SCOPED_TRACE(std::string(type) + " build, TMPDIR=\"" + tmpdir + "\"");
      const auto cache = scratch_.Path() / "OMK01PER.CMP";
      const testing::ProgramRun run =
          Run({"build", "--type", type, "--output", cache.string(), examples},
              {{"TMPDIR", tmpdir}});
      EXPECT_EQ(run.exitStatus, 0) << run.standardError;
      EXPECT_TRUE(std::filesystem::exists(cache));
      std::filesystem::remove(cache);
    }
  }
}

// An allocation that fails (here: a file larger than the memory the process may use) is a
// message and status 2, not an abort.
TEST_F(ProgramTest, RunningOutOfMemoryGivesAMessageAndStatus2) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#elif defined(_WIN32)
  GTEST_SKIP() << "a process's address space is limited with setrlimit, which Windows lacks";
#else
  const auto input = scratch_.Path() / "big.bin";
  std::ofstream(input).close();
  // Sparse, so no disk is used; under the 512 MiB that lzss reads, over the memory it may use.
  std::filesystem::resize_file(input, std::uintmax_t{400} << 20);
  const auto errPath = scratch_.Path() / "oom.err";
  const pid_t child = fork();
  if (child == 0) {
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int null = open("/dev/null", O_WRONLY);
    if (err < 0 || null < 0) _exit(126);
    dup2(null, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    const rlimit limit{std::uintmax_t{192} << 20, std::uintmax_t{192} << 20};
    if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(126);
    execl(HOARDWRIGHT_EXECUTABLE, HOARDWRIGHT_EXECUTABLE, "lzss", "compress", input.c_str(),
          (scratch_.Path() / "big.out").c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int raw = 0;
  ASSERT_EQ(waitpid(child, &raw, 0), child);
  const std::string errors = testing::ReadText(errPath);
  ASSERT_TRUE(WIFEXITED(raw)) << "ended by signal " << WTERMSIG(raw) << ": " << errors;
  EXPECT_EQ(WEXITSTATUS(raw), 2) << errors;
  EXPECT_NE(errors.find("not enough memory"), std::string::npos) << errors;
  EXPECT_FALSE(std::filesystem::exists(scratch_.Path() / "big.out"));
#endif
}

}  // namespace
}  // namespace hoardwright::cli
