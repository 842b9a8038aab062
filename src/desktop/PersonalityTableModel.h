#pragma once
// Presents one of the main dialog's lists to a view: a row per entry that the list's filter
// shows, the columns "Device" and "Manufacturer". The rows themselves live in the list; the view
// is told when they change.
#include <QAbstractTableModel>
#include <QIcon>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "catalogue/PersonalityListModel.h"
#include "ui/PreviewTexts.h"

namespace hoardwright::desktop {

class PersonalityTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit PersonalityTableModel(const catalogue::PersonalityListModel& list,
                                 QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  Qt::DropActions supportedDragActions() const override { return Qt::CopyAction | Qt::MoveAction; }

  // The list's rows or its filter have changed (added, removed, reordered, filtered).
  void Reload();
  // Where a row's problem mark comes from: its file's mark, or null while it is not checked.
  using MarkLookup = std::function<const ui::RowMark*(const std::string& path)>;
  void SetMarkLookup(MarkLookup lookup) { marks_ = std::move(lookup); }
  // The marks have changed: the views draw them again.
  void MarksChanged();

  // The list row a view row shows, and the view row of a shown list row (-1 when hidden).
  std::size_t ListRow(int viewRow) const { return shown_.at(static_cast<std::size_t>(viewRow)); }
  int ViewRow(std::size_t listRow) const;

 private:
  const catalogue::PersonalityListModel& list_;
  std::vector<std::size_t> shown_;
  MarkLookup marks_;
  QIcon leftOutIcon_;
  QIcon warningIcon_;
};

}  // namespace hoardwright::desktop
