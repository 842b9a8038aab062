#include "ui/MainDialogModel.h"

#include "catalogue/PersonalityScan.h"

namespace hoardwright::ui {

std::string CacheLabelText(std::size_t fileCount) {
  return "Cache File (" + std::to_string(fileCount) + " Files)";
}

MainDialogModel::MainDialogModel(catalogue::ManufacturerMap manufacturers)
    : manufacturers_(std::move(manufacturers)), cacheLabel_(CacheLabelText(0)) {}

void MainDialogModel::ScanPersonalityDirectory(support::Reporter& reporter) {
  catalogue::PersonalityScan scan =
      catalogue::ScanPersonalityDirectory(personalityDir_, manufacturers_, reporter, personalityList_.Sort());
  personalityDir_ = std::move(scan.personalityDir);
  personalityList_.Assign(std::move(scan.entries));
}

void MainDialogModel::CopyToCacheList(std::size_t personalityRow) {
  if (personalityRow < personalityList_.RowCount()) {
    catalogue::CopyToCacheList(personalityList_.Row(personalityRow), cacheList_);
  }
}

void MainDialogModel::Add() {
  const std::vector<std::size_t> selected = personalityList_.SelectedIndices();
  if (selected.empty()) return;
  for (std::size_t row : selected) CopyToCacheList(row);
  cacheList_.SortByState();
  UpdateCacheLabel();
}

void MainDialogModel::AddAll() {
  for (std::size_t row = 0; row < personalityList_.RowCount(); ++row) CopyToCacheList(row);
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
  cacheList_.Clear();
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
  request.cacheType = normalChecked_ ? catalogue::CacheType::Standard : catalogue::CacheType::Extended;
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

}  // namespace hoardwright::ui
