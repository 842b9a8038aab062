#pragma once
// One of the main dialog's two lists without its widget: the rows in display order, which of them
// are selected, and the list's sort state. A row's path and selection stay with the row when the
// list is sorted.
#include <cstddef>
#include <string>
#include <vector>

#include "catalogue/ListOrder.h"
#include "catalogue/PersonalityEntry.h"

namespace hoardwright::catalogue {

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
};

// Puts one row into a cache list: a row whose device name matches without regard to letter case
// is replaced (removed, and the new row appended at the end).
void CopyToCacheList(const PersonalityEntry& entry, PersonalityListModel& cacheList);

}  // namespace hoardwright::catalogue
