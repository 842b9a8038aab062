#pragma once
// "Build Cache File": shows the date and file count of the cache about to be built and lets the
// user enter who created it, some notes, the output directory and the file name.
#include <QDialog>
#include <QString>
#include <cstdint>
#include <string>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace hoardwright::desktop {

class CBuildCacheDlg;

class CBuildDetailsDlg : public QDialog {
  Q_OBJECT

 public:
  // `parent` is the main dialog; its folder picker serves Browse.
  explicit CBuildDetailsDlg(CBuildCacheDlg* parent);

  // The dialog's fields, set by the build before the dialog is shown and read after OK. Notes
  // break their lines with a carriage return and a line feed.
  std::string OutputDir;
  std::string CreatedBy;
  std::string CacheDate;
  std::int32_t FileCount = 0;
  std::string Notes;
  std::string OutputFileName;
  // False for the extended cache: created-by and notes are shown but cannot be edited.
  bool KeepsCreatedByAndNotes = true;

  QLineEdit& OutputDirEdit() { return *outputDirEdit_; }
  QLineEdit& CreatedByEdit() { return *createdByEdit_; }
  QLineEdit& CacheDateEdit() { return *cacheDateEdit_; }
  QLineEdit& FileCountEdit() { return *fileCountEdit_; }
  QPlainTextEdit& NotesEdit() { return *notesEdit_; }
  QLineEdit& OutputFileNameEdit() { return *outputFileNameEdit_; }
  QPushButton& BrowseButton() { return *browseButton_; }
  QPushButton& OkButton() { return *okButton_; }
  QPushButton& CancelButton() { return *cancelButton_; }

 public slots:
  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void InitDialog();
  void OnBrowse();
  // Cuts what was typed into the notes to what the cache keeps.
  void FitNotesField();
  // Fields into controls and back.
  void ShowFields();
  void TakeFields();

  CBuildCacheDlg* parent_;
  QLineEdit* outputDirEdit_;
  QLineEdit* createdByEdit_;
  QLineEdit* cacheDateEdit_;
  QLineEdit* fileCountEdit_;
  QPlainTextEdit* notesEdit_;
  QLineEdit* outputFileNameEdit_;
  QPushButton* browseButton_;
  QPushButton* cancelButton_;
  QPushButton* okButton_;
  bool initialised_ = false;
};

}  // namespace hoardwright::desktop
