#pragma once
// "Cache File": the size of the cache just written and, for each of the three console models,
// a tick when the file fits its memory or a cross when it does not.
#include <QDialog>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "check/LeftOutReasons.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace hoardwright::desktop {

class CResultDlg : public QDialog {
  Q_OBJECT

 public:
  // One row per console model, in the order Tiber, Ostra Mk1, Verdane Mk1.
  static constexpr int kConsoleRows = 3;

  explicit CResultDlg(QWidget* parent = nullptr);

  // Set by the creator before the dialog is shown.
  std::int32_t CacheSize = 0;
  std::int32_t PersonalityCount = 0;
  // An extended cache: its size and the number of its personalities, without the consoles,
  // whose limits apply to the standard cache only.
  bool Extended = false;
  // The file written, and what the build left out of it with the reasons; below the rows when
  // given.
  std::string OutputPath;
  std::vector<check::LeftOutLine> LeftOut;

  const QLabel& SizeLabel() const { return *sizeLabel_; }
  const QLabel& IntroLabel() const { return *introLabel_; }
  const QLabel& PathLabel() const { return *pathLabel_; }
  const QLabel& LeftOutLabel() const { return *leftOutLabel_; }
  const QPlainTextEdit& LeftOutList() const { return *leftOutList_; }
  const QLabel& ConsoleLabel(int row) const { return *rows_.at(row).name; }
  const QLabel& LimitLabel(int row) const { return *rows_.at(row).limit; }
  const QLabel& Tick(int row) const { return *rows_.at(row).tick; }
  const QLabel& Cross(int row) const { return *rows_.at(row).cross; }
  QPushButton& OkButton() { return *okButton_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void InitDialog();
  // The written path and the left-out list below the rows; the dialog grows to hold them.
  void PlaceDetails();

  struct ConsoleRow {
    QLabel* name = nullptr;
    QLabel* limit = nullptr;
    QLabel* tick = nullptr;
    QLabel* cross = nullptr;
  };
  QLabel* sizeLabel_;
  QLabel* introLabel_;
  QLabel* pathLabel_;
  QLabel* leftOutLabel_;
  QPlainTextEdit* leftOutList_;
  std::array<ConsoleRow, kConsoleRows> rows_;
  QPushButton* okButton_;
  bool initialised_ = false;
};

}  // namespace hoardwright::desktop
