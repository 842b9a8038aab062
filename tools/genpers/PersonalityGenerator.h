#pragma once
// Realistic personality files made from a seed, for scale tests and benchmarks: every one has
// the sections a console needs, and a varying share of the optional ones (attribute pages,
// range tables, preset focus tables, macros), with CR LF line ends as shipped files have. The
// same seed and index always give the same file, on any machine.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace hoardwright::tools {

struct GeneratedPersonality {
  std::string fileName;  // a manufacturer code from the table, then a number: "MT04711.QPF"
  std::string deviceName;  // unique within a set, at most 12 characters
  std::string text;
};

GeneratedPersonality GeneratePersonality(std::uint64_t seed, std::size_t index);

// Writes personalities 0 .. count-1 of the set into `directory` (created if needed) and returns
// their paths in index order. Throws std::filesystem::filesystem_error when a file cannot be
// written.
std::vector<std::filesystem::path> WritePersonalities(const std::filesystem::path& directory,
                                                      std::size_t count, std::uint64_t seed);

}  // namespace hoardwright::tools
