#pragma once
// The JSON form of an examination. Its keys are stable: scripts may rely on them.
#include <nlohmann/json.hpp>

#include "examine/ExamineReport.h"

namespace hoardwright::examine {

nlohmann::ordered_json ExamineJson(const ExamineReport& report);

// A walked personality record, also used by tests to compare two records field by field.
nlohmann::ordered_json RecordJson(const WalkedRecord& record);

}  // namespace hoardwright::examine
