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
namespace {

void InspectAndRender(Bytes file) {
  const inspect::InspectReport report = inspect::InspectCache(file, "fuzz.CMP");
  Check(report.fileSize == file.size(), "the report gives the file's size");
  std::ostringstream text;
  inspect::WriteInspectText(report, text);
  Check(!text.str().empty(), "the text report says something");
  const std::string json = inspect::InspectJson(report).dump(2);
  Check(!json.empty(), "the JSON report says something");
}

}  // namespace

void InspectStandard(Bytes data) {
  if (inspect::IsExtendedCache(data)) return;  // that file is read as the other kind
  InspectAndRender(data);
}

void InspectExtended(Bytes data) {
  std::vector<std::uint8_t> file(extended::kMagic.begin(), extended::kMagic.end());
  file.insert(file.end(), data.begin(), data.end());
  InspectAndRender(file);
}

}  // namespace hoardwright::fuzz
