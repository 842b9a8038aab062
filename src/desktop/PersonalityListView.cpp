#include "desktop/PersonalityListView.h"

#include <algorithm>
#include <vector>

#include <QHeaderView>
#include <QItemSelectionModel>

#include "desktop/PersonalityTableModel.h"

namespace hoardwright::desktop {

PersonalityListView::PersonalityListView(catalogue::PersonalityListModel& list, QWidget* parent)
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
  columns->setSortIndicatorShown(false);
  for (int column = 0; column < table_->columnCount(); ++column) {
    columns->resizeSection(column, kListColumnWidth);
  }
  connect(columns, &QHeaderView::sectionClicked, this, &PersonalityListView::ClickColumn);
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &PersonalityListView::TakeSelection);
}

void PersonalityListView::Reload() {
  reloading_ = true;
  table_->Reload();
  QItemSelection selection;
  for (std::size_t row : list_.SelectedIndices()) {
    const int r = static_cast<int>(row);
    selection.select(table_->index(r, 0), table_->index(r, table_->columnCount() - 1));
  }
  selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  reloading_ = false;
}

void PersonalityListView::ClickColumn(int column) {
  if (column < 0 || column >= table_->columnCount()) return;
  list_.ClickColumn(static_cast<catalogue::ListColumn>(column));
  Reload();
}

void PersonalityListView::TakeSelection() {
  if (reloading_) return;
  std::vector<std::size_t> rows;
  for (const QModelIndex& index : selectionModel()->selectedRows()) {
    rows.push_back(static_cast<std::size_t>(index.row()));
  }
  std::sort(rows.begin(), rows.end());
  list_.SelectOnly(rows);
}

}  // namespace hoardwright::desktop
