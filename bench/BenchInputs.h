#pragma once
// Seeded benchmark inputs shaped like what the coder meets: random bytes (incompressible),
// English-like text (notes, names), and record-like data (compiled personalities: short
// NUL-terminated strings, small counts, runs of 12-byte table entries), plus degenerate inputs
// that are hard on the search tree. The same seed always gives the same bytes, so figures from
// different encoders compare.
#include <array>
#include <cstddef>
#include <cstdint>
#include <random>
#include <string_view>
#include <vector>

namespace hoardwright::bench {

inline constexpr std::size_t kDefaultInputSize = 4u << 20;  // 4 MiB

inline std::vector<std::uint8_t> RandomBytes(std::size_t size = kDefaultInputSize,
                                             unsigned seed = 1) {
  std::mt19937 random(seed);
  std::vector<std::uint8_t> bytes(size);
  for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
  return bytes;
}

inline std::vector<std::uint8_t> EnglishLikeText(std::size_t size = kDefaultInputSize,
                                                 unsigned seed = 2) {
  static constexpr std::string_view kWords[] = {
      "the",    "of",      "and",      "to",        "a",        "in",     "is",     "it",
      "that",   "for",     "on",       "with",      "as",       "was",    "at",     "by",
      "light",  "fixture", "channel",  "colour",    "position", "beam",   "lamp",   "stage",
      "moving", "console", "operator", "between",   "through",  "before", "after",  "show",
      "focus",  "preset",  "shutter",  "intensity", "rotation", "wheel",  "effect", "cue"};
  std::mt19937 random(seed);
  // Small word indexes far more often than large ones, roughly as in real text.
  std::geometric_distribution<std::size_t> pick(0.12);
  std::vector<std::uint8_t> text;
  text.reserve(size + 16);
  std::size_t column = 0;
  bool sentenceStart = true;
  while (text.size() < size) {
    const std::string_view word = kWords[pick(random) % std::size(kWords)];
    for (std::size_t i = 0; i < word.size(); ++i) {
      char c = word[i];
      if (i == 0 && sentenceStart) c = static_cast<char>(c - 'a' + 'A');
      text.push_back(static_cast<std::uint8_t>(c));
    }
    column += word.size() + 1;
    sentenceStart = random() % 9 == 0;
    if (sentenceStart) {
      text.push_back('.');
    } else if (random() % 13 == 0) {
      text.push_back(',');
    }
    if (column > 72) {
      text.push_back('\r');
      text.push_back('\n');
      column = 0;
    } else {
      text.push_back(' ');
    }
  }
  text.resize(size);
  return text;
}

inline std::vector<std::uint8_t> RecordLikeData(std::size_t size = kDefaultInputSize,
                                                unsigned seed = 3) {
  static constexpr std::string_view kNames[] = {"Spot 575", "Wash 1200", "Beam 5R", "Profile",
                                                "Dimmer",   "Scroller",  "LED Par", "Strobe"};
  static constexpr std::string_view kAttributes[] = {"Pan",  "Tilt",  "Colour",  "Gobo", "Iris",
                                                     "Zoom", "Focus", "Shutter", "Dim"};
  std::mt19937 random(seed);
  std::vector<std::uint8_t> data;
  data.reserve(size + 1024);
  auto putString = [&](std::string_view text) {
    data.insert(data.end(), text.begin(), text.end());
    data.push_back(0);
  };
  while (data.size() < size) {
    putString(kNames[random() % std::size(kNames)]);
    const unsigned channels = 4 + random() % 20;
    data.push_back(static_cast<std::uint8_t>(channels));
    for (unsigned channel = 0; channel < channels; ++channel) {
      putString(kAttributes[random() % std::size(kAttributes)]);
      data.push_back(static_cast<std::uint8_t>(random() % 8));
      data.push_back(static_cast<std::uint8_t>(channel + 1));
    }
    // A table of 12-byte entries that differ in a byte or two, as preset tables do.
    std::array<std::uint8_t, 12> entry{};
    for (auto& byte : entry) byte = static_cast<std::uint8_t>(random() % 64);
    const unsigned entries = random() % 24;
    data.push_back(static_cast<std::uint8_t>(entries));
    for (unsigned i = 0; i < entries; ++i) {
      entry[random() % entry.size()] = static_cast<std::uint8_t>(random());
      data.insert(data.end(), entry.begin(), entry.end());
    }
    data.push_back(0xFC);
  }
  data.resize(size);
  return data;
}

// Degenerate inputs, the search tree's hard cases. One byte over and over: every string matches
// the newest in full.
inline std::vector<std::uint8_t> SingleByteRun(std::size_t size = kDefaultInputSize,
                                               unsigned seed = 4) {
  return std::vector<std::uint8_t>(size, static_cast<std::uint8_t>(seed));
}

// A short pattern repeated: a handful of strings, each replaced by its newest copy.
inline std::vector<std::uint8_t> ShortPeriod(std::size_t size = kDefaultInputSize,
                                             unsigned seed = 5) {
  std::mt19937 random(seed);
  std::vector<std::uint8_t> pattern(3 + random() % 5);
  for (auto& byte : pattern) byte = static_cast<std::uint8_t>(random());
  std::vector<std::uint8_t> data(size);
  for (std::size_t i = 0; i < size; ++i) data[i] = pattern[i % pattern.size()];
  return data;
}

// Ascending runs (0 0 0 ... 1 1 1 ... 255, then again): each new string sorts after the ones
// before it, so the tree grows into a long chain that every search walks.
inline std::vector<std::uint8_t> AscendingRuns(std::size_t size = kDefaultInputSize,
                                               unsigned seed = 6) {
  const std::size_t run = 4 + seed % 13;
  std::vector<std::uint8_t> data(size);
  for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<std::uint8_t>(i / run);
  return data;
}

// Mostly zeros with a random byte now and then, like sparse tables: long runs broken often.
inline std::vector<std::uint8_t> SparseBytes(std::size_t size = kDefaultInputSize,
                                             unsigned seed = 7) {
  std::mt19937 random(seed);
  std::vector<std::uint8_t> data(size, 0);
  for (std::size_t i = random() % 64; i < size; i += 1 + random() % 64) {
    data[i] = static_cast<std::uint8_t>(random());
  }
  return data;
}

}  // namespace hoardwright::bench
