#pragma once
// The JSON form of an inspection. Its keys are stable: scripts may rely on them.
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "inspect/InspectReport.h"

namespace hoardwright::inspect {

// Writes the document a piece at a time, so that its size in memory stays that of one record;
// `extracted` (when given) lists the files --extract wrote; the members of `more` (an object,
// when given) close the document.
void WriteInspectJson(const InspectReport& report, const std::vector<std::string>* extracted,
                      std::ostream& out, const nlohmann::ordered_json* more = nullptr);

// A walked personality record, also used by tests to compare two records field by field.
nlohmann::ordered_json RecordJson(const WalkedRecord& record);

}  // namespace hoardwright::inspect
