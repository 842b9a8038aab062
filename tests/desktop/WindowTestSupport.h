#pragma once
// What the widget test programs share: the fixed build date and reading the window's lists and
// the files a build writes.
#include <QAbstractItemView>
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

namespace hoardwright::desktop::testing {

// 25 April 2026, 00:00 UTC, set as SOURCE_DATE_EPOCH so that caches do not depend on the day.
inline constexpr const char* kSourceDateEpoch = "1777075200";

inline QStringList ColumnTexts(const QAbstractItemView& view, int column) {
  QStringList texts;
  const QAbstractItemModel& model = *view.model();
  for (int row = 0; row < model.rowCount(); ++row) {
    texts << model.index(row, column).data().toString();
  }
  return texts;
}

inline QStringList Devices(const QAbstractItemView& view) { return ColumnTexts(view, 0); }

inline QByteArray ReadFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

}  // namespace hoardwright::desktop::testing
