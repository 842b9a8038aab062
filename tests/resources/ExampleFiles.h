#pragma once
// The example personalities of examples/personalities, read as the builds read them.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ResourceText.h"

namespace hoardwright::resources::test {

namespace fs = std::filesystem;

inline const fs::path kExamples = fs::path(HOARDWRIGHT_SOURCE_DIR) / "examples" / "personalities";

inline std::vector<fs::path> ExampleFiles() {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(kExamples)) {
    if (entry.path().extension() == ".QPF") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

inline std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The number of lines that start with `keyword`, as the compiler's searches match them.
inline std::size_t LinesStartingWith(const std::string& text, const std::string& keyword) {
  std::size_t count = 0;
  for (const auto& line : SplitCrLfLines(text)) count += line.starts_with(keyword) ? 1 : 0;
  return count;
}

}  // namespace hoardwright::resources::test
