#pragma once
// How `check` shows its findings: one block of lines per file as text, or one JSON document.
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "check/PersonalityCheck.h"

namespace hoardwright::check {

// "  LEFT OUT, line 17, column 7: malformed DMX channel line 17: ... [standard, extended]".
std::string CheckItemText(const CheckItem& item);

// Paths, device names and findings are shown with control characters escaped (Escaped).
void WriteCheckText(const std::vector<FileCheck>& checks, std::ostream& out);
// One line per finding in the form editors and CI problem matchers read:
// "FILE:LINE:COLUMN: error: MESSAGE [standard]" ("FILE:LINE:" without a column, "FILE:" without a
// line); a finding that leaves the file out of a cache is an error, any other a warning. A file
// without findings gives no line.
void WriteCheckGnu(const std::vector<FileCheck>& checks, std::ostream& out);
nlohmann::ordered_json CheckJson(const std::vector<FileCheck>& checks);

}  // namespace hoardwright::check
