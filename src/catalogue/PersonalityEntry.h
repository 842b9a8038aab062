#pragma once
// One listed personality file: what the lists show (device and manufacturer) and what a build
// needs (the file's path). The builds read everything else from the file again.
#include <cstddef>
#include <string>

namespace hoardwright::catalogue {

// The lists show only the first 12 characters of a DEVICE text.
inline constexpr std::size_t kListDeviceNameLength = 12;

struct PersonalityEntry {
  std::string deviceName;        // at most kListDeviceNameLength characters
  std::string manufacturerName;  // the padded table name, or "Unknown"
  std::string filePath;          // directory text (ending with "/") followed by the file's name

  bool operator==(const PersonalityEntry&) const = default;
};

}  // namespace hoardwright::catalogue
