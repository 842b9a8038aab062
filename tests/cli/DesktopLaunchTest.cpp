// `hoardwright` links no Qt: what opens the window starts the desktop executable, with the
// arguments passed through unchanged, and nothing else does. HOARDWRIGHT_DESKTOP_EXECUTABLE
// points the program at a stub that records how it was started.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "LegacyTestSupport.h"
#include "cli/DesktopLauncher.h"
#include "support/ExtendedTestSupport.h"

namespace hoardwright::cli {
namespace {

using testing::ScratchDirectory;

TEST(DesktopExecutableCandidatesTest, TheVariableAloneThenBesideThenTheInstallPlace) {
  EXPECT_EQ(DesktopExecutableCandidates("/opt/stub", "/usr/bin/hoardwright",
                                        "../libexec/hoardwright/hoardwright-desktop"),
            std::vector<std::filesystem::path>{"/opt/stub"});
  EXPECT_EQ(DesktopExecutableCandidates("", "/usr/bin/hoardwright",
                                        "../libexec/hoardwright/hoardwright-desktop"),
            (std::vector<std::filesystem::path>{
                "/usr/bin/hoardwright-desktop", "/usr/libexec/hoardwright/hoardwright-desktop"}));
  EXPECT_EQ(DesktopExecutableCandidates(nullptr, "/build/src/hoardwright", ""),
            std::vector<std::filesystem::path>{"/build/src/hoardwright-desktop"});
  EXPECT_TRUE(DesktopExecutableCandidates(nullptr, "", "../libexec/x").empty());
}

#ifdef _WIN32

// The Windows command line has no desktop to start: what would open the window says so and fails,
// and the commands run as everywhere.
TEST(WindowsWithoutDesktopTest, WhatWouldOpenTheWindowSaysThereIsNoneWithStatus2) {
  ScratchDirectory scratch;
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{}, {"-style", "fusion"}, {"-o", "C:\\out"}}) {
    const testing::ProgramRun run =
        testing::RunProgram(HOARDWRIGHT_EXECUTABLE, arguments, {}, scratch.Path());
    EXPECT_EQ(run.exitStatus, 2) << run.standardError;
    EXPECT_EQ(run.standardError,
              "hoardwright: this build has no desktop application, only the command line.\n"
              "Run \"hoardwright --help\" for the commands and options.\n");
    EXPECT_EQ(run.standardOutput, "");
  }
  const testing::ProgramRun version =
      testing::RunProgram(HOARDWRIGHT_EXECUTABLE, {"--version"}, {}, scratch.Path());
  EXPECT_EQ(version.exitStatus, 0);
}

#else

class DesktopLaunchTest : public ::testing::Test {
 protected:
  DesktopLaunchTest() {
    // Records its arguments, one per line, and ends with a status of its own.
    stub_ = scratch_.Write("stub", "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" +
                                       (scratch_.Path() / "record").string() + "\"\nexit 7\n");
    ::chmod(stub_.c_str(), 0755);
  }

  testing::ProgramRun Run(const std::vector<std::string>& arguments, const std::string& stub) {
    return testing::RunProgram(HOARDWRIGHT_EXECUTABLE, arguments,
                               {{"HOME", scratch_.Path().string()},
                                {kDesktopExecutableVariable, stub}},
                               scratch_.Path());
  }

  // The arguments the stub was started with; nullopt when it was not started.
  std::optional<std::vector<std::string>> Recorded() const {
    const auto record = scratch_.Path() / "record";
    if (!std::filesystem::exists(record)) return std::nullopt;
    std::vector<std::string> lines;
    std::string text = testing::ReadText(record);
    for (std::size_t start = 0; start < text.size();) {
      const std::size_t end = text.find('\n', start);
      lines.push_back(text.substr(start, end - start));
      start = end + 1;
    }
    std::filesystem::remove(record);
    return lines;
  }

  ScratchDirectory scratch_;
  std::string stub_;
};

TEST_F(DesktopLaunchTest, WhatOpensTheWindowStartsTheDesktopWithTheSameArguments) {
  const std::vector<std::vector<std::string>> windowStarts = {
      {},
      {"-style", "fusion", "-reverse"},
      {"-platform=offscreen"},
      {"-qwindowtitle", "two  words"},
      {"-o", "/some/dir"},  // the legacy output switch alone opens the window
  };
  for (const auto& arguments : windowStarts) {
    const testing::ProgramRun run = Run(arguments, stub_);
    EXPECT_EQ(run.exitStatus, 7) << run.standardError;
    EXPECT_EQ(Recorded(), arguments);
  }
}

TEST_F(DesktopLaunchTest, CommandsSwitchesAndUsageErrorsNeverStartTheDesktop) {
  const std::string personalities = scratch_.Path() / "pers";
  std::filesystem::create_directories(personalities);
  const struct {
    std::vector<std::string> arguments;
    int status;
  } cases[] = {
      {{"--version"}, 0},
      {{"--help"}, 0},
      {{"check", personalities}, 0},
      {{"-d", personalities}, 2},  // no personalities there: no cache written
      {{"-bogus"}, 1},
      {{"bild", "pers"}, 1},
      {{"-style", "fusion", "stray"}, 1},
  };
  for (const auto& [arguments, status] : cases) {
    const testing::ProgramRun run = Run(arguments, stub_);
    EXPECT_EQ(run.exitStatus, status) << arguments.front() << ": " << run.standardError;
    EXPECT_EQ(Recorded(), std::nullopt) << arguments.front();
  }
}

TEST_F(DesktopLaunchTest, ADesktopThatCannotStartIsNamedWithStatus2) {
  const std::string missing = (scratch_.Path() / "no-such-desktop").string();
  const testing::ProgramRun run = Run({}, missing);
  EXPECT_EQ(run.exitStatus, 2);
  EXPECT_NE(run.standardError.find("cannot start the desktop application"), std::string::npos)
      << run.standardError;
  EXPECT_NE(run.standardError.find(missing + ": No such file or directory"), std::string::npos)
      << run.standardError;
}

#endif

}  // namespace
}  // namespace hoardwright::cli
