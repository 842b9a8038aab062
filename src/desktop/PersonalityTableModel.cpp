#include "desktop/PersonalityTableModel.h"

#include <algorithm>

#include "catalogue/ListOrder.h"
#include "desktop/Artwork.h"
#include "desktop/TextConversion.h"

namespace hoardwright::desktop {
namespace {

constexpr int kColumnCount = 2;

}  // namespace

PersonalityTableModel::PersonalityTableModel(const catalogue::PersonalityListModel& list,
                                             QObject* parent)
    : QAbstractTableModel(parent),
      list_(list),
      shown_(list.ShownRows()),
      leftOutIcon_(LeftOutIcon()),
      warningIcon_(WarningIcon()) {}

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
    case Qt::ToolTipRole: {
      const ui::RowMark* mark = marks_ ? marks_(entry.filePath) : nullptr;
      if (mark == nullptr || mark->kind == ui::RowMarkKind::None) return PathText(entry.filePath);
      return PathText(entry.filePath) + QLatin1Char('\n') + FileText(mark->ToolTip());
    }
    case Qt::DecorationRole: {
      if (index.column() != 0 || !marks_) return {};
      const ui::RowMark* mark = marks_(entry.filePath);
      if (mark == nullptr) return {};
      if (mark->kind == ui::RowMarkKind::LeftOut) return leftOutIcon_;
      if (mark->kind == ui::RowMarkKind::Warning) return warningIcon_;
      return {};
    }
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

void PersonalityTableModel::MarksChanged() {
  if (shown_.empty()) return;
  emit dataChanged(index(0, 0), index(static_cast<int>(shown_.size()) - 1, kColumnCount - 1),
                   {Qt::DecorationRole, Qt::ToolTipRole});
}

int PersonalityTableModel::ViewRow(std::size_t listRow) const {
  const auto it = std::lower_bound(shown_.begin(), shown_.end(), listRow);
  if (it == shown_.end() || *it != listRow) return -1;
  return static_cast<int>(it - shown_.begin());
}

}  // namespace hoardwright::desktop
