#pragma once
// The inputs of one build as the main dialog holds them when Build Cache runs.
#include <string>
#include <vector>

namespace hoardwright::catalogue {

enum class CacheType { Standard, Extended };

struct BuildRequest {
  CacheType cacheType = CacheType::Standard;
  // The cache list's file paths in display order.
  std::vector<std::string> entries;
  bool includePresetFocus = true;
  bool includeRangeTables = true;
  bool includeMacros = true;
  std::string createdBy;
  std::string outputDir;  // ends with "/" when set through Browse or the command line
  std::string notes;
  // A command-line run: no details dialog, no result dialog, settings left alone.
  bool unattended = false;
};

}  // namespace hoardwright::catalogue
