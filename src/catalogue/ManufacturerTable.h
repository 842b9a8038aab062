#pragma once
// The fixed table of manufacturer codes that personality file names begin with, and the lookup
// of a file's display name from it.
#include <map>
#include <span>
#include <string>
#include <string_view>

namespace hoardwright::catalogue {

// Display names are exactly this long, padded with blanks on the right.
inline constexpr std::size_t kManufacturerNameLength = 17;

struct ManufacturerRow {
  std::string_view code;  // two or three upper-case letters
  std::string_view name;  // kManufacturerNameLength characters, blank-padded
};

// All 127 rows in table order.
std::span<const ManufacturerRow> ManufacturerRows();

// Code to padded display name.
using ManufacturerMap = std::map<std::string, std::string>;

ManufacturerMap LoadManufacturerMap();

// The display name for a personality's bare file name: its first two characters upper-cased, then
// its first three, then the unpadded "Unknown".
std::string ManufacturerNameForFile(const ManufacturerMap& map, std::string_view fileName);

}  // namespace hoardwright::catalogue
