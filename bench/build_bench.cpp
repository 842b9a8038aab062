// Whole builds of generated personality sets: the standard cache of 5000 personalities and the
// extended cache of 2000, on 1 and 2 threads, the standard one also with the reference encoder;
// and the directory scan of 5000 files. The sets are written once into a scratch directory
// (seeded, so every run builds the same files). Peak memory is measured by scripts/bench around
// the command line, where the whole process counts.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <optional>

#include "PersonalityGenerator.h"
#include "standard/StandardBuild.h"
#include "support/TemporaryDirectory.h"
#include "extended/ExtendedBuild.h"
#include "catalogue/ManufacturerTable.h"
#include "support/DirectoryText.h"
#include "catalogue/PersonalityScan.h"

namespace {

using namespace hoardwright;
namespace fs = std::filesystem;

constexpr std::uint64_t kSeed = 1;
const support::CalendarTime kFixedTime{2026, 12, 7, 12, 0, 0};

class QuietHost : public standard::WindowlessBuildHost {
 public:
  void ShowMessage(std::string_view, std::string_view) override {}
};

// The scratch directory and one generated set per size, made on first use.
struct Sets {
  std::optional<support::TemporaryDirectory> root = support::TemporaryDirectory::Create();
  std::map<std::size_t, std::vector<std::string>> paths;

  const std::vector<std::string>& Of(std::size_t count) {
    auto& set = paths[count];
    if (set.empty()) {
      for (const auto& path :
           tools::WritePersonalities(root->Path() / std::to_string(count), count, kSeed)) {
        set.push_back(path.string());
      }
    }
    return set;
  }
  fs::path Directory(std::size_t count) {
    Of(count);
    return root->Path() / std::to_string(count);
  }
  std::string Output() const { return (root->Path() / "out").string() + "/"; }
};

Sets& TheSets() {
  static Sets sets;
  return sets;
}

catalogue::BuildRequest Request(std::size_t count) {
  catalogue::BuildRequest request;
  request.entries = TheSets().Of(count);
  request.outputDir = TheSets().Output();
  fs::create_directories(request.outputDir);
  request.createdBy = "Bench";
  request.unattended = true;
  return request;
}

void StandardBuild(benchmark::State& state, bool reference) {
  const auto count = static_cast<std::size_t>(state.range(0));
  const catalogue::BuildRequest request = Request(count);
  standard::StandardBuildOptions options;
  options.buildTime = kFixedTime;
  options.jobs = static_cast<unsigned>(state.range(1));
  options.referenceEncoder = reference;
  std::int64_t size = 0;
  for (auto _ : state) {
    QuietHost host;
    const standard::StandardBuildResult result =
        standard::BuildStandardCache(request, host, options);
    if (!result.cacheWritten) state.SkipWithError("the standard build failed");
    size = result.cacheSize;
  }
  state.counters["cache_bytes"] = static_cast<double>(size);
}

void ExtendedBuild(benchmark::State& state) {
  const auto count = static_cast<std::size_t>(state.range(0));
  const catalogue::BuildRequest request = Request(count);
  extended::ExtendedBuildOptions options;
  options.time = kFixedTime;
  options.jobs = static_cast<unsigned>(state.range(1));
  for (auto _ : state) {
    support::SilentReporter reporter;
    if (!extended::BuildExtendedCache(request, reporter, options).Written()) {
      state.SkipWithError("the extended build failed");
    }
  }
}

void DirectoryScan(benchmark::State& state) {
  const fs::path directory = TheSets().Directory(static_cast<std::size_t>(state.range(0)));
  const catalogue::ManufacturerMap manufacturers = catalogue::LoadManufacturerMap();
  std::size_t listed = 0;
  for (auto _ : state) {
    support::SilentReporter reporter;
    const catalogue::PersonalityScan scan =
        catalogue::ScanPersonalityDirectory(support::WithTrailingSeparator(directory.string()),
                                            manufacturers, reporter, catalogue::SortState{});
    listed = scan.entries.size();
    benchmark::DoNotOptimize(listed);
  }
  state.counters["files"] = static_cast<double>(listed);
}

}  // namespace

BENCHMARK_CAPTURE(StandardBuild, fast, false)
    ->ArgNames({"personalities", "jobs"})
    ->Args({5000, 1})
    ->Args({5000, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(StandardBuild, reference, true)
    ->ArgNames({"personalities", "jobs"})
    ->Args({5000, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(ExtendedBuild)
    ->ArgNames({"personalities", "jobs"})
    ->Args({2000, 1})
    ->Args({2000, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(DirectoryScan)->ArgName("files")->Arg(5000)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
