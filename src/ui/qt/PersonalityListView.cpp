#include "ui/qt/PersonalityListView.h"

#include <algorithm>
#include <vector>

#include <QHeaderView>
#include <QItemSelectionModel>

#include "ui/qt/PersonalityTableModel.h"
#include "ui/qt/TextConversion.h"

namespace hoardwright::desktop {

PersonalityListView::PersonalityListView(ui::PersonalityListModel& list, QWidget* parent)
    : QTreeView(parent), list_(list), table_(new PersonalityTableModel(list, this)) {
  setModel(table_);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSortingEnabled(false);  // the list sorts itself on a header click

  QHeaderView* columns = header();
  columns->setSectionsClickable(true);
  columns->setSectionsMovable(false);
  columns->setStretchLastSection(false);
  columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  columns->setSectionResizeMode(QHeaderView::Interactive);
  columns->setSortIndicatorShown(true);
  for (int column = 0; column < table_->columnCount(); ++column) {
    columns->resizeSection(column, kListColumnWidth);
  }
  ShowSortIndicator();
  connect(columns, &QHeaderView::sectionClicked, this, &PersonalityListView::ClickColumn);
  // The header flips its arrow on a click by itself; the list's own sort state decides it.
  connect(columns, &QHeaderView::sortIndicatorChanged, this,
          &PersonalityListView::ShowSortIndicator);
  connect(columns, &QHeaderView::sectionResized, this, [this] {
    if (!fitting_) userSizedColumns_ = true;
  });
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &PersonalityListView::TakeSelection);
}

void PersonalityListView::Reload() {
  reloading_ = true;
  table_->Reload();
  QItemSelection selection;
  for (std::size_t row : list_.SelectedIndices()) {
    const int r = table_->ViewRow(row);
    if (r < 0) continue;
    selection.select(table_->index(r, 0), table_->index(r, table_->columnCount() - 1));
  }
  selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  reloading_ = false;
  ShowSortIndicator();
  FitColumns();
}

void PersonalityListView::SetFilter(const QString& text) {
  list_.SetFilter(FileBytes(text));
  Reload();
}

void PersonalityListView::ShowSortIndicator() {
  const ui::SortState& sort = list_.Sort();
  const int column = static_cast<int>(sort.column);
  const Qt::SortOrder order = sort.ascending ? Qt::AscendingOrder : Qt::DescendingOrder;
  if (header()->sortIndicatorSection() == column && header()->sortIndicatorOrder() == order) return;
  header()->setSortIndicator(column, order);
}

void PersonalityListView::FitColumns() {
  if (userSizedColumns_) return;
  fitting_ = true;
  for (int column = 0; column < table_->columnCount(); ++column) {
    resizeColumnToContents(column);
    if (columnWidth(column) < kListColumnWidth) setColumnWidth(column, kListColumnWidth);
  }
  fitting_ = false;
}

void PersonalityListView::ClickColumn(int column) {
  if (column < 0 || column >= table_->columnCount()) return;
  list_.ClickColumn(static_cast<ui::ListColumn>(column));
  Reload();
}

void PersonalityListView::TakeSelection() {
  if (reloading_) return;
  std::vector<std::size_t> rows;
  for (const QModelIndex& index : selectionModel()->selectedRows()) {
    rows.push_back(table_->ListRow(index.row()));
  }
  std::sort(rows.begin(), rows.end());
  list_.SelectOnly(rows);
}

}  // namespace hoardwright::desktop
