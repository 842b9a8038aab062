// `hoardwright inspect`: shows what a cache file holds and whether it is intact.
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/Subcommands.h"
#include "inspect/CacheInspector.h"
#include "inspect/InspectExtract.h"
#include "inspect/InspectJson.h"
#include "inspect/InspectText.h"

namespace hoardwright::app {
namespace {

// Exit statuses.
constexpr int kIntact = 0;
constexpr int kUnreadable = 2;
constexpr int kDamaged = 4;

struct InspectOptions {
  std::string file;
  bool json = false;
  std::string extractDir;
};

int RunInspect(const InspectOptions& options) {
  std::ifstream input(options.file, std::ios::binary);
  std::vector<std::uint8_t> bytes;
  if (input) bytes.assign(std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>());
  if (!input && !input.eof()) {
    std::cerr << "hoardwright inspect: cannot read " << options.file << '\n';
    return kUnreadable;
  }
  const inspect::InspectReport report = inspect::InspectCache(bytes, options.file);

  std::optional<std::vector<std::string>> extracted;
  if (!options.extractDir.empty()) {
    std::string error;
    extracted = inspect::ExtractInspected(report, options.extractDir, &error);
    if (!extracted) {
      std::cerr << "hoardwright inspect: cannot extract: " << error << '\n';
      return kUnreadable;
    }
  }

  if (options.json) {
    nlohmann::ordered_json json = inspect::InspectJson(report);
    if (extracted) json["extracted"] = *extracted;
    std::cout << json.dump(2) << '\n';
  } else {
    inspect::WriteInspectText(report, std::cout);
    if (extracted) {
      std::cout << "Extracted " << extracted->size() << " files into " << options.extractDir << '\n';
    }
  }
  return report.Damaged() ? kDamaged : kIntact;
}

}  // namespace

void RegisterInspectCommand(CLI::App& app, int& exitStatus) {
  auto options = std::make_shared<InspectOptions>();
  auto* inspect = app.add_subcommand(
      "inspect",
      "Show what a cache file holds and check that it is intact.\n"
      "A file starting with \"QenCache\" is read as an extended cache, any other as a standard "
      "cache. Every section is decoded; the shape library and each personality's record are "
      "walked field by field. A damaged file is reported with the section, the record and the "
      "byte offset of each problem.\n"
      "Exit status: 0 intact, 4 damaged, 2 the file could not be read or --extract failed, "
      "1 usage error.");
  inspect->add_option("FILE", options->file, "Cache file")->required()->check(CLI::ExistingFile);
  inspect->add_flag("--json", options->json, "Print a JSON document instead of text");
  inspect->add_option("--extract", options->extractDir,
                      "Write the decoded streams and each personality's record into this "
                      "directory");
  inspect->callback([options, &exitStatus] { exitStatus = RunInspect(*options); });
}

}  // namespace hoardwright::app
