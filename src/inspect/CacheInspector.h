#pragma once
// Inspects a cache file held in memory: a file that starts with the magic "QenCache" is an
// extended cache, any other a standard cache. The inspectors decode every section they can reach
// with the layouts' own decoders and never read outside the file's bytes.
#include <cstdint>
#include <span>
#include <string>

#include "inspect/InspectReport.h"

namespace hoardwright::inspect {

bool IsExtendedCache(std::span<const std::uint8_t> file);

InspectReport InspectCache(std::span<const std::uint8_t> file, std::string path);

void InspectStandardCache(std::span<const std::uint8_t> file, InspectReport& report);
void InspectExtendedCache(std::span<const std::uint8_t> file, InspectReport& report);

}  // namespace hoardwright::inspect
