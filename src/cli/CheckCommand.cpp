// `hoardwright check`: what the builds would do with each personality file, by line.
#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/Subcommands.h"
#include "check/CheckOutput.h"
#include "check/PersonalityCheck.h"

namespace hoardwright::cli {
namespace {

// Exit statuses.
constexpr int kAllBuilt = 0;
constexpr int kSomeLeftOut = 3;

struct CheckOptions {
  std::vector<std::string> paths;
  bool json = false;
  std::string format = "text";
};

int RunCheck(const CheckOptions& options) {
  const std::vector<check::FileCheck> checks = check::CheckPaths(options.paths);
  if (options.json || options.format == "json") {
    std::cout << check::CheckJson(checks).dump(2) << '\n';
  } else if (options.format == "gnu") {
    check::WriteCheckGnu(checks, std::cout);
  } else {
    check::WriteCheckText(checks, std::cout);
  }
  const bool leftOut = std::ranges::any_of(checks, [](const auto& c) { return c.LeftOut(); });
  return leftOut ? kSomeLeftOut : kAllBuilt;
}

}  // namespace

void RegisterCheckCommand(CLI::App& app, int& exitStatus) {
  auto options = std::make_shared<CheckOptions>();
  auto* check = app.add_subcommand(
      "check",
      "Check personality files: what the standard and the extended build would do with each.\n"
      "Each PATH is a directory (its *.QPF files, listed as `build` lists them) or one "
      "personality file. Every file is read once, through the builds' own listing, readers and "
      "compilers; each finding names its line (and, for a DMX channel line, its column): a file "
      "that is not a regular file or is larger than 16 MB, a directory that cannot be listed, a "
      "missing keyword, a malformed DMX channel line, a section without its end keyword, a "
      "preset focus row without its closing quote, a section, block or table of more than 255 "
      "lines, channels or rows, a record over 65,535 bytes, a device name that another file "
      "takes, more personalities than a build takes, an unknown manufacturer code, a NAME line "
      "without two fields.\n"
      "Exit status: 0 every file would be built into both caches, 3 some would be left out, "
      "1 usage error.");
  check->add_option("PATH", options->paths, "Personality directories and files")
      ->required()
      ->check(ExistingPath());
  auto* json = check->add_flag("--json", options->json, "Print a JSON document instead of text");
  check->add_option("--format", options->format,
                    "text (the default), json (as --json) or gnu: one line per finding, "
                    "FILE:LINE:COLUMN: error|warning: MESSAGE, as editors and CI problem "
                    "matchers read them (a finding that leaves the file out is an error)")
      ->check(CLI::IsMember({"text", "json", "gnu"}))
      ->capture_default_str()
      ->excludes(json);
  check->callback([options, &exitStatus] { exitStatus = RunCheck(*options); });
}

}  // namespace hoardwright::cli
