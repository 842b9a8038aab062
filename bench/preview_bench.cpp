// The preview engine's latency: the size of a cache recomputed after one file changed (a cache
// near the 96k consoles' limit, and 5000 personalities), the first preview of 5000 with nothing
// kept, the extended cache of 2000 after one change, and the row checks of 5000 files. One
// file's change is what a directory watcher reports: the store forgets that file, and the next
// preview reads and compiles it again and codes the whole stream anew.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <optional>
#include <thread>

#include "PersonalityGenerator.h"
#include "check/PersonalityCheck.h"
#include "preview/CachePreview.h"
#include "preview/PersonalityStore.h"
#include "support/TemporaryDirectory.h"

namespace {

using namespace hoardwright;
namespace fs = std::filesystem;

constexpr std::uint64_t kSeed = 1;
const support::CalendarTime kFixedTime{2026, 12, 7, 12, 0, 0};
// Generated personalities average about 450 bytes of standard cache each: 215 of them make a
// cache of about 96k, the largest two of the consoles take.
constexpr std::size_t kNear96k = 215;

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
};

Sets& TheSets() {
  static Sets sets;
  return sets;
}

catalogue::BuildRequest Request(std::size_t count, catalogue::CacheType type) {
  catalogue::BuildRequest request;
  request.cacheType = type;
  request.entries = TheSets().Of(count);
  request.createdBy = "Bench";
  return request;
}

preview::PreviewOptions Options(unsigned jobs) {
  preview::PreviewOptions options;
  options.time = kFixedTime;
  options.jobs = jobs;
  return options;
}

void Report(benchmark::State& state, const preview::CachePreview& preview) {
  if (preview.outcome != preview::CachePreview::Outcome::WouldWrite) state.SkipWithError("no cache");
  state.counters["cache_bytes"] = static_cast<double>(preview.cacheSize);
}

// Every file kept already; each round one file is reported changed and the preview recomputed.
void AfterOneChange(benchmark::State& state, catalogue::CacheType type) {
  const auto count = static_cast<std::size_t>(state.range(0));
  const catalogue::BuildRequest request = Request(count, type);
  const preview::PreviewOptions options = Options(static_cast<unsigned>(state.range(1)));
  preview::PersonalityStore store;
  preview::CachePreview preview = preview::PreviewCache(request, store, options);
  std::size_t changed = 0;
  for (auto _ : state) {
    store.Invalidate(request.entries[changed++ % request.entries.size()]);
    preview = preview::PreviewCache(request, store, options);
  }
  Report(state, preview);
}

// Nothing kept: every file read and compiled.
void FirstPreview(benchmark::State& state) {
  const auto count = static_cast<std::size_t>(state.range(0));
  const catalogue::BuildRequest request = Request(count, catalogue::CacheType::Standard);
  const preview::PreviewOptions options = Options(static_cast<unsigned>(state.range(1)));
  preview::CachePreview preview;
  for (auto _ : state) {
    preview::PersonalityStore store;
    preview = preview::PreviewCache(request, store, options);
  }
  Report(state, preview);
}

// Every file's row check with nothing kept, on `jobs` threads, as a list fills its marks.
void RowChecks(benchmark::State& state) {
  const std::vector<std::string>& paths = TheSets().Of(static_cast<std::size_t>(state.range(0)));
  const auto jobs = static_cast<std::size_t>(state.range(1));
  std::size_t leftOut = 0;
  for (auto _ : state) {
    preview::PersonalityStore store;
    std::vector<std::size_t> counts(jobs, 0);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < jobs; ++t) {
      threads.emplace_back([&, t] {
        for (std::size_t i = t; i < paths.size(); i += jobs) {
          counts[t] += check::VerdictOf(*store.Check(paths[i])) == check::RowVerdict::LeftOut ? 1 : 0;
        }
      });
    }
    for (auto& thread : threads) thread.join();
    leftOut = 0;
    for (const std::size_t c : counts) leftOut += c;
  }
  state.counters["left_out"] = static_cast<double>(leftOut);
}

}  // namespace

BENCHMARK_CAPTURE(AfterOneChange, standard, catalogue::CacheType::Standard)
    ->ArgNames({"personalities", "jobs"})
    ->Args({kNear96k, 1})
    ->Args({kNear96k, 2})
    ->Args({5000, 1})
    ->Args({5000, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(AfterOneChange, extended, catalogue::CacheType::Extended)
    ->ArgNames({"personalities", "jobs"})
    ->Args({2000, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(FirstPreview)
    ->ArgNames({"personalities", "jobs"})
    ->Args({5000, 1})
    ->Args({5000, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(RowChecks)
    ->ArgNames({"files", "jobs"})
    ->Args({5000, 1})
    ->Args({5000, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
