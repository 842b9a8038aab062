#pragma once
// The plain-text form of an inspection: every section in file order, a one-line summary per
// personality, each personality's record field by field, and the verdict with every problem.
#include <ostream>
#include <string>
#include <string_view>

#include "inspect/InspectReport.h"

namespace hoardwright::inspect {

// "file", "stream", "shape data", "group data".
std::string_view SpaceName(OffsetSpace space);

// Where a problem lies: "personality record 3, stream offset 2417".
std::string LocationText(const Problem& problem);

// "MT.Wash700: 14 channels; blocks: 1 attribute, 2 range, 0 preset focus, 2 macro; 946 bytes".
std::string SummaryLine(const PersonalityView& personality);

// The date and time of an extended cache's info record: "2026-12-05 14:32:10".
std::string InfoDateTimeText(const extended::CacheInfoRecord& info);

void WriteInspectText(const InspectReport& report, std::ostream& out);

}  // namespace hoardwright::inspect
