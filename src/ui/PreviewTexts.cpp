#include "ui/PreviewTexts.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <span>

#include "catalogue/PersonalityEntry.h"
#include "check/CheckOutput.h"
#include "extended/ExtendedCacheLayout.h"
#include "inspect/CacheInspector.h"
#include "inspect/InspectText.h"
#include "inspect/RecordWalker.h"
#include "standard/CacheResult.h"
#include "support/FileAccess.h"

namespace hoardwright::ui {
namespace {

constexpr std::string_view kStandardSetting = "standard";
constexpr std::string_view kExtendedSetting = "extended";

std::string Plural(std::size_t count, std::string_view word) {
  return std::to_string(count) + " " + std::string(word) + (count == 1 ? "" : "s");
}

std::string TrimmedRight(std::string text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\0' || text.back() == '\r')) {
    text.pop_back();
  }
  return text;
}

std::string PersonalityCount(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " personality" : " personalities");
}

std::string Kilobytes(std::int64_t bytes) {
  return std::to_string(bytes / 1024) + "k";
}

// The info personality's text lines: "DATE: ...", "Created by: ...", "Files: ...", then the
// notes up to the first empty line.
void ReadInfoText(const inspect::InspectReport& report, const inspect::PersonalityView& info,
                  CacheOverview& overview) {
  const auto bytes = inspect::RecordBytes(report, info);
  if (!bytes) return;
  const inspect::RecordWalk walk = inspect::WalkPersonalityRecord(*bytes);
  const std::vector<std::string>& text = walk.record.text;
  constexpr std::string_view kDate = "DATE: ";
  constexpr std::string_view kCreatedBy = "Created by: ";
  constexpr std::string_view kFiles = "Files: ";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::string& line = text[i];
    if (line.starts_with(kDate)) {
      overview.date = TrimmedRight(line.substr(kDate.size()));
    } else if (line.starts_with(kCreatedBy)) {
      overview.createdBy = TrimmedRight(line.substr(kCreatedBy.size()));
    } else if (line.starts_with(kFiles)) {
      for (std::size_t j = i + 1; j < text.size() && !TrimmedRight(text[j]).empty(); ++j) {
        overview.notes.push_back(TrimmedRight(text[j]));
      }
      return;
    }
  }
}

bool IsInfoPersonality(const inspect::PersonalityView& view) {
  return view.number == 0 && view.code == "1_" && view.device.starts_with("1.Info");
}

}  // namespace

std::string_view CacheKindSetting(catalogue::CacheType kind) {
  return kind == catalogue::CacheType::Extended ? kExtendedSetting : kStandardSetting;
}

std::optional<catalogue::CacheType> CacheKindFromSetting(std::string_view text) {
  if (text == kStandardSetting) return catalogue::CacheType::Standard;
  if (text == kExtendedSetting) return catalogue::CacheType::Extended;
  return std::nullopt;
}

std::string GroupedNumber(std::int64_t value) {
  const bool negative = value < 0;
  // Through the unsigned type, so that the most negative value has a magnitude too.
  std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  std::string digits = std::to_string(magnitude);
  std::string grouped;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped.push_back(',');
    grouped.push_back(digits[i]);
  }
  return negative ? "-" + grouped : grouped;
}

GaugeView DescribePreview(const preview::CachePreview& preview) {
  GaugeView view;
  using Outcome = preview::CachePreview::Outcome;
  if (preview.outcome == Outcome::Cancelled) {
    view.sizeLine = std::string(kGaugeWorkingText);
    return view;
  }
  if (preview.outcome == Outcome::NotWritten) {
    view.sizeLine = preview.listCount == 0 ? "No personalities in the cache list"
                                           : "Build Cache would write no cache";
    if (preview.listCount > 0 && !preview.messages.empty()) {
      view.warning = preview.messages.back().text;
    }
    return view;
  }
  const bool extended = preview.cacheType == catalogue::CacheType::Extended;
  // The standard cache's records include its info personality.
  const std::size_t personalities =
      extended ? preview.recordCount : (preview.recordCount > 0 ? preview.recordCount - 1 : 0);
  view.sizeLine = (extended ? "Extended cache: " : "Cache: ") + GroupedNumber(preview.cacheSize) +
                  " bytes (" + Kilobytes(preview.cacheSize) + "), " +
                  PersonalityCount(personalities);
  if (!preview.leftOut.empty()) {
    view.warning = Plural(preview.leftOut.size(), "file") + " of the list would be left out";
  }
  if (extended) {
    if (view.warning.empty())
      view.warning = "The consoles' limits apply to the standard cache only";
    return view;
  }
  if (preview.consoles) {
    const standard::CacheResult& result = *preview.consoles;
    if (!result.sizeText.starts_with("Cache File Size")) {
      view.warning = result.sizeText;
    }
    for (const standard::ConsoleFit& console : result.consoles) {
      GaugeConsole line;
      line.name = std::string(console.consoleName);
      line.fits = console.fits;
      line.text = line.name + " (" + std::to_string(console.limitKilobytes) + "k): ";
      const std::int64_t bytes = console.fits ? console.marginBytes : -console.marginBytes;
      line.text += (console.fits ? "fits, " : "over by ") + GroupedNumber(bytes) +
                   (bytes == 1 ? " byte" : " bytes") + (console.fits ? " left" : "");
      view.consoles.push_back(std::move(line));
    }
  }
  return view;
}

std::string RowMark::ToolTip() const {
  if (kind == RowMarkKind::None) return {};
  std::string text =
      kind == RowMarkKind::LeftOut ? "Build Cache would leave this file out:" : "Warnings:";
  for (const std::string& reason : reasons) text += "\n" + reason;
  return text;
}

RowMark MarkOf(const check::FileCheck& check, catalogue::CacheType kind) {
  RowMark mark;
  const bool builtIntoChosen =
      kind == catalogue::CacheType::Extended ? check.extended : check.standard;
  // What leaves the file out comes first.
  for (const bool leftOut : {true, false}) {
    for (const check::CheckItem& item : check.items) {
      if ((item.finding.severity == check::Finding::Severity::LeftOut) == leftOut) {
        mark.reasons.push_back(check::CheckItemText(item));
      }
    }
  }
  if (!builtIntoChosen) {
    mark.kind = RowMarkKind::LeftOut;
  } else if (!mark.reasons.empty() || check.LeftOut()) {
    mark.kind = RowMarkKind::Warning;
  }
  return mark;
}

std::string RefusalText(const std::vector<RefusedFile>& refused) {
  std::string text = refused.size() == 1
                         ? std::string(
                               "This file is not added, because Build Cache would leave "
                               "it out:")
                         : "These " + std::to_string(refused.size()) +
                               " files are not added, because Build Cache would leave them out:";
  constexpr std::size_t kListed = 10;
  for (std::size_t i = 0; i < refused.size() && i < kListed; ++i) {
    text += "\n\n" + refused[i].path;
    for (const std::string& reason : refused[i].mark.reasons) text += "\n    " + reason;
  }
  if (refused.size() > kListed) {
    text += "\n\n... and " + std::to_string(refused.size() - kListed) + " more.";
  }
  return text;
}

std::string ExtendedResultText(std::size_t personalities) {
  return "Extended cache with " + PersonalityCount(personalities);
}

std::string CacheSizeText(std::int64_t bytes) {
  return "Cache File Size: " + Kilobytes(bytes);
}

CacheOverview DescribeCache(const inspect::InspectReport& report,
                            const preview::CacheComparison* comparison,
                            const catalogue::ManufacturerMap& manufacturers) {
  CacheOverview overview;
  overview.intact = !report.Damaged();
  for (const inspect::Problem& problem : report.problems) {
    overview.problems.push_back(inspect::LocationText(problem) + ": " + problem.message);
  }
  const std::vector<inspect::PersonalityView>* personalities = nullptr;
  if (report.kind == inspect::CacheKind::Extended) {
    overview.kind = "extended cache";
    if (report.extended) {
      personalities = &report.extended->personalities;
      if (report.extended->info) {
        overview.date = inspect::InfoDateTimeText(*report.extended->info);
        overview.createdBy = TrimmedRight(extended::TextField(report.extended->info->author));
      }
    }
  } else {
    overview.kind = "standard cache";
    if (report.standard) personalities = &report.standard->personalities;
  }
  if (personalities != nullptr) {
    for (const inspect::PersonalityView& view : *personalities) {
      if (report.kind == inspect::CacheKind::Standard && IsInfoPersonality(view)) {
        ReadInfoText(report, view, overview);
        continue;
      }
      CacheOverviewRow row;
      // The standard cache holds the whole DEVICE text; the lists show its first characters.
      row.device = TrimmedRight(report.kind == inspect::CacheKind::Standard
                                    ? view.device.substr(0, catalogue::kListDeviceNameLength)
                                    : view.device);
      if (report.kind == inspect::CacheKind::Extended) {
        row.manufacturer = TrimmedRight(view.manufacturer);
      } else {
        // The standard cache keeps only the first two letters of the file's name; the
        // directory's file, when the comparison finds it, names the manufacturer.
        row.manufacturer = "code " + view.code;
      }
      row.size = view.length;
      row.number = view.number;
      overview.rows.push_back(std::move(row));
    }
  }
  if (comparison == nullptr) return overview;

  // The comparison names each personality by its record number.
  for (const preview::ComparedRecord& record : comparison->records) {
    for (CacheOverviewRow& row : overview.rows) {
      if (row.number != record.number) continue;
      row.state = preview::StateName(record.state);
      row.path = record.path;
      if (report.kind == inspect::CacheKind::Standard && !record.path.empty()) {
        row.manufacturer = TrimmedRight(catalogue::ManufacturerNameForFile(
            manufacturers, std::filesystem::path(record.path).filename().string()));
      }
      break;
    }
  }
  for (const catalogue::PersonalityEntry& entry : comparison->added) {
    CacheOverviewRow row;
    row.device = TrimmedRight(entry.deviceName);
    row.manufacturer = TrimmedRight(entry.manufacturerName);
    row.state = "new";
    row.path = entry.filePath;
    overview.rows.push_back(std::move(row));
  }
  overview.loadable = comparison->PathsInDirectory();
  if (!comparison->scanError.empty()) {
    overview.comparisonLine = "The directory cannot be listed: " + comparison->scanError;
  } else {
    overview.comparisonLine =
        std::to_string(comparison->Count(preview::RecordState::Unchanged)) + " unchanged, " +
        std::to_string(comparison->Count(preview::RecordState::Changed)) + " changed, " +
        std::to_string(comparison->Count(preview::RecordState::Missing)) + " missing, " +
        std::to_string(comparison->added.size()) + " new in " + comparison->directory;
  }
  return overview;
}

OpenedCache OpenCacheFile(const std::string& path, const std::string& directory,
                          preview::PersonalityStore& store, const support::CancelToken* cancel) {
  OpenedCache opened;
  // Checked and read through one descriptor, as inspect reads it: a device, a pipe or a file
  // past the limit is refused before anything is read.
  const auto bytes = support::ReadRegularFile(path, inspect::kMaxCacheFileSize, &opened.error);
  if (!bytes) {
    if (opened.error.empty()) opened.error = "it cannot be read";
    return opened;
  }
  const inspect::InspectReport report = inspect::InspectCache(*bytes, path);
  if (directory.empty()) {
    opened.overview = DescribeCache(report, nullptr, store.Manufacturers());
    return opened;
  }
  const preview::CacheComparison comparison =
      preview::CompareWithDirectory(report, directory, store, cancel);
  if (comparison.cancelled) {
    opened.cancelled = true;
    return opened;
  }
  opened.overview = DescribeCache(report, &comparison, store.Manufacturers());
  return opened;
}

bool LooksLikeCache(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::ranges::transform(extension, extension.begin(),
                         [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  if (extension == ".CMP") return true;
  std::ifstream file(path, std::ios::binary);
  std::array<std::uint8_t, 16> start{};
  file.read(reinterpret_cast<char*>(start.data()), static_cast<std::streamsize>(start.size()));
  const auto read = static_cast<std::size_t>(std::max<std::streamsize>(file.gcount(), 0));
  return inspect::IsExtendedCache(std::span<const std::uint8_t>(start.data(), read));
}

}  // namespace hoardwright::ui
