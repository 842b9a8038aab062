// `hoardwright build`: lists the personalities of the given directories and files as the main
// dialog's scan and Add All do, builds the cache unattended, and prints the result dialog's
// content. Never reads or writes the stored settings.
#include <algorithm>
#include <exception>
#include <filesystem>
#include <iostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/Subcommands.h"
#include "build/BuildHost.h"
#include "build/StandardBuild.h"
#include "extended/ExtendedBuild.h"
#include "personality/ManufacturerTable.h"
#include "ui/BuildDetails.h"
#include "ui/BuildRequest.h"
#include "ui/CacheResult.h"
#include "ui/DirectoryText.h"
#include "ui/MainDialogModel.h"
#include "ui/PersonalityListModel.h"
#include "ui/PersonalityScan.h"

namespace hoardwright::app {
namespace {

// Exit statuses.
constexpr int kAllBuilt = 0;
constexpr int kUsageError = 1;
constexpr int kNotWritten = 2;
constexpr int kSomeLeftOut = 3;

struct BuildOptions {
  std::string type = "standard";
  std::string output = std::string(ui::kDefaultCacheFileName);
  std::string createdBy;
  std::string notes;
  bool noPresetFocus = false;
  bool noRangeTables = false;
  bool noMacros = false;
  std::vector<std::string> paths;
  unsigned jobs = 0;  // 0: the machine's hardware threads
  // Options given that only the standard cache uses.
  std::vector<std::string> standardOnlyGiven;
};

// A message box becomes one line on standard error.
void PrintMessageLine(std::string_view text) {
  std::string line;
  for (const char c : text) {
    if (c == '\r' || c == '\n') {
      if (!line.empty() && line.back() != ' ') line.push_back(' ');
    } else {
      line.push_back(c);
    }
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  std::cerr << line << '\n';
}

class StderrReporter : public Reporter {
 public:
  void ShowMessage(std::string_view text, std::string_view) override { PrintMessageLine(text); }
};

class CommandLineHost : public WindowlessBuildHost {
 public:
  void ShowMessage(std::string_view text, std::string_view) override { PrintMessageLine(text); }

  void ShowResult(std::int64_t cacheSize, std::int32_t personalityCount) override {
    const ui::CacheResult result = ui::DecideCacheResult(cacheSize, personalityCount);
    std::cout << result.sizeText << '\n';
    for (const ui::ConsoleFit& console : result.consoles) {
      std::cout << console.consoleName << ' ' << console.limitLabel << ": "
                << (console.fits ? "fits" : "does not fit") << '\n';
    }
  }
};

// The cache list that the given paths make, and the personality files that could not be listed.
struct CacheListing {
  ui::PersonalityListModel cacheList;
  std::vector<std::string> unlisted;
};

// Files of a directory that the scan dropped because they could not be read or have no DEVICE
// line (not those that repeat a device name, which the scan leaves out on purpose).
void CollectUnlisted(const ui::PersonalityScan& scan, const ManufacturerMap& manufacturers,
                     std::vector<std::string>& unlisted) {
  std::set<std::string> listed;
  for (const auto& entry : scan.entries) listed.insert(entry.filePath);
  for (const std::string& name : ui::ListPersonalityFiles(scan.personalityDir)) {
    const std::string path = scan.personalityDir + name;
    if (listed.contains(path)) continue;
    SilentReporter silent;
    if (!ui::ReadPersonalityEntry(path, manufacturers, silent)) unlisted.push_back(path);
  }
}

CacheListing ListPaths(const std::vector<std::string>& paths) {
  const ManufacturerMap manufacturers = LoadManufacturerMap();
  StderrReporter reporter;
  CacheListing listing;
  for (const std::string& path : paths) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
      const ui::PersonalityScan scan =
          ui::ScanPersonalityDirectory(ui::WithTrailingSeparator(path), manufacturers, reporter,
                                       ui::SortState{});
      for (const auto& entry : scan.entries) ui::CopyToCacheList(entry, listing.cacheList);
      CollectUnlisted(scan, manufacturers, listing.unlisted);
    } else if (auto entry = ui::ReadPersonalityEntry(path, manufacturers, reporter)) {
      ui::CopyToCacheList(*entry, listing.cacheList);
    } else {
      listing.unlisted.push_back(path);
    }
    // As Add All does after each batch.
    listing.cacheList.SortByState();
  }
  return listing;
}

// The details dialog's notes field holds CR LF line ends; a shell argument has LF.
std::string NotesFromArgument(std::string_view text) {
  std::string notes;
  for (const char c : text) {
    if (c == '\n' && (notes.empty() || notes.back() != '\r')) notes.push_back('\r');
    notes.push_back(c);
  }
  return ui::CutNotes(std::move(notes));
}

// The details dialog's created-by field is a single line: a line break would start a line of
// its own in the info personality.
std::string CreatedByFromArgument(std::string text) {
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return text;
}

// "--output" names the cache file; an existing directory (or a text ending in "/") gets the
// default file name inside it.
void SplitOutput(const std::string& output, ui::BuildRequest& request, std::string& fileName) {
  std::error_code error;
  if (output.ends_with('/') || std::filesystem::is_directory(output, error)) {
    request.outputDir = ui::WithTrailingSeparator(output);
    fileName = ui::kDefaultCacheFileName;
    return;
  }
  const std::filesystem::path path(output);
  request.outputDir =
      path.has_parent_path() ? ui::WithTrailingSeparator(path.parent_path().string()) : "";
  fileName = path.filename().string();
}

int RunStandardBuild(const BuildOptions& options, const CacheListing& listing) {
  ui::BuildRequest request;
  request.cacheType = ui::CacheType::Standard;
  request.entries = listing.cacheList.FilePaths();
  request.includePresetFocus = !options.noPresetFocus;
  request.includeRangeTables = !options.noRangeTables;
  request.includeMacros = !options.noMacros;
  request.createdBy = CreatedByFromArgument(options.createdBy);
  request.notes = NotesFromArgument(options.notes);
  request.unattended = true;

  StandardBuildOptions buildOptions;
  SplitOutput(options.output, request, buildOptions.outputFileName);
  buildOptions.jobs = options.jobs;

  CommandLineHost host;
  const StandardBuildResult result = BuildStandardCache(request, host, buildOptions);
  if (!result.cacheWritten) return kNotWritten;

  for (const std::string& path : listing.unlisted) {
    std::cerr << "Left out of the cache: " << path << '\n';
  }
  for (const LeftOutPersonality& leftOut : result.leftOut) {
    std::cerr << "Left out of the cache: " << leftOut.path << '\n';
  }
  return listing.unlisted.empty() && result.leftOut.empty() ? kAllBuilt : kSomeLeftOut;
}

// The extended cache has no info personality and always keeps every table.
int RunExtendedBuild(const BuildOptions& options, const CacheListing& listing) {
  ui::BuildRequest request;
  request.cacheType = ui::CacheType::Extended;
  request.entries = listing.cacheList.FilePaths();
  request.unattended = true;
  extended::ExtendedBuildOptions buildOptions;
  SplitOutput(options.output, request, buildOptions.outputFileName);
  buildOptions.jobs = options.jobs;

  StderrReporter reporter;
  const extended::ExtendedBuildResult result =
      extended::BuildExtendedCache(request, reporter, buildOptions);
  if (!result.Written()) return kNotWritten;
  std::cout << result.personalityCount << " personalities written to "
            << result.outputPath.string() << '\n';
  std::vector<std::string> leftOut = listing.unlisted;
  leftOut.insert(leftOut.end(), result.leftOut.begin(), result.leftOut.end());
  for (const std::string& path : leftOut) std::cerr << "Left out of the cache: " << path << '\n';
  return leftOut.empty() ? kAllBuilt : kSomeLeftOut;
}

int RunBuild(const BuildOptions& options) {
  if (options.type == "extended" && !options.standardOnlyGiven.empty()) {
    std::cerr << "hoardwright build: " << options.standardOnlyGiven.front()
              << " does not apply to --type extended (it has no info personality and keeps "
                 "every table)\nRun with --help for more information.\n";
    return kUsageError;
  }
  try {
    const CacheListing listing = ListPaths(options.paths);
    if (options.type == "extended") return RunExtendedBuild(options, listing);
    return RunStandardBuild(options, listing);
  } catch (const std::exception& error) {
    std::cerr << "hoardwright build: " << error.what() << '\n';
    return kNotWritten;
  }
}

}  // namespace

void RegisterBuildCommand(CLI::App& app, int& exitStatus) {
  auto options = std::make_shared<BuildOptions>();
  auto* build = app.add_subcommand(
      "build",
      "Build a cache file from personality files.\n"
      "Each PATH is a directory (all its *.QPF files are listed, as the desktop's scan does) or "
      "one personality file. The cache list is sorted by device name; a personality whose device "
      "name matches an earlier one regardless of case replaces it.\n"
      "Prints the cache size and whether it fits each console. Exit status: 0 all built, "
      "3 written but some personalities left out (named on standard error), 2 no cache written, "
      "1 usage error.");
  build->add_option("--type", options->type, "Cache type")
      ->check(CLI::IsMember({"standard", "extended"}))
      ->capture_default_str();
  build->add_option("--output", options->output,
                    "Cache file to write (an existing directory gets OMK01PER.CMP inside it)")
      ->capture_default_str();
  build->add_option("--created-by", options->createdBy, "Created-by text of the info personality");
  build->add_option("--notes", options->notes,
                    "Notes of the info personality (at most ten lines of 20 characters are kept)");
  build->add_flag("--no-preset-focus", options->noPresetFocus, "Leave preset focus tables out");
  build->add_flag("--no-range-tables", options->noRangeTables, "Leave range tables out");
  build->add_flag("--no-macros", options->noMacros, "Leave macros out");
  build->add_option("--jobs,-j", options->jobs,
                    "Threads to build with (default: the machine's hardware threads); the cache "
                    "file is the same for any number")
      ->check(CLI::Range(1U, 256U));
  build->add_option("PATH", options->paths, "Personality directories and files")
      ->required()
      ->check(CLI::ExistingPath);
  build->callback([options, build, &exitStatus] {
    for (const char* name :
         {"--created-by", "--notes", "--no-preset-focus", "--no-range-tables", "--no-macros"}) {
      if (build->count(name) > 0) options->standardOnlyGiven.push_back(name);
    }
    exitStatus = RunBuild(*options);
  });
}

}  // namespace hoardwright::app
