#pragma once
// A personality text, an output buffer with a guard area behind it, and a message collector: what
// every reader test sets up.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "personality/LineStream.h"
#include "personality/OutputCursor.h"
#include "support/Reporter.h"

namespace hoardwright::testing {

inline constexpr std::uint8_t kGuardByte = 0xEE;
inline constexpr std::size_t kGuardSize = 16;

class ReaderBench {
 public:
  explicit ReaderBench(std::string text, std::size_t capacity = 4096,
                       personality::LineMode mode = personality::LineMode::Text)
      : stream(std::move(text), mode),
        storage_(capacity + kGuardSize, kGuardByte),
        cursor(std::span<std::uint8_t>(storage_).first(capacity)) {}

  std::vector<std::uint8_t> Written() const {
    return {cursor.Written().begin(), cursor.Written().end()};
  }
  // True while nothing was written into the guard area behind the buffer.
  bool GuardIntact() const {
    return std::all_of(storage_.end() - kGuardSize, storage_.end(),
                       [](std::uint8_t b) { return b == kGuardByte; });
  }
  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const auto& m : reporter.messages) texts.push_back(m.text);
    return texts;
  }

  personality::LineStream stream;

 private:
  std::vector<std::uint8_t> storage_;

 public:
  personality::OutputCursor cursor;
  support::CollectingReporter reporter;
};

// The bytes of a string with its NUL, for building expected encodings.
inline std::vector<std::uint8_t> Str(std::string_view text) {
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

inline std::vector<std::uint8_t> Concat(std::initializer_list<std::vector<std::uint8_t>> parts) {
  std::vector<std::uint8_t> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

using Bytes = std::vector<std::uint8_t>;

}  // namespace hoardwright::testing
