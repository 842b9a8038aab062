// `hoardwright inspect` over damaged caches of both kinds: the examination and both of its
// renderings, as the command prints them.
#include <sstream>
#include <vector>

#include "FuzzEntries.h"
#include "extended/ExtendedCacheLayout.h"
#include "inspect/CacheInspector.h"
#include "inspect/InspectJson.h"
#include "inspect/InspectText.h"

namespace hoardwright::fuzz {

bool ExamineInputFits(Bytes data) { return data.size() <= kMaxExamineInput; }

namespace {

void ExamineAndRender(Bytes file) {
  const examine::ExamineReport report = examine::ExamineCache(file, "fuzz.CMP");
  Check(report.fileSize == file.size(), "the report gives the file's size");
  std::ostringstream text;
  examine::WriteExamineText(report, text);
  Check(!text.str().empty(), "the text report says something");
  std::ostringstream json;
  examine::WriteExamineJson(report, nullptr, json);
  Check(!json.str().empty(), "the JSON report says something");
}

}  // namespace

void ExamineStandard(Bytes data) {
  if (!ExamineInputFits(data)) return;
  if (examine::IsExtendedCache(data)) return;  // that file is read as the other kind
  ExamineAndRender(data);
}

void ExamineExtended(Bytes data) {
  if (!ExamineInputFits(data)) return;
  std::vector<std::uint8_t> file(extended::kMagic.begin(), extended::kMagic.end());
  file.insert(file.end(), data.begin(), data.end());
  ExamineAndRender(file);
}

}  // namespace hoardwright::fuzz
