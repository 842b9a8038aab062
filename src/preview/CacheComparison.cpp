#include "preview/CacheComparison.h"

#include <algorithm>
#include <array>
#include <map>
#include <ostream>
#include <span>

#include "catalogue/PersonalityScan.h"
#include "extended/ExtendedCacheLayout.h"
#include "inspect/TextFormat.h"
#include "support/DirectoryText.h"

namespace hoardwright::preview {
namespace {

// The eight table settings, every table included first: the one a tie goes to.
constexpr std::array<standard::TableOptions, 8> kTableSettings{{
    {true, true, true},
    {true, true, false},
    {true, false, true},
    {false, true, true},
    {true, false, false},
    {false, true, false},
    {false, false, true},
    {false, false, false},
}};

// The text a fixed-width field of the extended cache keeps of `text`.
template <std::size_t Width>
std::string AsStored(std::string_view text) {
  std::array<std::uint8_t, Width> field{};
  extended::SetTextField(field, text);
  return extended::TextField(field);
}

// What identifies a personality in a cache of each kind: the standard index record's device
// text; the extended record's manufacturer, fixture name and device name.
std::string ExtendedKey(std::string_view manufacturer, std::string_view fixture, std::string_view device) {
  return std::string(manufacturer) + '\0' + std::string(fixture) + '\0' + std::string(device);
}

// The standard cache's generated first record, which no directory holds.
bool IsInfoPersonality(const inspect::PersonalityView& view) {
  return view.number == 0 && view.code == "1_" && view.device.starts_with("1.Info");
}

bool SameBytes(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
  return std::ranges::equal(a, b);
}

}  // namespace

std::size_t CacheComparison::Count(RecordState state) const {
  return static_cast<std::size_t>(
      std::ranges::count_if(records, [state](const ComparedRecord& r) { return r.state == state; }));
}

std::vector<std::string> CacheComparison::PathsInDirectory() const {
  std::vector<std::string> paths;
  for (const ComparedRecord& record : records) {
    if (!record.path.empty()) paths.push_back(record.path);
  }
  return paths;
}

const char* StateName(RecordState state) {
  switch (state) {
    case RecordState::Unchanged: return "unchanged";
    case RecordState::Changed: return "changed";
    case RecordState::Missing: return "missing";
  }
  return "missing";
}

CacheComparison CompareWithDirectory(const inspect::InspectReport& report,
                                     const std::string& directory, PersonalityStore& store,
                                     const support::CancelToken* cancel) {
  CacheComparison comparison;
  comparison.directory = directory;
  support::SilentReporter silent;
  const catalogue::PersonalityScan scan = catalogue::ScanPersonalityDirectory(
      support::WithTrailingSeparator(directory), store.Manufacturers(), silent, {});
  comparison.scanError = scan.error;
  const bool standardCache = report.kind == inspect::CacheKind::Standard;
  static const std::vector<inspect::PersonalityView> kNone;
  const std::vector<inspect::PersonalityView>& views =
      standardCache ? (report.standard ? report.standard->personalities : kNone)
                    : (report.extended ? report.extended->personalities : kNone);

  // Each directory personality under its key; a key that several files give goes to them in
  // the scan's order.
  std::multimap<std::string, std::size_t> byKey;
  for (std::size_t i = 0; i < scan.entries.size(); ++i) {
    if (support::Cancelled(cancel)) {
      comparison.cancelled = true;
      return comparison;
    }
    const std::string& path = scan.entries[i].filePath;
    if (standardCache) {
      const auto compiled = store.Standard(path, standard::TableOptions{});
      using Outcome = standard::CompiledPersonality::Outcome;
      if (compiled->outcome == Outcome::Compiled || compiled->outcome == Outcome::CompileFailed) {
        byKey.emplace(compiled->deviceText, i);
      }
    } else {
      const extended::NamedRow& row = store.Extended(path)->row;
      byKey.emplace(ExtendedKey(AsStored<extended::kManufacturerRecordSize>(row.names.manufacturer),
                                AsStored<extended::kFixtureNameFieldSize>(row.names.fixtureName),
                                AsStored<extended::kDeviceNameFieldSize>(row.names.deviceName)),
                    i);
    }
  }

  // Pair each cache personality with the first unpaired file of its key.
  std::vector<bool> paired(scan.entries.size(), false);
  std::vector<const inspect::PersonalityView*> pairedViews;
  for (const inspect::PersonalityView& view : views) {
    if (standardCache && IsInfoPersonality(view)) continue;
    ComparedRecord record;
    record.number = view.number;
    record.device = view.device;
    record.manufacturer = view.manufacturer;
    const std::string key =
        standardCache ? view.device : ExtendedKey(view.manufacturer, view.fixture, view.device);
    for (auto [at, end] = byKey.equal_range(key); at != end; ++at) {
      if (paired[at->second]) continue;
      paired[at->second] = true;
      record.path = scan.entries[at->second].filePath;
      record.state = RecordState::Changed;
      break;
    }
    comparison.records.push_back(std::move(record));
    pairedViews.push_back(&view);
  }

  // The record a file would give now, as the cache's build makes it.
  const auto fileRecord = [&](const std::string& path, const standard::TableOptions& tables)
      -> std::optional<std::vector<std::uint8_t>> {
    if (!standardCache) return store.Extended(path)->form;
    const auto compiled = store.Standard(path, tables);
    if (compiled->outcome != standard::CompiledPersonality::Outcome::Compiled) return std::nullopt;
    return compiled->block;
  };
  const auto matches = [&](std::size_t i, const standard::TableOptions& tables) {
    const auto held = inspect::RecordBytes(report, *pairedViews[i]);
    const auto now = fileRecord(comparison.records[i].path, tables);
    if (!now) return false;
    // An extended record without a binary form matches a file that does not convert.
    if (!held) return !standardCache && pairedViews[i]->access == inspect::RecordAccess::NoForm && now->empty();
    return SameBytes(*held, *now);
  };

  standard::TableOptions tables;
  if (standardCache) {
    // The setting most records match; a record whose file has none of the optional tables
    // matches under every setting alike and decides nothing, so only the others are tried.
    std::array<std::size_t, kTableSettings.size()> matched{};
    for (std::size_t i = 0; i < comparison.records.size(); ++i) {
      if (support::Cancelled(cancel)) {
        comparison.cancelled = true;
        return comparison;
      }
      if (comparison.records[i].path.empty()) continue;
      const auto all = fileRecord(comparison.records[i].path, kTableSettings.front());
      const auto none = fileRecord(comparison.records[i].path, kTableSettings.back());
      if (all == none) continue;
      for (std::size_t s = 0; s < kTableSettings.size(); ++s) matched[s] += matches(i, kTableSettings[s]) ? 1 : 0;
    }
    tables = kTableSettings[static_cast<std::size_t>(std::ranges::max_element(matched) - matched.begin())];
    comparison.tables = tables;
  }
  for (std::size_t i = 0; i < comparison.records.size(); ++i) {
    if (support::Cancelled(cancel)) {
      comparison.cancelled = true;
      return comparison;
    }
    ComparedRecord& record = comparison.records[i];
    if (record.path.empty()) continue;
    record.state = matches(i, tables) ? RecordState::Unchanged : RecordState::Changed;
  }
  for (std::size_t i = 0; i < scan.entries.size(); ++i) {
    if (!paired[i]) comparison.added.push_back(scan.entries[i]);
  }
  return comparison;
}

namespace {

std::string TablesText(const standard::TableOptions& tables) {
  std::vector<std::string> kept;
  if (tables.includePresetFocus) kept.emplace_back("preset focus");
  if (tables.includeRangeTables) kept.emplace_back("range tables");
  if (tables.includeMacros) kept.emplace_back("macros");
  if (kept.empty()) return "no tables";
  std::string text;
  for (std::size_t i = 0; i < kept.size(); ++i) text += (i > 0 ? ", " : "") + kept[i];
  return text;
}

}  // namespace

void WriteComparisonText(const CacheComparison& comparison, std::ostream& out) {
  out << "\nCompared with " << inspect::PathText(comparison.directory);
  if (comparison.tables) out << " (records compiled with " << TablesText(*comparison.tables) << ")";
  out << '\n';
  if (!comparison.scanError.empty()) {
    out << "  the directory cannot be listed: " << inspect::Escaped(comparison.scanError) << '\n';
  }
  for (const ComparedRecord& record : comparison.records) {
    out << "  " << StateName(record.state) << std::string(10 - std::string_view(StateName(record.state)).size(), ' ')
        << inspect::Escaped(record.device);
    if (!record.path.empty()) out << "  " << inspect::PathText(record.path);
    out << '\n';
  }
  for (const catalogue::PersonalityEntry& entry : comparison.added) {
    out << "  new       " << inspect::Escaped(entry.deviceName) << "  " << inspect::PathText(entry.filePath)
        << '\n';
  }
  out << "Comparison: " << comparison.Count(RecordState::Unchanged) << " unchanged, "
      << comparison.Count(RecordState::Changed) << " changed, "
      << comparison.Count(RecordState::Missing) << " missing, " << comparison.added.size()
      << " new\n";
}

nlohmann::ordered_json ComparisonJson(const CacheComparison& comparison) {
  using Json = nlohmann::ordered_json;
  Json records = Json::array();
  for (const ComparedRecord& record : comparison.records) {
    records.push_back(Json{{"number", record.number},
                           {"device", inspect::Latin1(record.device)},
                           {"manufacturer", inspect::Latin1(record.manufacturer)},
                           {"state", StateName(record.state)},
                           {"path", record.path.empty() ? Json(nullptr) : Json(inspect::PathJson(record.path))}});
  }
  Json added = Json::array();
  for (const catalogue::PersonalityEntry& entry : comparison.added) {
    added.push_back(Json{{"device", inspect::Latin1(entry.deviceName)},
                         {"manufacturer", inspect::Latin1(entry.manufacturerName)},
                         {"path", inspect::PathJson(entry.filePath)}});
  }
  Json tables = nullptr;
  if (comparison.tables) {
    tables = Json{{"presetFocus", comparison.tables->includePresetFocus},
                  {"rangeTables", comparison.tables->includeRangeTables},
                  {"macros", comparison.tables->includeMacros}};
  }
  return Json{{"directory", inspect::PathJson(comparison.directory)},
              {"directoryError", comparison.scanError.empty() ? Json(nullptr) : Json(comparison.scanError)},
              {"tables", tables},
              {"unchanged", comparison.Count(RecordState::Unchanged)},
              {"changed", comparison.Count(RecordState::Changed)},
              {"missing", comparison.Count(RecordState::Missing)},
              {"new", added.size()},
              {"records", records},
              {"added", added}};
}

}  // namespace hoardwright::preview
