// Replays every fuzz target's seed corpus and saved crash inputs through the same entry the
// fuzzer runs, so a fixed crash stays fixed in the ordinary test suite. An entry aborts on a
// broken invariant, and the sanitizer build turns any memory fault into a failure.
#include <gtest/gtest.h>

#include "support/Files.h"
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "FuzzEntries.h"

namespace hoardwright::fuzz {
namespace {

namespace fs = std::filesystem;

const fs::path kFuzzDir = fs::path(HOARDWRIGHT_SOURCE_DIR) / "fuzz";

using hoardwright::testing::ReadBytes;

std::vector<fs::path> FilesIn(const fs::path& directory) {
  std::vector<fs::path> files;
  if (!fs::is_directory(directory)) return files;
  for (const auto& item : fs::directory_iterator(directory)) {
    if (item.is_regular_file()) files.push_back(item.path());
  }
  std::ranges::sort(files);
  return files;
}

class FuzzReplay : public ::testing::TestWithParam<Entry> {};

TEST_P(FuzzReplay, SeedCorpusRunsClean) {
  const auto seeds = FilesIn(kFuzzDir / "corpus" / std::string(GetParam().name));
  ASSERT_FALSE(seeds.empty()) << "every target starts from seeds of its own";
  for (const fs::path& seed : seeds) {
    SCOPED_TRACE(seed.string());
    GetParam().run(ReadBytes(seed));
  }
}

TEST_P(FuzzReplay, SavedCrashInputsStayFixed) {
  for (const fs::path& input : FilesIn(kFuzzDir / "regressions" / std::string(GetParam().name))) {
    SCOPED_TRACE(input.string());
    GetParam().run(ReadBytes(input));
  }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay, ::testing::ValuesIn(AllEntries().begin(), AllEntries().end()),
                         [](const auto& info) { return std::string(info.param.name); });

// A corpus or regression directory whose name matches no entry would silently never run.
TEST(FuzzReplayLayout, EveryInputDirectoryNamesATarget) {
  std::set<std::string> names;
  for (const Entry& entry : AllEntries()) names.insert(std::string(entry.name));
  for (const char* kind : {"corpus", "regressions"}) {
    if (!fs::is_directory(kFuzzDir / kind)) continue;
    for (const auto& item : fs::directory_iterator(kFuzzDir / kind)) {
      if (!item.is_directory()) continue;
      EXPECT_TRUE(names.contains(item.path().filename().string()))
          << kind << "/" << item.path().filename().string() << " has no fuzz entry";
    }
  }
}

}  // namespace
}  // namespace hoardwright::fuzz
