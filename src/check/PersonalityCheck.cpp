#include "check/PersonalityCheck.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <set>
#include <span>
#include <system_error>

#include "catalogue/CacheListing.h"
#include "catalogue/ListOrder.h"
#include "check/LineNumbers.h"
#include "extended/ExtendedCacheLayout.h"
#include "extended/PersonalityConversion.h"
#include "inspect/RecordWalker.h"
#include "personality/KeywordReaders.h"
#include "personality/LineStream.h"
#include "personality/OutputCursor.h"
#include "standard/CacheResult.h"
#include "standard/PersonalityCompiler.h"
#include "standard/StandardCacheLayout.h"
#include "support/Platform.h"

namespace hoardwright::check {
namespace {

constexpr std::string_view kUnknownManufacturer = "Unknown";
// Big enough to measure a record that does not fit the build's buffer.
constexpr std::size_t kMeasuringBufferSize = 16 * 1024 * 1024;

bool HasLeftOut(const std::vector<Finding>& findings) {
  return std::ranges::any_of(
      findings, [](const Finding& f) { return f.severity == Finding::Severity::LeftOut; });
}

// A record the build would write but that does not read back: the compilers refuse every record
// they cannot represent, so this names a fault of the program, not of the file.
void ReadBack(std::span<const std::uint8_t> record, std::vector<Finding>& findings) {
  const inspect::RecordWalk walk = inspect::WalkPersonalityRecord(record);
  if (!walk.fault) return;
  findings.push_back(Finding{Finding::Severity::Warning, 0, 0,
                             "the record the build writes does not read back (" +
                                 walk.fault->field + " at record byte " +
                                 std::to_string(walk.fault->offset) + ": " + walk.fault->message +
                                 ")"});
}

void Add(FileCheck& check, Finding finding, bool standard, bool extended) {
  check.items.push_back(CheckItem{std::move(finding), standard, extended});
}

std::size_t DeviceLine(personality::LineStream& text) {
  const auto at = LocateKeyword(text, 0, "DEVICE");
  return at ? LineNumbers(text.Content()).LineAt(*at) : 0;
}

// The standard build: DEVICE, then CompilePersonality with every table included.
std::vector<Finding> CheckStandard(personality::LineStream& text, bool& built) {
  text.Rewind();
  std::array<std::uint8_t, standard::kMaxDeviceTextLength + 1> device{};
  personality::OutputCursor deviceCursor(device);
  support::SilentReporter silent;
  personality::ReadDevice(text, deviceCursor, silent);
  const std::size_t start = text.Tell();

  std::vector<std::uint8_t> block(standard::kBlockBufferSize);
  personality::OutputCursor cursor(block);
  built = standard::CompilePersonality(text, cursor, standard::TableOptions{}, silent);
  std::vector<Finding> findings = DiagnoseRecord(text, start, true);
  if (built) ReadBack(cursor.Written(), findings);
  if (!built && !HasLeftOut(findings)) {
    // Nothing is missing or malformed, so the record is too long: measure it.
    std::vector<std::uint8_t> large(kMeasuringBufferSize);
    personality::OutputCursor measuring(large);
    text.Seek(start);
    standard::CompilePersonality(text, measuring, standard::TableOptions{}, silent);
    const std::string size = measuring.Overflowed() ? "over " + std::to_string(kMeasuringBufferSize)
                                                    : std::to_string(measuring.Position());
    findings.push_back(Finding{Finding::Severity::LeftOut, 0, 0,
                               "the compiled record would be " + size +
                                   " bytes, over the 65,535 bytes an index record can describe"});
  }
  return findings;
}

// What the builds refuse for the cache list as a whole: each file it holds hears of it.
void ApplyListLimits(std::size_t rows, const std::set<std::string>& kept,
                     std::vector<FileCheck>& checks) {
  const std::string holds = "the cache list holds " + std::to_string(rows) + " personalities, ";
  std::vector<CheckItem> items;
  if (rows > standard::kMaxEntries) {
    items.push_back({Finding{Finding::Severity::LeftOut, 0, 0,
                             holds + "more than the " + std::to_string(standard::kMaxEntries) +
                                 " a standard build takes: it writes no cache"},
                     true, false});
  } else if (rows > static_cast<std::size_t>(standard::kMaxStandardPersonalities)) {
    items.push_back(
        {Finding{Finding::Severity::Warning, 0, 0,
                 holds + "more than " + std::to_string(standard::kMaxStandardPersonalities) +
                     ": the standard build's result says \"" +
                     standard::DecideCacheResult(0, static_cast<std::int64_t>(rows)).sizeText +
                     "\""},
         true, false});
  }
  if (rows > static_cast<std::size_t>(extended::kMaxExtendedPersonalities)) {
    items.push_back(
        {Finding{Finding::Severity::LeftOut, 0, 0,
                 holds + "more than the " + std::to_string(extended::kMaxExtendedPersonalities) +
                     " an extended cache holds: the extended build writes no cache"},
         false, true});
  }
  if (items.empty()) return;
  for (FileCheck& check : checks) {
    if (!kept.contains(check.path)) continue;
    for (const CheckItem& item : items) {
      check.items.push_back(item);
      if (item.finding.severity != Finding::Severity::LeftOut) continue;
      if (item.standard) check.standard = false;
      if (item.extended) check.extended = false;
    }
  }
}

// The extended build: the NAME fields, then ConvertPersonality on the file read in binary mode.
std::vector<Finding> CheckExtended(personality::LineStream& text, personality::LineStream& binary,
                                   bool& built) {
  std::vector<Finding> findings;
  support::SilentReporter silent;
  text.Rewind();
  const auto manufacturer = personality::ReadNameFirst(text, silent);
  text.Rewind();
  const auto fixture = personality::ReadNameSecond(text, silent);
  bool named = false;
  if (!manufacturer) {
    findings.push_back(Finding{Finding::Severity::LeftOut, 0, 0,
                               MissingKeywordMessage("NAME") + ": no line starts with it"});
  } else {
    const auto at = LocateKeyword(text, 0, "NAME");
    const std::size_t line = at ? LineNumbers(text.Content()).LineAt(*at) : 0;
    if (manufacturer->empty() || !fixture || fixture->empty()) {
      findings.push_back(Finding{Finding::Severity::LeftOut, line, 0,
                                 "NAME line " + std::to_string(line) +
                                     " does not hold two fields, the manufacturer and the "
                                     "fixture name"});
    } else {
      named = true;
    }
  }

  std::vector<std::uint8_t> form;
  binary.Rewind();
  const bool converted = extended::ConvertPersonality(binary, form, silent);
  std::vector<Finding> record = DiagnoseRecord(binary, 0, false);
  if (converted) ReadBack(form, record);
  if (!converted && !HasLeftOut(record)) {
    record.push_back(Finding{Finding::Severity::LeftOut, 0, 0,
                             "the binary form would be over its " +
                                 std::to_string(extended::kPersonalityWorkBufferSize) +
                                 "-byte work buffer"});
  }
  findings.insert(findings.end(), record.begin(), record.end());
  built = named && converted;
  return findings;
}

}  // namespace

RowVerdict VerdictOf(const FileCheck& check) {
  if (check.LeftOut()) return RowVerdict::LeftOut;
  return check.items.empty() ? RowVerdict::Fine : RowVerdict::Warnings;
}

FileCheck CheckPersonalityFile(const std::string& path, const support::InputFile& file,
                               const catalogue::PersonalityEntry* entry,
                               const catalogue::ManufacturerMap& manufacturers) {
  FileCheck check;
  check.path = path;
  if (!file.Read()) {
    Add(check, Finding{Finding::Severity::LeftOut, 0, 0, file.refusal}, true, true);
    return check;
  }
  // The standard build and the scan read text mode, the extended build binary mode: both are
  // made of the same bytes.
  personality::LineStream text(file.bytes, personality::LineMode::Text);
  personality::LineStream binary(file.bytes, personality::LineMode::Binary);

  const std::string fileName = support::PathText(support::ToPath(path).filename());
  check.manufacturer = catalogue::ManufacturerNameForFile(manufacturers, fileName);
  if (check.manufacturer == kUnknownManufacturer) {
    Add(check,
        Finding{Finding::Severity::Warning, 0, 0,
                "the file name \"" + fileName +
                    "\" starts with no known manufacturer code: the list shows \"Unknown\""},
        false, false);
  }

  if (entry == nullptr) {
    Add(check,
        Finding{Finding::Severity::LeftOut, 0, 0,
                MissingKeywordMessage("DEVICE") + ": no line starts with it, so no list shows it"},
        true, true);
    return check;
  }
  check.device = entry->deviceName;
  const std::size_t deviceLine = DeviceLine(text);
  check.deviceLine = deviceLine;
  const auto deviceAt = LocateKeyword(text, 0, "DEVICE");
  if (deviceAt && LocateKeyword(text, 0, "DEVICEADDRESS") == deviceAt) {
    Add(check,
        Finding{Finding::Severity::Warning, deviceLine, 0,
                "the first line starting with DEVICE is the DEVICEADDRESS line " +
                    std::to_string(deviceLine) + ": the device name is \"" + check.device + "\""},
        true, true);
  }

  const std::vector<Finding> standard = CheckStandard(text, check.standard);
  const std::vector<Finding> extended = CheckExtended(text, binary, check.extended);
  for (const Finding& finding : standard) {
    Add(check, finding, true, std::ranges::find(extended, finding) != extended.end());
  }
  for (const Finding& finding : extended) {
    if (std::ranges::find(standard, finding) == standard.end()) Add(check, finding, false, true);
  }
  return check;
}

std::vector<FileCheck> CheckPaths(const std::vector<std::string>& paths) {
  const catalogue::ManufacturerMap manufacturers = catalogue::LoadManufacturerMap();
  support::SilentReporter silent;
  std::vector<FileCheck> checks;
  // Each file once, checked on the bytes the listing read; a path named twice is read twice,
  // as the builds read it.
  std::set<std::string> seen;
  const catalogue::FileObserver check = [&](const std::string& path, const support::InputFile& file,
                                     const catalogue::PersonalityEntry* entry) {
    if (seen.insert(path).second) {
      checks.push_back(CheckPersonalityFile(path, file, entry, manufacturers));
    }
  };
  const catalogue::CacheListing listing =
      catalogue::ListCacheEntries(paths, manufacturers, silent, check);
  const catalogue::PersonalityListModel& cacheList = listing.cacheList;
  const std::vector<std::string> rows = cacheList.FilePaths();
  const std::set<std::string> kept(rows.begin(), rows.end());
  for (FileCheck& check : checks) {
    if (check.device.empty() || kept.contains(check.path)) continue;
    std::string winner;
    for (std::size_t row = 0; row < cacheList.RowCount(); ++row) {
      if (catalogue::EqualIgnoringAsciiCase(cacheList.Row(row).deviceName, check.device)) {
        winner = cacheList.Row(row).filePath;
      }
    }
    check.items.insert(
        check.items.begin(),
        CheckItem{Finding{Finding::Severity::LeftOut, check.deviceLine, 0,
                          "the device name \"" + check.device + "\" collides with " + winner +
                              ", which the cache list keeps"},
                  true, true});
    check.standard = false;
    check.extended = false;
  }
  ApplyListLimits(cacheList.RowCount(), kept, checks);
  return checks;
}

}  // namespace hoardwright::check
