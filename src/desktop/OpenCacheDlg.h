#pragma once
// "Open Cache": what inspect reports of an existing cache (kind, date, created-by, notes, every
// personality with its device, manufacturer and size, whether it is intact) and, against the
// current personality directory, which personalities are unchanged, changed, missing or new.
// "Load into cache list" closes it with OK; the caller then loads the cache's files.
#include <QDialog>
#include <string>

#include "ui/PreviewTexts.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace hoardwright::desktop {

class COpenCacheDlg : public QDialog {
  Q_OBJECT

 public:
  COpenCacheDlg(QWidget* parent, const std::string& path, ui::CacheOverview overview);

  const ui::CacheOverview& Overview() const { return overview_; }
  QLabel& DetailsLabel() { return *details_; }
  QLabel& ComparisonLabel() { return *comparison_; }
  QTreeWidget& Personalities() { return *personalities_; }
  QPushButton& LoadButton() { return *loadButton_; }
  QPushButton& CloseButton() { return *closeButton_; }

 private:
  ui::CacheOverview overview_;
  QLabel* details_;
  QLabel* comparison_;
  QTreeWidget* personalities_;
  QPushButton* loadButton_;
  QPushButton* closeButton_;
};

}  // namespace hoardwright::desktop
