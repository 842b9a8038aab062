#include "catalogue/PersonalityListModel.h"

#include <algorithm>

namespace hoardwright::catalogue {
namespace {

bool ContainsIgnoringAsciiCase(std::string_view text, std::string_view part) {
  if (part.size() > text.size()) return false;
  for (std::size_t start = 0; start + part.size() <= text.size(); ++start) {
    if (EqualIgnoringAsciiCase(text.substr(start, part.size()), part)) return true;
  }
  return false;
}

}  // namespace

bool MatchesFilter(const PersonalityEntry& entry, std::string_view filter) {
  return filter.empty() || ContainsIgnoringAsciiCase(entry.deviceName, filter) ||
         ContainsIgnoringAsciiCase(entry.manufacturerName, filter);
}

std::string ShownCountText(std::size_t shown, std::size_t total, bool filtering) {
  if (filtering) return std::to_string(shown) + " of " + std::to_string(total) + " shown";
  return std::to_string(total) + (total == 1 ? " personality" : " personalities");
}

void PersonalityListModel::SetFilter(std::string filter) {
  filter_ = std::move(filter);
  for (ListRow& row : rows_) {
    if (!MatchesFilter(row.entry, filter_)) row.selected = false;
  }
}

bool PersonalityListModel::Shown(std::size_t index) const {
  return index < rows_.size() && MatchesFilter(rows_[index].entry, filter_);
}

std::vector<std::size_t> PersonalityListModel::ShownRows() const {
  std::vector<std::size_t> shown;
  shown.reserve(rows_.size());
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (MatchesFilter(rows_[i].entry, filter_)) shown.push_back(i);
  }
  return shown;
}

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
