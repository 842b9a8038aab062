#pragma once
// Seeded inputs for the coder tests.
#include <cstdint>
#include <random>
#include <string_view>
#include <vector>

namespace hoardwright::lzss::testing {

using Bytes = std::vector<std::uint8_t>;

inline Bytes RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  Bytes bytes(size);
  for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
  return bytes;
}

// Words, spaces and line ends: many short and medium matches.
inline Bytes TextLike(std::size_t size, unsigned seed) {
  static constexpr std::string_view kWords[] = {
      "the ",   "channel ", "colour ", "wheel ",  "gobo ",    "pan ", "tilt ", "dimmer ", "preset ",
      "focus ", "range ",   "macro ",  "strobe ", "shutter ", "and ", "of ",   ".\r\n"};
  std::mt19937 random(seed);
  Bytes bytes;
  while (bytes.size() < size) {
    const auto word = kWords[random() % std::size(kWords)];
    bytes.insert(bytes.end(), word.begin(), word.end());
  }
  bytes.resize(size);
  return bytes;
}

// A run, random bytes past the first wrap of the window, then copies of earlier stretches:
// reaches the removal of window position 0 with a busy tree and plenty of long matches after it.
inline Bytes NodeZeroInput(unsigned seed, std::size_t copies) {
  std::mt19937 random(seed);
  Bytes bytes(300, 'A');
  for (int i = 0; i < 4000; ++i) bytes.push_back(static_cast<std::uint8_t>(random()));
  for (std::size_t copy = 0; copy < copies; ++copy) {
    const std::size_t start = random() % (bytes.size() - 64);
    const std::size_t length = 20 + random() % 40;
    for (std::size_t i = 0; i < length; ++i) bytes.push_back(bytes[start + i]);
  }
  return bytes;
}

}  // namespace hoardwright::lzss::testing
