#include "desktop/PersonalityTableModel.h"

#include <algorithm>

#include "catalogue/ListOrder.h"
#include "desktop/TextConversion.h"

namespace hoardwright::desktop {
namespace {

constexpr int kColumnCount = 2;

}  // namespace

PersonalityTableModel::PersonalityTableModel(const catalogue::PersonalityListModel& list,
                                             QObject* parent)
    : QAbstractTableModel(parent), list_(list), shown_(list.ShownRows()) {}

int PersonalityTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

int PersonalityTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant PersonalityTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= kColumnCount) {
    return {};
  }
  const catalogue::PersonalityEntry& entry = list_.Row(ListRow(index.row()));
  switch (role) {
    case Qt::DisplayRole: {
      // Manufacturer names are padded with blanks to a fixed width; shown without the padding
      // they fit their column.
      std::string_view text =
          catalogue::ColumnText(entry, static_cast<catalogue::ListColumn>(index.column()));
      while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
      return FileText(text);
    }
    case Qt::ToolTipRole:
      return PathText(entry.filePath);
    default:
      return {};
  }
}

QVariant PersonalityTableModel::headerData(int section, Qt::Orientation orientation,
                                           int role) const {
  if (orientation != Qt::Horizontal) return {};
  if (role == Qt::DisplayRole) {
    switch (section) {
      case static_cast<int>(catalogue::ListColumn::Device):
        return QStringLiteral("Device");
      case static_cast<int>(catalogue::ListColumn::Manufacturer):
        return QStringLiteral("Manufacturer");
      default:
        return {};
    }
  }
  return {};
}

Qt::ItemFlags PersonalityTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::ItemIsDropEnabled;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

void PersonalityTableModel::Reload() {
  beginResetModel();
  shown_ = list_.ShownRows();
  endResetModel();
}

int PersonalityTableModel::ViewRow(std::size_t listRow) const {
  const auto it = std::lower_bound(shown_.begin(), shown_.end(), listRow);
  if (it == shown_.end() || *it != listRow) return -1;
  return static_cast<int>(it - shown_.begin());
}

}  // namespace hoardwright::desktop
