// `hoardwright inspect` over damaged caches of both kinds: the inspection and both of its
// renderings, as the command prints them.
#include <sstream>
#include <vector>

#include "FuzzEntries.h"
#include "extended/ExtendedCacheLayout.h"
#include "inspect/CacheInspector.h"
#include "inspect/InspectJson.h"
#include "inspect/InspectText.h"

namespace hoardwright::fuzz {

bool InspectInputFits(Bytes data) { return data.size() <= kMaxInspectInput; }

namespace {

void InspectAndRender(Bytes file) {
  const inspect::InspectReport report = inspect::InspectCache(file, "fuzz.CMP");
  Check(report.fileSize == file.size(), "the report gives the file's size");
  std::ostringstream text;
  inspect::WriteInspectText(report, text);
  Check(!text.str().empty(), "the text report says something");
  std::ostringstream json;
  inspect::WriteInspectJson(report, nullptr, json);
  Check(!json.str().empty(), "the JSON report says something");
}

}  // namespace

void InspectStandard(Bytes data) {
  if (!InspectInputFits(data)) return;
  if (inspect::IsExtendedCache(data)) return;  // that file is read as the other kind
  InspectAndRender(data);
}

void InspectExtended(Bytes data) {
  if (!InspectInputFits(data)) return;
  std::vector<std::uint8_t> file(extended::kMagic.begin(), extended::kMagic.end());
  file.insert(file.end(), data.begin(), data.end());
  InspectAndRender(file);
}

}  // namespace hoardwright::fuzz
