#pragma once
// One of the main dialog's two lists without its widget: the rows in display order, which of them
// are selected, and the list's sort state. A row's path and selection stay with the row when the
// list is sorted.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/ListOrder.h"
#include "catalogue/PersonalityEntry.h"

namespace hoardwright::catalogue {

// Whether `entry` is shown under `filter` (see PersonalityListModel::SetFilter).
bool MatchesFilter(const PersonalityEntry& entry, std::string_view filter);

// The count beside a list's filter: "600 personalities", or "12 of 600 shown" while a filter
// hides some.
std::string ShownCountText(std::size_t shown, std::size_t total, bool filtering);

class PersonalityListModel {
 public:
  std::size_t RowCount() const { return rows_.size(); }
  bool Empty() const { return rows_.empty(); }
  // `index` must be below RowCount().
  const PersonalityEntry& Row(std::size_t index) const { return rows_.at(index).entry; }
  std::vector<PersonalityEntry> Entries() const;
  std::vector<std::string> FilePaths() const;

  void Append(PersonalityEntry entry);
  // Replaces every row (nothing selected afterwards); the sort state is kept.
  void Assign(std::vector<PersonalityEntry> entries);
  void RemoveAt(std::size_t index);
  void Clear() { rows_.clear(); }

  // Selection. Indices out of range are refused (false) and change nothing.
  bool SetSelected(std::size_t index, bool selected);
  bool IsSelected(std::size_t index) const;
  // Selects exactly the given rows; false (and nothing changed) when one is out of range.
  bool SelectOnly(const std::vector<std::size_t>& indices);
  void SelectAll();
  void ClearSelection();
  // Ascending.
  std::vector<std::size_t> SelectedIndices() const;

  // The filter: rows whose device or manufacturer name holds this text, ignoring the case of
  // ASCII letters, are shown; an empty filter shows every row. Rows that a new filter hides are
  // no longer selected, so that Add never takes a row the user cannot see.
  void SetFilter(std::string filter);
  const std::string& Filter() const { return filter_; }
  bool Shown(std::size_t index) const;
  // The shown rows' indices, ascending.
  std::vector<std::size_t> ShownRows() const;

  const SortState& Sort() const { return sort_; }
  // Reorders the rows by one column; the remembered sort state is not changed.
  void SortList(ListColumn column, bool ascending);
  // Reorders the rows by the remembered sort state.
  void SortByState() { SortList(sort_.column, sort_.ascending); }
  // A click on a column header: the direction flips only when the same column is clicked again.
  void ClickColumn(ListColumn column);

 private:
  struct ListRow {
    PersonalityEntry entry;
    bool selected = false;
  };
  std::vector<ListRow> rows_;
  SortState sort_;
  std::string filter_;
};

// Puts one row into a cache list: a row whose device name matches without regard to letter case
// is replaced (removed, and the new row appended at the end).
void CopyToCacheList(const PersonalityEntry& entry, PersonalityListModel& cacheList);

}  // namespace hoardwright::catalogue
