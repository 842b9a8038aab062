// `hoardwright build`: lists the personalities of the given directories and files as the main
// dialog's scan and Add All do, builds the cache unattended, and prints the result dialog's
// content. Never reads or writes the stored settings.
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/BuildDetails.h"
#include "catalogue/BuildRequest.h"
#include "catalogue/CacheListing.h"
#include "catalogue/ManufacturerTable.h"
#include "cli/Subcommands.h"
#include "extended/ExtendedBuild.h"
#include "inspect/TextFormat.h"
#include "preview/CachePreview.h"
#include "preview/PersonalityStore.h"
#include "standard/BuildHost.h"
#include "standard/CacheResult.h"
#include "standard/StandardBuild.h"
#include "support/DirectoryText.h"
#include "support/Platform.h"

namespace hoardwright::cli {
namespace {

// Exit statuses.
constexpr int kAllBuilt = 0;
constexpr int kUsageError = 1;
constexpr int kNotWritten = 2;
constexpr int kSomeLeftOut = 3;

struct BuildOptions {
  std::string type = "standard";
  std::string output = std::string(catalogue::kDefaultCacheFileName);
  std::string createdBy;
  std::string notes;
  bool noPresetFocus = false;
  bool noRangeTables = false;
  bool noMacros = false;
  std::vector<std::string> paths;
  unsigned jobs = 0;  // 0: the machine's hardware threads
  bool dryRun = false;  // compile and compress in memory, write nothing
  const support::CancelToken* cancel = nullptr;  // a signal stops the build
  // Options given that only the standard cache uses.
  std::vector<std::string> standardOnlyGiven;
};

// A message box becomes one line on standard error: the line end a message text closes with is
// dropped, and every other control character (of a file name, say) is shown escaped, so that
// nothing a file is named can move the cursor, ring the bell or start a line of its own.
void PrintMessageLine(std::string_view text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
  std::cerr << inspect::EscapedPath(text) << '\n';
}

class StderrReporter : public support::Reporter {
 public:
  void ShowMessage(std::string_view text, std::string_view) override { PrintMessageLine(text); }
};

// The result dialog's content.
void PrintResult(const standard::CacheResult& result) {
  std::cout << result.sizeText << '\n';
  for (const standard::ConsoleFit& console : result.consoles) {
    std::cout << console.consoleName << ' ' << console.limitLabel << ": "
              << (console.fits ? "fits" : "does not fit") << '\n';
  }
}

class CommandLineHost : public standard::WindowlessBuildHost {
 public:
  void ShowMessage(std::string_view text, std::string_view) override { PrintMessageLine(text); }

  void ShowResult(std::int64_t cacheSize, std::int32_t personalityCount) override {
    PrintResult(standard::DecideCacheResult(cacheSize, personalityCount));
  }
};

// The details dialog's notes field holds CR LF line ends; a shell argument has LF.
std::string NotesFromArgument(std::string_view text) {
  std::string notes;
  for (const char c : text) {
    if (c == '\n' && (notes.empty() || notes.back() != '\r')) notes.push_back('\r');
    notes.push_back(c);
  }
  return catalogue::CutNotes(std::move(notes));
}

// The details dialog's created-by field is a single line: a line break would start a line of
// its own in the info personality.
std::string CreatedByFromArgument(std::string text) {
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return text;
}

// "--output" names the cache file; an existing directory (or a text ending in a separator) gets the
// default file name inside it.
void SplitOutput(const std::string& output, catalogue::BuildRequest& request,
                 std::string& fileName) {
  std::error_code error;
  if ((!output.empty() && support::EndsWithSeparator(output)) ||
      std::filesystem::is_directory(support::ToPath(output), error)) {
    request.outputDir = support::WithTrailingSeparator(output);
    fileName = catalogue::kDefaultCacheFileName;
    return;
  }
  const std::filesystem::path path = support::ToPath(output);
  request.outputDir = path.has_parent_path()
                          ? support::WithTrailingSeparator(support::PathText(path.parent_path()))
                          : "";
  fileName = support::PathText(path.filename());
}

// Names every file the cache would not hold, the unlisted ones first, as the builds do.
int LeftOutStatus(const catalogue::CacheListing& listing, const std::vector<std::string>& leftOut) {
  for (const catalogue::UnlistedPath& unlisted : listing.unlisted) {
    std::cerr << "Left out of the cache: " << inspect::EscapedPath(unlisted.path) << '\n';
  }
  for (const std::string& path : leftOut) {
    std::cerr << "Left out of the cache: " << inspect::EscapedPath(path) << '\n';
  }
  return listing.unlisted.empty() && leftOut.empty() ? kAllBuilt : kSomeLeftOut;
}

int RunStandardBuild(const BuildOptions& options, const catalogue::CacheListing& listing) {
  catalogue::BuildRequest request;
  request.cacheType = catalogue::CacheType::Standard;
  request.entries = listing.cacheList.FilePaths();
  request.includePresetFocus = !options.noPresetFocus;
  request.includeRangeTables = !options.noRangeTables;
  request.includeMacros = !options.noMacros;
  request.createdBy = CreatedByFromArgument(options.createdBy);
  request.notes = NotesFromArgument(options.notes);
  request.unattended = true;

  standard::StandardBuildOptions buildOptions;
  SplitOutput(options.output, request, buildOptions.outputFileName);
  buildOptions.jobs = options.jobs;
  buildOptions.cancel = options.cancel;

  CommandLineHost host;
  const standard::StandardBuildResult result =
      standard::BuildStandardCache(request, host, buildOptions);
  if (!result.cacheWritten) return kNotWritten;
  std::vector<std::string> leftOut;
  for (const standard::LeftOutPersonality& personality : result.leftOut) {
    leftOut.push_back(personality.path);
  }
  return LeftOutStatus(listing, leftOut);
}

// The extended cache has no info personality and always keeps every table.
int RunExtendedBuild(const BuildOptions& options, const catalogue::CacheListing& listing) {
  catalogue::BuildRequest request;
  request.cacheType = catalogue::CacheType::Extended;
  request.entries = listing.cacheList.FilePaths();
  request.unattended = true;
  extended::ExtendedBuildOptions buildOptions;
  SplitOutput(options.output, request, buildOptions.outputFileName);
  buildOptions.jobs = options.jobs;
  buildOptions.cancel = options.cancel;

  StderrReporter reporter;
  const extended::ExtendedBuildResult result =
      extended::BuildExtendedCache(request, reporter, buildOptions);
  if (!result.Written()) return kNotWritten;
  std::cout << result.personalityCount << " personalities written to "
            << support::PathText(result.outputPath) << '\n';
  return LeftOutStatus(listing, result.leftOut);
}

// The build's summary and messages from the same steps run in memory: nothing is written, not
// even a working file, and the exit status is the build's.
int RunDryRun(const BuildOptions& options, const catalogue::CacheListing& listing) {
  catalogue::BuildRequest request;
  request.entries = listing.cacheList.FilePaths();
  request.unattended = true;
  if (options.type == "extended") {
    request.cacheType = catalogue::CacheType::Extended;
  } else {
    request.includePresetFocus = !options.noPresetFocus;
    request.includeRangeTables = !options.noRangeTables;
    request.includeMacros = !options.noMacros;
    request.createdBy = CreatedByFromArgument(options.createdBy);
    request.notes = NotesFromArgument(options.notes);
  }
  preview::PreviewOptions previewOptions;
  SplitOutput(options.output, request, previewOptions.outputFileName);
  previewOptions.jobs = options.jobs;
  previewOptions.cancel = options.cancel;

  preview::PersonalityStore store;
  const preview::CachePreview preview = preview::PreviewCache(request, store, previewOptions);
  for (const support::ReportedMessage& message : preview.messages) PrintMessageLine(message.text);
  if (preview.outcome != preview::CachePreview::Outcome::WouldWrite) return kNotWritten;
  if (preview.consoles) {
    PrintResult(*preview.consoles);
  } else {
    std::cout << preview.recordCount << " personalities would be written to "
              << preview.outputPath << '\n';
  }
  std::cout << "Dry run: " << preview.outputPath << " would be " << preview.cacheSize
            << " bytes; nothing was written\n";
  return LeftOutStatus(listing, preview.leftOut);
}

int RunBuild(const BuildOptions& options) {
  if (options.type == "extended" && !options.standardOnlyGiven.empty()) {
    std::cerr << "hoardwright build: " << options.standardOnlyGiven.front()
              << " does not apply to --type extended (it has no info personality and keeps "
                 "every table)\nRun with --help for more information.\n";
    return kUsageError;
  }
  try {
    StderrReporter reporter;
    const catalogue::CacheListing listing =
        catalogue::ListCacheEntries(options.paths, catalogue::LoadManufacturerMap(), reporter);
    if (options.dryRun) return RunDryRun(options, listing);
    if (options.type == "extended") return RunExtendedBuild(options, listing);
    return RunStandardBuild(options, listing);
  } catch (const std::exception& error) {
    std::cerr << "hoardwright build: " << error.what() << '\n';
    return kNotWritten;
  }
}

}  // namespace

void RegisterBuildCommand(CLI::App& app, int& exitStatus, const support::CancelToken* cancel) {
  auto options = std::make_shared<BuildOptions>();
  options->cancel = cancel;
  auto* build = app.add_subcommand(
      "build",
      "Build a cache file from personality files.\n"
      "Each PATH is a directory (all its *.QPF files are listed, as the desktop's scan does) or "
      "one personality file. The cache list is sorted by device name; a personality whose device "
      "name matches an earlier one regardless of case replaces it.\n"
      "Prints the cache size and whether it fits each console. Exit status: 0 all built, "
      "3 written but some personalities left out (named on standard error), 2 no cache written, "
      "1 usage error.\n"
      "With --dry-run the build runs in memory: it prints the same messages and summary, then "
      "the exact size the file would have, writes nothing (no cache, no working file) and ends "
      "with the status the build would.");
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
  build->add_flag("--dry-run", options->dryRun,
                  "Compile and compress in memory and print the summary; write nothing");
  build->add_option("--jobs,-j", options->jobs,
                    "Threads to build with (default: the machine's hardware threads); the cache "
                    "file is the same for any number")
      ->check(CLI::Range(1U, 256U));
  build->add_option("PATH", options->paths, "Personality directories and files")
      ->required()
      ->check(ExistingPath());
  build->callback([options, build, &exitStatus] {
    for (const char* name :
         {"--created-by", "--notes", "--no-preset-focus", "--no-range-tables", "--no-macros"}) {
      if (build->count(name) > 0) options->standardOnlyGiven.push_back(name);
    }
    exitStatus = RunBuild(*options);
  });
}

}  // namespace hoardwright::cli
