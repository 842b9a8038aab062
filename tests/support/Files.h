#pragma once
// File and text helpers every test area uses: whole files read and written as bytes, and the
// example personalities' directory.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace hoardwright::testing {

inline std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
  const std::string text = ReadText(path);
  return {text.begin(), text.end()};
}

inline void WriteText(const std::filesystem::path& path, std::string_view text) {
  std::ofstream(path, std::ios::binary) << text;
}

// `text` with each LF preceded by a CR, as personality files are shipped.
inline std::string Crlf(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out.push_back('\r');
    out.push_back(c);
  }
  return out;
}

// The example personalities' directory text, ending with "/".
inline std::string ExamplesDir() {
  return std::string(HOARDWRIGHT_SOURCE_DIR) + "/examples/personalities/";
}

}  // namespace hoardwright::testing
