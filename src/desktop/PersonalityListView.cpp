#include "desktop/PersonalityListView.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMimeData>
#include <algorithm>
#include <vector>

#include "desktop/PersonalityTableModel.h"
#include "desktop/TextConversion.h"

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
  // Rows are dragged to the other list; files from elsewhere go on to the window.
  setDragEnabled(true);
  setAcceptDrops(true);
  setDropIndicatorShown(false);
  setDragDropMode(QAbstractItemView::DragDrop);

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

const catalogue::PersonalityEntry* PersonalityListView::EntryAt(const QModelIndex& index) const {
  if (!index.isValid() || index.row() >= table_->rowCount()) return nullptr;
  return &list_.Row(table_->ListRow(index.row()));
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
  const catalogue::SortState& sort = list_.Sort();
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
  list_.ClickColumn(static_cast<catalogue::ListColumn>(column));
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

void PersonalityListView::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (!list_.SelectedIndices().empty()) emit MoveRequested();
      event->accept();  // never on to a button of the window
      return;
    case Qt::Key_Delete:
      if (!list_.SelectedIndices().empty()) emit DeleteRequested();
      event->accept();
      return;
    default:
      QTreeView::keyPressEvent(event);
  }
}

void PersonalityListView::mouseDoubleClickEvent(QMouseEvent* event) {
  QTreeView::mouseDoubleClickEvent(event);
  // The first click of the two has selected the row.
  if (indexAt(event->position().toPoint()).isValid()) emit MoveRequested();
}

void PersonalityListView::startDrag(Qt::DropActions) {
  if (list_.SelectedIndices().empty()) return;
  auto* drag = new QDrag(this);
  auto* data = new QMimeData;
  data->setData(QString::fromLatin1(kRowDragFormat), objectName().toUtf8());
  drag->setMimeData(data);
  drag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
}

PersonalityListView* PersonalityListView::RowSource(const QMimeData* data) const {
  if (data == nullptr || !data->hasFormat(QString::fromLatin1(kRowDragFormat))) return nullptr;
  const QString name = QString::fromUtf8(data->data(QString::fromLatin1(kRowDragFormat)));
  QWidget* window = this->window();
  auto* source = window != nullptr ? window->findChild<PersonalityListView*>(name) : nullptr;
  return source != this ? source : nullptr;
}

void PersonalityListView::dragEnterEvent(QDragEnterEvent* event) {
  if (RowSource(event->mimeData()) != nullptr) {
    event->acceptProposedAction();
  } else {
    event->ignore();  // files and folders: the window takes them
  }
}

void PersonalityListView::dragMoveEvent(QDragMoveEvent* event) {
  if (RowSource(event->mimeData()) != nullptr) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void PersonalityListView::dropEvent(QDropEvent* event) {
  PersonalityListView* source = RowSource(event->mimeData());
  if (source == nullptr) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  emit RowsDropped(source);
}

}  // namespace hoardwright::desktop
