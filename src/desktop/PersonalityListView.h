#pragma once
// A report view of one of the main dialog's lists: two columns with clickable headers, whole rows
// selected, several at a time. Its selection is the list's selection; a header click sorts the
// list as the list's own column click says.
#include <QTreeView>

#include "catalogue/PersonalityListModel.h"

class QMimeData;

namespace hoardwright::desktop {

class PersonalityTableModel;

// The format of a drag of rows between the two lists: the source view's object name.
inline constexpr const char* kRowDragFormat = "application/x-hoardwright-rows";

// Columns are sized to their contents, and never narrower than this.
inline constexpr int kListColumnWidth = 100;

class PersonalityListView : public QTreeView {
  Q_OBJECT

 public:
  PersonalityListView(catalogue::PersonalityListModel& list, QWidget* parent = nullptr);

  // Shows the list's rows and selection again after the list has changed.
  void Reload();
  // Shows only the rows whose device or manufacturer holds `text`.
  void SetFilter(const QString& text);
  PersonalityTableModel& Table() { return *table_; }
  // The entry a view row shows, or null.
  const catalogue::PersonalityEntry* EntryAt(const QModelIndex& index) const;

 signals:
  // A row was double-clicked, or Return pressed on the selection: move the selected rows to the
  // other list.
  void MoveRequested();
  // Delete was pressed on the selection.
  void DeleteRequested();
  // Rows dragged from `source` (another list of this window) were dropped here.
  void RowsDropped(PersonalityListView* source);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void startDrag(Qt::DropActions supportedActions) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // The list a drag of rows comes from, or null for any other drag.
  PersonalityListView* RowSource(const QMimeData* data) const;

  void ClickColumn(int column);
  void TakeSelection();
  void ShowSortIndicator();
  // Columns fit their contents until the user sizes one.
  void FitColumns();

  catalogue::PersonalityListModel& list_;
  PersonalityTableModel* table_;
  // True while the view is being brought in line with the list, so that the view's own
  // selection signals do not write back.
  bool reloading_ = false;
  bool fitting_ = false;
  bool userSizedColumns_ = false;
};

}  // namespace hoardwright::desktop
