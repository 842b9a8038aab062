#pragma once
// The JSON form of an inspection. Its keys are stable: scripts may rely on them.
#include <nlohmann/json.hpp>

#include "inspect/InspectReport.h"

namespace hoardwright::inspect {

nlohmann::ordered_json InspectJson(const InspectReport& report);

// A walked personality record, also used by tests to compare two records field by field.
nlohmann::ordered_json RecordJson(const WalkedRecord& record);

}  // namespace hoardwright::inspect
