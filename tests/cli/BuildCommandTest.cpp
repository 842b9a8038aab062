// `hoardwright build`, run as a process.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <future>

#include "support/WindowsChild.h"
#else
#include <sys/wait.h>
#endif

#include <cstdlib>
#include <nlohmann/json.hpp>

#include "PersonalityGenerator.h"
#include "catalogue/BuildDetails.h"
#include "inspect/TextFormat.h"
#include "standard/CacheResult.h"
#include "standard/StandardBuild.h"
#include "support/BuildTestSupport.h"
#include "support/DirectoryText.h"

namespace hoardwright {
namespace {

using testing::DirText;
using testing::NamesIn;
using testing::PersonalityText;
using testing::ReadBytes;
using testing::ReadText;
using testing::RecordingHost;
using testing::WriteText;

constexpr const char* kEpoch = "1796478358";  // 05-Dec-2026

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted.push_back(c);
    }
  }
  return quoted + "'";
}

struct ProcessRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the program in `directory` with SOURCE_DATE_EPOCH fixed, plus `environment` settings.
class CommandRunner {
 public:
  explicit CommandRunner(const support::TemporaryDirectory& scratch) : scratch_(scratch.Path()) {}

  std::string CommandLine(const std::vector<std::string>& arguments, const std::string& name,
                          const std::string& environment = "") const {
    std::string command = "cd " + Quote(scratch_.string()) + " && env SOURCE_DATE_EPOCH=" +
                          kEpoch + " " + environment + " " + Quote(HOARDWRIGHT_EXECUTABLE);
    for (const auto& argument : arguments) command += " " + Quote(argument);
    return command + " >" + Quote(OutPath(name)) + " 2>" + Quote(ErrPath(name));
  }

#ifdef _WIN32
  // The same run without a shell; `environment` is not used on Windows.
  ProcessRun Execute(const std::vector<std::string>& arguments, const std::string& = "") {
    const testing::WindowsChildRun run =
        testing::RunWindowsChild(HOARDWRIGHT_EXECUTABLE, arguments,
                                 {{{"SOURCE_DATE_EPOCH", kEpoch}}, true, 0, scratch_}, scratch_);
    return {run.exitStatus, run.standardOutput, run.standardError};
  }
#else
  ProcessRun Execute(const std::vector<std::string>& arguments,
                     const std::string& environment = "") {
    const int raw = std::system(CommandLine(arguments, "run", environment).c_str());
    return Collect("run", WIFEXITED(raw) ? WEXITSTATUS(raw) : -1);
  }
#endif

  ProcessRun Collect(const std::string& name, int status) const {
    ProcessRun run{status, ReadText(OutPath(name)), ReadText(ErrPath(name))};
    std::filesystem::remove(OutPath(name));
    std::filesystem::remove(ErrPath(name));
    return run;
  }

 private:
  std::string OutPath(const std::string& name) const {
    return (scratch_ / (name + ".out")).string();
  }
  std::string ErrPath(const std::string& name) const {
    return (scratch_ / (name + ".err")).string();
  }
  std::filesystem::path scratch_;
};

class BuildCommandTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(scratch_ && personalities_ && output_); }

  std::string AddFile(const std::string& name, const std::string& text) {
    const std::string path = DirText(*personalities_) + name;
    WriteText(path, text);
    return path;
  }

  // The same build in this process, for comparison.
  std::vector<std::uint8_t> ReferenceBuild(catalogue::BuildRequest request) {
    auto out = support::TemporaryDirectory::Create();
    EXPECT_TRUE(out);
    request.outputDir = DirText(*out);
    request.unattended = true;
    standard::StandardBuildOptions options;
    options.buildTime = support::BuildTime(kEpoch);
    RecordingHost host;
    EXPECT_TRUE(standard::BuildStandardCache(request, host, options).cacheWritten);
    return ReadBytes(*out / "OMK01PER.CMP");
  }

  std::optional<support::TemporaryDirectory> scratch_ = support::TemporaryDirectory::Create();
  std::optional<support::TemporaryDirectory> personalities_ = support::TemporaryDirectory::Create();
  std::optional<support::TemporaryDirectory> output_ = support::TemporaryDirectory::Create();
  CommandRunner runner_{*scratch_};
};

std::string Summary(std::int64_t size, std::int64_t count) {
  const standard::CacheResult result = standard::DecideCacheResult(size, count);
  std::string text = result.sizeText + "\n";
  for (const auto& console : result.consoles) {
    text += std::string(console.consoleName) + " " + std::string(console.limitLabel) + ": " +
            (console.fits ? "fits" : "does not fit") + "\n";
  }
  return text;
}

TEST_F(BuildCommandTest, BuildsTheExamplesAndPrintsTheSummary) {
  const std::string target = (*output_ / "EX.CMP").string();
  const ProcessRun run = runner_.Execute({"build", "--output", target, testing::ExamplesDir()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const auto file = ReadBytes(target);
  ASSERT_FALSE(file.empty());
  const auto entries = testing::CacheListOf({testing::ExamplesDir()});
  EXPECT_EQ(run.out, Summary(static_cast<std::int64_t>(file.size()),
                             static_cast<std::int64_t>(entries.size())));
  EXPECT_TRUE(run.out.starts_with("Cache File Size: " + std::to_string(file.size() / 1024) + "k\n"))
      << run.out;

  catalogue::BuildRequest request;
  request.entries = entries;
  EXPECT_EQ(file, ReferenceBuild(request));
  EXPECT_EQ(NamesIn(output_->Path()), std::vector<std::string>{"EX.CMP"});
}

TEST_F(BuildCommandTest, OptionsFilesAndDirectoriesMakeTheRequest) {
  const std::string single = AddFile("ABSINGLE.QPF", PersonalityText("Single"));
  // Same device name as one file of the directory, differing in case: it replaces that row.
  AddFile("CDSHARED.QPF", PersonalityText("shared"));
  auto second = support::TemporaryDirectory::Create();
  ASSERT_TRUE(second);
  const std::string sharedUpper = DirText(*second) + "EFSHARED.QPF";
  WriteText(sharedUpper, PersonalityText("SHARED"));

  const std::string notes =
      "first line\nsecond line that is far too long\n3\n4\n5\n6\n7\n8\n9\n10\n11";
  const ProcessRun run = runner_.Execute(
      {"build", "--no-preset-focus", "--no-macros", "--created-by", "Sam\nLee", "--notes", notes,
       "--output", DirText(*output_), DirText(*personalities_), single, DirText(*second)});
  EXPECT_EQ(run.status, 0) << run.err;

  catalogue::BuildRequest request;
  request.entries = testing::CacheListOf({DirText(*personalities_), DirText(*second)});
  EXPECT_EQ(request.entries.size(), 2u);
  EXPECT_EQ(request.entries[0], sharedUpper);
  request.includePresetFocus = false;
  request.includeMacros = false;
  request.createdBy = "Sam Lee";  // a single line, as the dialog's field is
  request.notes = catalogue::CutNotes(
      "first line\r\nsecond line that is far too "
      "long\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11");
  EXPECT_EQ(ReadBytes(*output_ / "OMK01PER.CMP"), ReferenceBuild(request));
}

TEST_F(BuildCommandTest, DefaultOutputIsInTheCurrentDirectory) {
  AddFile("ABONE.QPF", PersonalityText("One"));
  const ProcessRun run = runner_.Execute({"build", DirText(*personalities_)});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(std::filesystem::exists(*scratch_ / "OMK01PER.CMP"));
}

TEST_F(BuildCommandTest, PersonalitiesLeftOutAreNamedAndGiveStatus3) {
  AddFile("ABGOOD.QPF", PersonalityText("Good"));
  const std::string noDevice = AddFile("CDNODEV.QPF", "TYPE 1\r\n");
  const std::string broken = AddFile("EFBROKEN.QPF", "DEVICE  Broken\r\n");
  const ProcessRun run = runner_.Execute({"build", DirText(*personalities_)});
  EXPECT_EQ(run.status, 3) << run.err;
  // A message shows a path escaped (on Windows, every backslash doubled).
  EXPECT_NE(run.err.find("Error in file " + inspect::EscapedPath(broken) +
                         ", this personality will NOT be added to the cahce!\n"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("Left out of the cache: " + inspect::EscapedPath(broken) + "\n"),
            std::string::npos);
  EXPECT_NE(run.err.find("Left out of the cache: " + inspect::EscapedPath(noDevice) + "\n"),
            std::string::npos);
  // One line per message.
  for (std::size_t start = 0, end; (end = run.err.find('\n', start)) != std::string::npos;
       start = end + 1) {
    EXPECT_NE(end, start) << "empty line in\n" << run.err;
  }
  EXPECT_TRUE(run.out.starts_with("Cache File Size: "));
  EXPECT_TRUE(std::filesystem::exists(*scratch_ / "OMK01PER.CMP"));
}

TEST_F(BuildCommandTest, NoCacheWrittenGivesStatus2) {
  // Nothing to build.
  auto empty = support::TemporaryDirectory::Create();
  ASSERT_TRUE(empty);
  ProcessRun run = runner_.Execute({"build", DirText(*empty)});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err,
            "No personalities to build! Personalities need to be added to the cache listbox "
            "first!\n");
  EXPECT_EQ(run.out, "");

  // An output directory that does not exist.
  AddFile("ABONE.QPF", PersonalityText("One"));
  run = runner_.Execute(
      {"build", "--output", DirText(*output_) + "missing/X.CMP", DirText(*personalities_)});
  EXPECT_EQ(run.status, 2);
  // The directory text of --output gains the system's own separator.
  EXPECT_EQ(run.err, "Unable to create output file " +
                         inspect::EscapedPath(DirText(*output_) + "missing" +
                                          support::kDirectorySeparator + "X.CMP") +
                         ", cache file could not be created! No such file or directory\n");
  EXPECT_EQ(run.out, "");
}

TEST_F(BuildCommandTest, UsageErrorsGiveStatus1) {
  const std::vector<std::vector<std::string>> cases = {
      {"build"},
      {"build", DirText(*personalities_) + "missing"},
      {"build", "--type", "compact", DirText(*personalities_)},
      {"build", "--bogus", DirText(*personalities_)},
  };
  for (const auto& arguments : cases) {
    SCOPED_TRACE(arguments.back());
    const ProcessRun run = runner_.Execute(arguments);
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(run.err.empty());
  }
  EXPECT_TRUE(NamesIn(scratch_->Path()).empty());
}

TEST_F(BuildCommandTest, StoredSettingsAreNeitherReadNorWritten) {
#ifdef _WIN32
  GTEST_SKIP() << "settings live in the registry on Windows, not under HOME";
#endif
  auto home = support::TemporaryDirectory::Create();
  ASSERT_TRUE(home);
  AddFile("ABONE.QPF", PersonalityText("One"));
  const std::string environment = "HOME=" + Quote(home->Path().string()) +
                                  " XDG_CONFIG_HOME=" + Quote(home->Path().string());
  const ProcessRun run = runner_.Execute({"build", DirText(*personalities_)}, environment);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(NamesIn(home->Path()).empty());
}

// Two builds at the same time in two processes, sharing TMPDIR, each give the file it would
// give alone.
TEST_F(BuildCommandTest, ConcurrentBuildsDoNotInterfere) {
  auto tmp = support::TemporaryDirectory::Create();
  ASSERT_TRUE(tmp);
  const std::string first = (*output_ / "FIRST.CMP").string();
  const std::string second = (*output_ / "SECOND.CMP").string();
#ifdef _WIN32
  // Started from two threads; each run catches its output in a folder of its own.
  const auto start = [&](const char* createdBy, std::vector<std::string> more, const char* name) {
    auto own = std::make_shared<std::filesystem::path>(*scratch_ / name);
    std::filesystem::create_directory(*own);
    std::vector<std::string> arguments{"build", "--created-by", createdBy};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return std::async(std::launch::async, [arguments, own, &tmp] {
      return testing::RunWindowsChild(HOARDWRIGHT_EXECUTABLE, arguments,
                                      {{{"SOURCE_DATE_EPOCH", kEpoch},
                                        {"TMP", tmp->Path().string()},
                                        {"TEMP", tmp->Path().string()}},
                                       true,
                                       0,
                                       {}},
                                      *own);
    });
  };
  auto firstRun = start("First", {"--output", first, testing::ExamplesDir()}, "first");
  auto secondRun =
      start("Second", {"--no-range-tables", "--output", second, testing::ExamplesDir()}, "second");
  const testing::WindowsChildRun firstDone = firstRun.get();
  const testing::WindowsChildRun secondDone = secondRun.get();
  EXPECT_EQ(firstDone.exitStatus, 0) << firstDone.standardError;
  EXPECT_EQ(secondDone.exitStatus, 0) << secondDone.standardError;
  std::error_code ignored;
  std::filesystem::remove_all(*scratch_ / "first", ignored);
  std::filesystem::remove_all(*scratch_ / "second", ignored);
#else
  const std::string environment = "TMPDIR=" + Quote(tmp->Path().string());
  const std::string command =
      "(" + runner_.CommandLine({"build", "--created-by", "First", "--output", first,
                                 testing::ExamplesDir()},
                                "first", environment) +
      "; echo $? >" + Quote((*scratch_ / "first.rc").string()) + ") & (" +
      runner_.CommandLine({"build", "--created-by", "Second", "--no-range-tables", "--output",
                           second, testing::ExamplesDir()},
                          "second", environment) +
      "; echo $? >" + Quote((*scratch_ / "second.rc").string()) + ") & wait";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(ReadText(*scratch_ / "first.rc"), "0\n") << runner_.Collect("first", 0).err;
  EXPECT_EQ(ReadText(*scratch_ / "second.rc"), "0\n") << runner_.Collect("second", 0).err;
#endif

  catalogue::BuildRequest request;
  request.entries = testing::CacheListOf({testing::ExamplesDir()});
  request.createdBy = "First";
  EXPECT_EQ(ReadBytes(first), ReferenceBuild(request));
  request.createdBy = "Second";
  request.includeRangeTables = false;
  EXPECT_EQ(ReadBytes(second), ReferenceBuild(request));
  EXPECT_TRUE(NamesIn(tmp->Path()).empty());
}

// The dry run's standard output: the build's, then the exact size.
std::string DryRunOutput(const std::string& buildOutput, const std::string& target, std::uintmax_t size) {
  return buildOutput + "Dry run: " + target + " would be " + std::to_string(size) +
         " bytes; nothing was written\n";
}

TEST_F(BuildCommandTest, ADryRunPrintsWhatTheBuildPrintsAndWritesNothing) {
  tools::WritePersonalities(*personalities_ / "gen", 300, 1);
  AddFile("NODEV.QPF", "NAME \"Broken\" \"No device\"\r\nTYPE 1\r\n");
  auto tmp = support::TemporaryDirectory::Create();
  ASSERT_TRUE(tmp);
  const std::string environment = "TMPDIR=" + Quote(tmp->Path().string());
  const std::vector<std::vector<std::string>> inputs = {
      {testing::ExamplesDir()},
      {DirText(*personalities_) + "gen"},
      {testing::ExamplesDir(), DirText(*personalities_)},  // one file left out: status 3
  };
  for (const auto& paths : inputs) {
    for (const std::vector<std::string>& options :
         {std::vector<std::string>{}, {"--no-macros", "--created-by", "Sam"}, {"--type", "extended"}}) {
      std::vector<std::string> arguments = {"build", "-j", "2"};
      arguments.insert(arguments.end(), options.begin(), options.end());
      const std::string target = (*output_ / "CACHE.CMP").string();
      arguments.insert(arguments.end(), {"--output", target});
      arguments.insert(arguments.end(), paths.begin(), paths.end());
      SCOPED_TRACE(::testing::PrintToString(arguments));

      std::vector<std::string> dry = arguments;
      dry.insert(dry.begin() + 1, "--dry-run");
      const ProcessRun preview = runner_.Execute(dry, environment);
      EXPECT_TRUE(NamesIn(output_->Path()).empty());
      EXPECT_TRUE(NamesIn(tmp->Path()).empty());

      const ProcessRun built = runner_.Execute(arguments, environment);
      ASSERT_TRUE(std::filesystem::exists(target)) << built.err;
      EXPECT_EQ(preview.status, built.status);
      EXPECT_EQ(preview.err, built.err);
      std::string buildOutput = built.out;
      if (options.size() == 2 && options[1] == "extended") {
        // The extended build's line says what was written; the dry run's what would be.
        buildOutput.replace(buildOutput.find(" written to "), 12, " would be written to ");
      }
      EXPECT_EQ(preview.out, DryRunOutput(buildOutput, target, std::filesystem::file_size(target)));
      std::filesystem::remove(target);
    }
  }
  EXPECT_TRUE(NamesIn(tmp->Path()).empty());
}

TEST_F(BuildCommandTest, ADryRunEndsAsTheBuildWouldWithoutACache) {
  auto empty = support::TemporaryDirectory::Create();
  ASSERT_TRUE(empty);
  const ProcessRun run = runner_.Execute({"build", "--dry-run", DirText(*empty)});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err,
            "No personalities to build! Personalities need to be added to the cache listbox "
            "first!\n");
  EXPECT_EQ(run.out, "");
}

TEST_F(BuildCommandTest, InspectComparesACacheWithADirectory) {
  const std::string dir = DirText(*personalities_);
  // Named without the trailing separator: Windows' C library finds no directory with one.
  std::filesystem::copy(std::filesystem::path(testing::ExamplesDir()).parent_path(),
                        personalities_->Path());
  const std::string target = (*output_ / "OLD.CMP").string();
  ASSERT_EQ(runner_.Execute({"build", "--output", target, dir}).status, 0);
  std::filesystem::remove(dir + "ZZHAZE5.QPF");
  AddFile("CHADDED.QPF", PersonalityText("CH.Added"));

  const ProcessRun text = runner_.Execute({"inspect", target, "--compare", dir});
  EXPECT_EQ(text.status, 0) << text.err;
  const std::size_t at = text.out.find("\nCompared with " + dir.substr(0, dir.size() - 1));
  ASSERT_NE(at, std::string::npos) << text.out;
  EXPECT_NE(text.out.find("\n  missing   ZZ.Haze500", at), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("\n  new       CH.Added      " + dir + "CHADDED.QPF\n", at), std::string::npos)
      << text.out;
  EXPECT_TRUE(text.out.ends_with("Comparison: 11 unchanged, 0 changed, 1 missing, 1 new\n")) << text.out;

  const ProcessRun json = runner_.Execute({"inspect", target, "--json", "--compare", dir});
  EXPECT_EQ(json.status, 0) << json.err;
  const auto document = nlohmann::json::parse(json.out);
  const auto& comparison = document.at("comparison");
  EXPECT_EQ(comparison.at("unchanged"), 11);
  EXPECT_EQ(comparison.at("missing"), 1);
  EXPECT_EQ(comparison.at("new"), 1);
  EXPECT_EQ(comparison.at("added").at(0).at("path"), dir + "CHADDED.QPF");
  EXPECT_EQ(comparison.at("records").size(), 12u);
  EXPECT_EQ(comparison.at("tables").at("macros"), true);
  EXPECT_EQ(document.at("kind"), "standard");

  // Not a directory: a usage error.
  EXPECT_EQ(runner_.Execute({"inspect", target, "--compare", target}).status, 1);
}

TEST_F(BuildCommandTest, CheckWritesProblemsAsEditorsReadThem) {
  const std::string good = AddFile("CHGOOD.QPF", PersonalityText("Good", "NAME \"M\" \"F\"\r\n"));
  std::string broken = PersonalityText("Broken", "NAME \"M\" \"F\"\r\n");
  // The DMX channel line (line 12) ends after its fifth column.
  const std::size_t cut = broken.find(" 1N  H");
  broken.erase(cut, broken.find("\r\n", cut) - cut);
  const std::string bad = AddFile("QQBAD.QPF", broken);
  const ProcessRun run = runner_.Execute({"check", "--format=gnu", DirText(*personalities_)});
  EXPECT_EQ(run.status, 3);
  std::vector<std::string> lines;
  for (std::size_t start = 0, end; (end = run.out.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(run.out.substr(start, end - start));
  }
  ASSERT_FALSE(lines.empty()) << run.out;
  // Each line names the file, then the line (and column) when there is one; the good file has none.
  bool sawError = false;
  for (const std::string& line : lines) {
    EXPECT_TRUE(line.starts_with(bad + ":")) << line;
    EXPECT_TRUE(line.find(": error: ") != std::string::npos || line.find(": warning: ") != std::string::npos) << line;
    sawError = sawError || (line.find(": error: ") != std::string::npos && line.starts_with(bad + ":12:"));
  }
  EXPECT_TRUE(sawError) << run.out;
  EXPECT_NE(run.out.find(bad + ": warning: the file name \"QQBAD.QPF\" starts with no known manufacturer code"),
            std::string::npos) << run.out;

  // The text output is as it always was when piped, and --json and --format exclude each other.
  const ProcessRun text = runner_.Execute({"check", DirText(*personalities_)});
  EXPECT_NE(text.out.find(good + ": built into both caches"), std::string::npos) << text.out;
  EXPECT_EQ(runner_.Execute({"check", "--json", "--format=gnu", good}).status, 1);
}

}  // namespace
}  // namespace hoardwright
