#include "examine/CacheExaminer.h"

#include <algorithm>

namespace hoardwright::examine {

bool IsExtendedCache(std::span<const std::uint8_t> file) {
  return file.size() >= extended::kMagic.size() &&
         std::equal(extended::kMagic.begin(), extended::kMagic.end(), file.begin());
}

ExamineReport ExamineCache(std::span<const std::uint8_t> file, std::string path) {
  ExamineReport report;
  report.path = std::move(path);
  report.fileSize = file.size();
  if (IsExtendedCache(file)) {
    report.kind = CacheKind::Extended;
    ExamineExtendedCache(file, report);
  } else {
    report.kind = CacheKind::Standard;
    ExamineStandardCache(file, report);
  }
  return report;
}

}  // namespace hoardwright::examine
