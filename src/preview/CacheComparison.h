#pragma once
// An existing cache against a personality directory: for every personality the cache holds,
// whether the directory has it with the same compiled record (unchanged), with another one
// (changed) or not at all (missing); and which of the directory's personalities the cache lacks
// (new). The cache is read by inspect's examiners, the directory listed by the desktop's scan
// and each file compiled as the build of the cache's kind compiles it.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "catalogue/PersonalityEntry.h"
#include "inspect/InspectReport.h"
#include "preview/PersonalityStore.h"
#include "standard/PersonalityCompiler.h"
#include "support/CancelToken.h"

namespace hoardwright::preview {

enum class RecordState { Unchanged, Changed, Missing };

struct ComparedRecord {
  std::size_t number = 0;    // the cache's index or table record
  std::string device;        // as the cache holds it
  std::string manufacturer;  // extended: the manufacturer's name
  RecordState state = RecordState::Missing;
  std::string path;  // the directory's file of the same personality; empty when missing
};

struct CacheComparison {
  std::string directory;
  std::string scanError;  // why the directory could not be listed; empty when it was
  // Standard cache: the table options the cache's records were compiled with, taken as the
  // setting under which most of them match (all tables on a tie). Records are compared under it.
  std::optional<standard::TableOptions> tables;
  // Every personality of the cache in its order, the standard cache's info personality left out.
  std::vector<ComparedRecord> records;
  // The directory's personalities that the cache does not hold, in the scan's order.
  std::vector<catalogue::PersonalityEntry> added;
  bool cancelled = false;

  std::size_t Count(RecordState state) const;
  // The directory's files of the cache's personalities that it has, in the cache's order: the
  // cache list that rebuilds the cache.
  std::vector<std::string> PathsInDirectory() const;
};

CacheComparison CompareWithDirectory(const inspect::InspectReport& report,
                                     const std::string& directory, PersonalityStore& store,
                                     const support::CancelToken* cancel = nullptr);

// "unchanged", "changed", "missing".
const char* StateName(RecordState state);

// The comparison as text lines and as JSON (for `inspect --compare`).
void WriteComparisonText(const CacheComparison& comparison, std::ostream& out);
nlohmann::ordered_json ComparisonJson(const CacheComparison& comparison);

}  // namespace hoardwright::preview
