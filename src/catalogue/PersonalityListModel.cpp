#include "catalogue/PersonalityListModel.h"

#include <algorithm>

namespace hoardwright::catalogue {

std::vector<PersonalityEntry> PersonalityListModel::Entries() const {
  std::vector<PersonalityEntry> entries;
  entries.reserve(rows_.size());
  for (const ListRow& row : rows_) entries.push_back(row.entry);
  return entries;
}

std::vector<std::string> PersonalityListModel::FilePaths() const {
  std::vector<std::string> paths;
  paths.reserve(rows_.size());
  for (const ListRow& row : rows_) paths.push_back(row.entry.filePath);
  return paths;
}

void PersonalityListModel::Append(PersonalityEntry entry) {
  rows_.push_back({std::move(entry), false});
}

void PersonalityListModel::Assign(std::vector<PersonalityEntry> entries) {
  rows_.clear();
  rows_.reserve(entries.size());
  for (PersonalityEntry& entry : entries) rows_.push_back({std::move(entry), false});
}

void PersonalityListModel::RemoveAt(std::size_t index) {
  if (index < rows_.size()) rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
}

bool PersonalityListModel::SetSelected(std::size_t index, bool selected) {
  if (index >= rows_.size()) return false;
  rows_[index].selected = selected;
  return true;
}

bool PersonalityListModel::IsSelected(std::size_t index) const {
  return index < rows_.size() && rows_[index].selected;
}

bool PersonalityListModel::SelectOnly(const std::vector<std::size_t>& indices) {
  if (std::ranges::any_of(indices, [this](std::size_t i) { return i >= rows_.size(); })) {
    return false;
  }
  ClearSelection();
  for (std::size_t index : indices) rows_[index].selected = true;
  return true;
}

void PersonalityListModel::SelectAll() {
  for (ListRow& row : rows_) row.selected = true;
}

void PersonalityListModel::ClearSelection() {
  for (ListRow& row : rows_) row.selected = false;
}

std::vector<std::size_t> PersonalityListModel::SelectedIndices() const {
  std::vector<std::size_t> indices;
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].selected) indices.push_back(i);
  }
  return indices;
}

void PersonalityListModel::SortList(ListColumn column, bool ascending) {
  std::ranges::stable_sort(rows_, [column, ascending](const ListRow& a, const ListRow& b) {
    return ListOrderBefore(a.entry, b.entry, column, ascending);
  });
}

void PersonalityListModel::ClickColumn(ListColumn column) {
  if (column == sort_.column) sort_.ascending = !sort_.ascending;
  sort_.column = column;
  SortByState();
}

void CopyToCacheList(const PersonalityEntry& entry, PersonalityListModel& cacheList) {
  for (std::size_t i = 0; i < cacheList.RowCount(); ++i) {
    if (EqualIgnoringAsciiCase(cacheList.Row(i).deviceName, entry.deviceName)) {
      cacheList.RemoveAt(i);
      break;  // the list never holds two such rows
    }
  }
  cacheList.Append(entry);
}

}  // namespace hoardwright::catalogue
