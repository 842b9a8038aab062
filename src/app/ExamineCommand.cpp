// `hoardwright inspect`: shows what a cache file holds and whether it is intact.
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/Subcommands.h"
#include "examine/CacheExaminer.h"
#include "examine/ExamineExtract.h"
#include "examine/ExamineJson.h"
#include "examine/ExamineText.h"

namespace hoardwright::app {
namespace {

// Exit statuses.
constexpr int kIntact = 0;
constexpr int kUnreadable = 2;
constexpr int kDamaged = 4;

struct ExamineOptions {
  std::string file;
  bool json = false;
  std::string extractDir;
};

int RunExamine(const ExamineOptions& options) {
  std::ifstream input(options.file, std::ios::binary);
  std::vector<std::uint8_t> bytes;
  if (input) bytes.assign(std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>());
  if (!input && !input.eof()) {
    std::cerr << "hoardwright inspect: cannot read " << options.file << '\n';
    return kUnreadable;
  }
  const examine::ExamineReport report = examine::ExamineCache(bytes, options.file);

  std::optional<std::vector<std::string>> extracted;
  if (!options.extractDir.empty()) {
    std::string error;
    extracted = examine::ExtractExamined(report, options.extractDir, &error);
    if (!extracted) {
      std::cerr << "hoardwright inspect: cannot extract: " << error << '\n';
      return kUnreadable;
    }
  }

  if (options.json) {
    nlohmann::ordered_json json = examine::ExamineJson(report);
    if (extracted) json["extracted"] = *extracted;
    std::cout << json.dump(2) << '\n';
  } else {
    examine::WriteExamineText(report, std::cout);
    if (extracted) {
      std::cout << "Extracted " << extracted->size() << " files into " << options.extractDir << '\n';
    }
  }
  return report.Damaged() ? kDamaged : kIntact;
}

}  // namespace

void RegisterExamineCommand(CLI::App& app, int& exitStatus) {
  auto options = std::make_shared<ExamineOptions>();
  auto* command = app.add_subcommand(
      "inspect",
      "Show what a cache file holds and check that it is intact.\n"
      "A file starting with \"QenCache\" is read as an extended cache, any other as a standard "
      "cache. Every section is decoded; the shape library and each personality's record are "
      "walked field by field. A damaged file is reported with the section, the record and the "
      "byte offset of each problem.\n"
      "Exit status: 0 intact, 4 damaged, 2 the file could not be read or --extract failed, "
      "1 usage error.");
  command->add_option("FILE", options->file, "Cache file")->required()->check(CLI::ExistingFile);
  command->add_flag("--json", options->json, "Print a JSON document instead of text");
  command->add_option("--extract", options->extractDir,
                      "Write the decoded streams and each personality's record into this "
                      "directory");
  command->callback([options, &exitStatus] { exitStatus = RunExamine(*options); });
}

}  // namespace hoardwright::app
