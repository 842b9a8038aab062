#pragma once
// Presents one of the main dialog's lists to a view: a row per entry, the columns "Device" and
// "Manufacturer". The rows themselves live in the list; the view is told when they change.
#include <QAbstractTableModel>

#include "catalogue/PersonalityListModel.h"

namespace hoardwright::desktop {

class PersonalityTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit PersonalityTableModel(const catalogue::PersonalityListModel& list, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  // The list's rows have changed (added, removed or reordered).
  void Reload();

 private:
  const catalogue::PersonalityListModel& list_;
};

}  // namespace hoardwright::desktop
