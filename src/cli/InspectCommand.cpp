// `hoardwright inspect`: shows what a cache file holds and whether it is intact.
#include <exception>
#include <iostream>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "cli/Subcommands.h"
#include "inspect/CacheInspector.h"
#include "inspect/InspectExtract.h"
#include "inspect/InspectJson.h"
#include "inspect/InspectText.h"
#include "inspect/TextFormat.h"
#include "preview/CacheComparison.h"
#include "preview/PersonalityStore.h"
#include "support/FileAccess.h"
#include "support/Platform.h"

namespace hoardwright::cli {
namespace {

// Exit statuses.
constexpr int kIntact = 0;
constexpr int kUnreadable = 2;
constexpr int kDamaged = 4;

struct InspectOptions {
  std::string file;
  bool json = false;
  std::string extractDir;
  std::string compareDir;  // compare the cache with this personality directory
};

int Inspect(const InspectOptions& options) {
  std::string reason;
  // Checked and read through one descriptor: a device, a pipe or a file past the limit is
  // refused before anything is read from it.
  const auto bytes =
      support::ReadRegularFile(support::ToPath(options.file), inspect::kMaxCacheFileSize, &reason);
  if (!bytes) {
    std::cerr << "hoardwright inspect: cannot read " << inspect::PathText(options.file) << ": "
              << reason << '\n';
    return kUnreadable;
  }
  const inspect::InspectReport report = inspect::InspectCache(*bytes, options.file);

  std::optional<std::vector<std::string>> extracted;
  if (!options.extractDir.empty()) {
    std::string error;
    extracted = inspect::ExtractInspected(report, support::ToPath(options.extractDir), &error);
    if (!extracted) {
      std::cerr << "hoardwright inspect: cannot extract: " << inspect::PathText(error) << '\n';
      return kUnreadable;
    }
  }

  std::optional<preview::CacheComparison> comparison;
  if (!options.compareDir.empty()) {
    preview::PersonalityStore store;
    comparison = preview::CompareWithDirectory(report, options.compareDir, store);
  }

  if (options.json) {
    nlohmann::ordered_json more = nlohmann::ordered_json::object();
    if (comparison) more["comparison"] = preview::ComparisonJson(*comparison);
    inspect::WriteInspectJson(report, extracted ? &*extracted : nullptr, std::cout, &more);
  } else {
    inspect::WriteInspectText(report, std::cout);
    if (extracted) {
      std::cout << "Extracted " << extracted->size() << " files into "
                << inspect::PathText(options.extractDir) << '\n';
    }
    if (comparison) preview::WriteComparisonText(*comparison, std::cout);
  }
  return report.Damaged() ? kDamaged : kIntact;
}

// Memory is bounded by the file, so running out of it is not expected; it still ends in a
// message and the status of an unreadable file, never in an abort.
int RunInspect(const InspectOptions& options) {
  try {
    return Inspect(options);
  } catch (const std::bad_alloc&) {
    std::cerr << "hoardwright inspect: out of memory reading " << inspect::PathText(options.file)
              << '\n';
  } catch (const std::exception& error) {
    std::cerr << "hoardwright inspect: " << error.what() << '\n';
  }
  return kUnreadable;
}

}  // namespace

void RegisterInspectCommand(CLI::App& app, int& exitStatus) {
  auto options = std::make_shared<InspectOptions>();
  auto* command = app.add_subcommand(
      "inspect",
      "Show what a cache file holds and check that it is intact.\n"
      "A file starting with \"QenCache\" is read as an extended cache, any other as a standard "
      "cache. Every section is decoded; the shape library and each personality's record are "
      "walked field by field. A damaged file is reported with the section, the record and the "
      "byte offset of each problem; text fields a build would have written otherwise are "
      "warnings. FILE must be a regular file of at most 512 MiB.\n"
      "With --compare DIR, the personalities of the cache are compared with those of the "
      "personality directory DIR, each compiled as the cache's build compiles it: unchanged "
      "(the same record), changed (another record), missing (not in DIR), new (in DIR, not in "
      "the cache).\n"
      "Exit status: 0 intact, 4 damaged, 2 the file could not be read or --extract failed, "
      "1 usage error.");
  // Checked when it is opened: a missing file, a directory or a device is "unreadable" (2).
  command->add_option("FILE", options->file, "Cache file (a regular file)")->required();
  command->add_flag("--json", options->json, "Print a JSON document instead of text");
  command->add_option("--extract", options->extractDir,
                      "Write the decoded streams and each personality's record into this "
                      "directory (made when missing; a link there is replaced, never followed)");
  command->add_option("--compare", options->compareDir,
                      "Compare the cache's personalities with those of this personality directory")
      ->check(ExistingDirectory());
  command->callback([options, &exitStatus] { exitStatus = RunInspect(*options); });
}

}  // namespace hoardwright::cli
