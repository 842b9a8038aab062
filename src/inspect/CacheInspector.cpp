#include "inspect/CacheInspector.h"

#include <algorithm>

namespace hoardwright::inspect {

bool IsExtendedCache(std::span<const std::uint8_t> file) {
  return file.size() >= extended::kMagic.size() &&
         std::equal(extended::kMagic.begin(), extended::kMagic.end(), file.begin());
}

InspectReport InspectCache(std::span<const std::uint8_t> file, std::string path) {
  InspectReport report;
  report.path = std::move(path);
  report.fileSize = file.size();
  if (IsExtendedCache(file)) {
    report.kind = CacheKind::Extended;
    InspectExtendedCache(file, report);
  } else {
    report.kind = CacheKind::Standard;
    InspectStandardCache(file, report);
  }
  return report;
}

}  // namespace hoardwright::inspect
