#include "desktop/PersonalityTableModel.h"

#include "catalogue/ListOrder.h"
#include "desktop/TextConversion.h"

namespace hoardwright::desktop {
namespace {

constexpr int kColumnCount = 2;

}  // namespace

PersonalityTableModel::PersonalityTableModel(const catalogue::PersonalityListModel& list,
                                             QObject* parent)
    : QAbstractTableModel(parent), list_(list) {}

int PersonalityTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(list_.RowCount());
}

int PersonalityTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant PersonalityTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= kColumnCount) {
    return {};
  }
  const catalogue::PersonalityEntry& entry = list_.Row(static_cast<std::size_t>(index.row()));
  switch (role) {
    case Qt::DisplayRole: {
      // Manufacturer names are padded with blanks to a fixed width; shown without the padding
      // they fit their column.
      std::string_view text = catalogue::ColumnText(entry, static_cast<catalogue::ListColumn>(index.column()));
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

void PersonalityTableModel::Reload() {
  beginResetModel();
  endResetModel();
}

}  // namespace hoardwright::desktop
