#include "ui/MainDialogModel.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

#include "catalogue/PersonalityScan.h"
#include "support/Platform.h"

namespace hoardwright::ui {

std::string CacheLabelText(std::size_t fileCount) {
  return "Cache File (" + std::to_string(fileCount) + " Files)";
}

std::vector<support::ReportedMessage> ScanNotices(
    const std::vector<support::ReportedMessage>& messages) {
  if (messages.size() <= kSeparateScanMessages) return messages;
  std::string text = std::to_string(messages.size()) +
                     " personality files are not listed, because of these errors:\n";
  const std::size_t listed = std::min(messages.size(), kListedScanMessages);
  for (std::size_t i = 0; i < listed; ++i) {
    text += "\n" + messages[i].caption + ": " + messages[i].text;
  }
  if (listed < messages.size()) {
    text += "\n... and " + std::to_string(messages.size() - listed) + " more.";
  }
  return {{std::move(text), std::string(support::kApplicationName)}};
}

DroppedPaths SortDroppedPaths(const std::vector<std::string>& paths) {
  DroppedPaths dropped;
  for (const std::string& path : paths) {
    std::error_code error;
    if (std::filesystem::is_directory(support::ToPath(path), error)) {
      (dropped.directory.empty() ? dropped.directory : dropped.ignored.emplace_back()) = path;
    } else if (catalogue::HasPersonalityExtension(
                   support::PathText(support::ToPath(path).filename()))) {
      dropped.personalityFiles.push_back(path);
    } else {
      dropped.ignored.push_back(path);
    }
  }
  return dropped;
}

MainDialogModel::MainDialogModel(catalogue::ManufacturerMap manufacturers)
    : manufacturers_(std::move(manufacturers)), cacheLabel_(CacheLabelText(0)) {}

void MainDialogModel::ScanPersonalityDirectory(support::Reporter& reporter) {
  catalogue::PersonalityScan scan = catalogue::ScanPersonalityDirectory(
      personalityDir_, manufacturers_, reporter, personalityList_.Sort());
  personalityDir_ = std::move(scan.personalityDir);
  personalityList_.Assign(std::move(scan.entries));
}

std::vector<support::ReportedMessage> MainDialogModel::ScanPersonalityDirectory() {
  // The observer sees each file after its reading, so the messages collected since the last
  // file are this file's.
  support::CollectingReporter collected;
  std::size_t taken = 0;
  std::vector<support::ReportedMessage> messages;
  const catalogue::FileObserver tag = [&](const std::string& path, const support::InputFile&,
                                          const catalogue::PersonalityEntry*) {
    for (; taken < collected.messages.size(); ++taken) {
      messages.push_back({std::move(collected.messages[taken].text), path});
    }
  };
  catalogue::PersonalityScan scan = catalogue::ScanPersonalityDirectory(
      personalityDir_, manufacturers_, collected, personalityList_.Sort(), tag);
  // A rescan of the same directory keeps the rows that are still there selected.
  const bool sameDirectory = scan.personalityDir == personalityDir_;
  std::set<std::string> selected;
  for (std::size_t row : personalityList_.SelectedIndices()) {
    if (sameDirectory) selected.insert(personalityList_.Row(row).filePath);
  }
  personalityDir_ = std::move(scan.personalityDir);
  personalityList_.Assign(std::move(scan.entries));
  for (std::size_t row = 0; row < personalityList_.RowCount() && !selected.empty(); ++row) {
    if (selected.contains(personalityList_.Row(row).filePath) && personalityList_.Shown(row)) {
      personalityList_.SetSelected(row, true);
    }
  }
  return messages;
}

std::vector<support::ReportedMessage> MainDialogModel::NewScanMessages(
    const std::vector<support::ReportedMessage>& messages) {
  std::vector<std::string> paths;
  std::vector<support::ReportedMessage> fresh;
  for (const support::ReportedMessage& message : messages) {
    paths.push_back(message.caption);
    if (!std::ranges::binary_search(reportedScanPaths_, message.caption)) fresh.push_back(message);
  }
  std::ranges::sort(paths);
  reportedScanPaths_ = std::move(paths);
  return fresh;
}

std::vector<support::ReportedMessage> MainDialogModel::AddFiles(
    const std::vector<std::string>& paths) {
  std::vector<support::ReportedMessage> messages;
  for (const std::string& path : paths) {
    support::CollectingReporter collected;
    std::string readError;
    if (Refused(path)) continue;
    if (auto entry = catalogue::ReadPersonalityEntry(path, manufacturers_, collected, &readError)) {
      catalogue::CopyToCacheList(*entry, cacheList_);
    } else if (!readError.empty()) {
      messages.push_back({readError, path});
    }
    for (support::ReportedMessage& message : collected.messages) {
      messages.push_back({std::move(message.text), path});
    }
  }
  cacheList_.SortByState();
  UpdateCacheLabel();
  return messages;
}

bool MainDialogModel::Refused(const std::string& path) {
  const RowMark* mark = RowMarkOf(path);
  if (mark == nullptr || mark->kind != RowMarkKind::LeftOut) return false;
  refused_.push_back({path, *mark});
  return true;
}

bool MainDialogModel::CopyToCacheList(std::size_t personalityRow) {
  if (personalityRow >= personalityList_.RowCount()) return false;
  const catalogue::PersonalityEntry& entry = personalityList_.Row(personalityRow);
  if (Refused(entry.filePath)) return false;
  catalogue::CopyToCacheList(entry, cacheList_);
  return true;
}

std::vector<support::ReportedMessage> MainDialogModel::LoadIntoCacheList(
    const std::vector<std::string>& paths) {
  cacheList_.Clear();
  return AddFiles(paths);
}

std::vector<RefusedFile> MainDialogModel::TakeRefused() {
  std::vector<RefusedFile> refused = std::move(refused_);
  refused_.clear();
  return refused;
}

void MainDialogModel::SetMark(const std::string& path, RowMark mark) {
  marks_[path] = std::move(mark);
}

const RowMark* MainDialogModel::RowMarkOf(const std::string& path) const {
  const auto found = marks_.find(path);
  return found != marks_.end() ? &found->second : nullptr;
}

void MainDialogModel::Add() {
  const std::vector<std::size_t> selected = personalityList_.SelectedIndices();
  if (selected.empty()) return;
  for (std::size_t row : selected) CopyToCacheList(row);
  cacheList_.SortByState();
  UpdateCacheLabel();
}

void MainDialogModel::AddAll() {
  for (std::size_t row : personalityList_.ShownRows()) CopyToCacheList(row);
  cacheList_.SortByState();
  UpdateCacheLabel();
}

void MainDialogModel::Remove() {
  // Highest index first, so the indices still to remove stay valid.
  const std::vector<std::size_t> selected = cacheList_.SelectedIndices();
  for (auto it = selected.rbegin(); it != selected.rend(); ++it) cacheList_.RemoveAt(*it);
  UpdateCacheLabel();
}

void MainDialogModel::RemoveAll() {
  if (cacheList_.Filter().empty()) {
    cacheList_.Clear();
  } else {
    const std::vector<std::size_t> shown = cacheList_.ShownRows();
    for (auto it = shown.rbegin(); it != shown.rend(); ++it) cacheList_.RemoveAt(*it);
  }
  UpdateCacheLabel();
}

void MainDialogModel::RestoreCacheList(std::vector<catalogue::PersonalityEntry> rows) {
  cacheList_.Assign(std::move(rows));
  cacheList_.SortByState();
  UpdateCacheLabel();
}

void MainDialogModel::UpdateCacheLabel() { cacheLabel_ = CacheLabelText(cacheList_.RowCount()); }

bool MainDialogModel::ChoosePersonalityDir(std::string chosen) {
  if (chosen.empty()) return false;
  personalityDir_ = std::move(chosen);
  return true;
}

void MainDialogModel::FinishInitialisation() {
  CheckTableOptions();
  normalChecked_ = true;
}

void MainDialogModel::CheckTableOptions() {
  includePresetFocus_ = true;
  includeRangeTables_ = true;
  includeMacros_ = true;
}

catalogue::BuildRequest MainDialogModel::MakeBuildRequest() const {
  catalogue::BuildRequest request;
  request.cacheType =
      normalChecked_ ? catalogue::CacheType::Standard : catalogue::CacheType::Extended;
  request.entries = cacheList_.FilePaths();
  request.includePresetFocus = includePresetFocus_;
  request.includeRangeTables = includeRangeTables_;
  request.includeMacros = includeMacros_;
  request.createdBy = createdBy_;
  request.outputDir = outputDir_;
  request.notes = notes_;
  request.unattended = commandLineMode_;
  return request;
}

catalogue::BuildRequest MainDialogModel::GaugeRequest() const {
  catalogue::BuildRequest request = MakeBuildRequest();
  request.notes.clear();
  request.unattended = false;
  return request;
}

}  // namespace hoardwright::ui
