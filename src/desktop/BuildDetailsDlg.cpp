#include "desktop/BuildDetailsDlg.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>

#include "catalogue/BuildDetails.h"
#include "desktop/Artwork.h"
#include "desktop/BuildCacheDlg.h"
#include "desktop/DialogUnits.h"
#include "desktop/MessageBoxReporter.h"
#include "desktop/TextConversion.h"

namespace hoardwright::desktop {
namespace {

// Layout in dialog units.
constexpr int kWidth = 242;
constexpr int kHeight = 169;

QLabel* MakeLabel(QWidget* parent, const QString& text) { return new QLabel(text, parent); }

QLineEdit* MakeEdit(QWidget* parent, const QString& name, bool readOnly) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  edit->setReadOnly(readOnly);
  return edit;
}

QPushButton* MakeButton(QWidget* parent, const QString& text, const QString& name) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  return button;
}

}  // namespace

CBuildDetailsDlg::CBuildDetailsDlg(CBuildCacheDlg* parent) : QDialog(parent), parent_(parent) {
  setObjectName(QStringLiteral("buildDetailsDialog"));
  setWindowTitle(QStringLiteral("Build Cache File"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setWindowIcon(ApplicationIcon());
  const DialogUnits du(font());
  setFixedSize(du.Size(kWidth, kHeight));

  // The frame goes first so that the controls it surrounds lie above it.
  auto* group = new QGroupBox(QStringLiteral("Cache File Details"), this);
  du.Place(*group, 7, 4, 228, 112);

  du.Place(*MakeLabel(this, QStringLiteral("Date")), 15, 19, 36, 8);
  cacheDateEdit_ = MakeEdit(this, QStringLiteral("cacheDateEdit"), true);
  du.Place(*cacheDateEdit_, 58, 17, 64, 12);
  du.Place(*MakeLabel(this, QStringLiteral("Files")), 134, 19, 22, 8);
  fileCountEdit_ = MakeEdit(this, QStringLiteral("fileCountEdit"), true);
  du.Place(*fileCountEdit_, 160, 17, 40, 12);

  du.Place(*MakeLabel(this, QStringLiteral("Created By")), 15, 35, 42, 8);
  createdByEdit_ = MakeEdit(this, QStringLiteral("createdByEdit"), false);
  // No more than the cache keeps can be typed.
  createdByEdit_->setMaxLength(static_cast<int>(catalogue::kKeptCreatedByLength));
  du.Place(*createdByEdit_, 58, 33, 169, 12);

  du.Place(*MakeLabel(this, QStringLiteral("Notes")), 15, 51, 42, 8);
  notesEdit_ = new QPlainTextEdit(this);
  notesEdit_->setObjectName(QStringLiteral("notesEdit"));
  // Return breaks the line; Tab moves on as in the other fields.
  notesEdit_->setTabChangesFocus(true);
  notesEdit_->setLineWrapMode(QPlainTextEdit::NoWrap);
  du.Place(*notesEdit_, 58, 49, 169, 60);
  connect(notesEdit_, &QPlainTextEdit::textChanged, this, &CBuildDetailsDlg::FitNotesField);

  du.Place(
      *MakeLabel(this, QStringLiteral("Note: These details will be stored in the cache file.")), 7,
      120, 228, 8);

  du.Place(*MakeLabel(this, QStringLiteral("Output Directory")), 7, 137, 60, 8);
  outputDirEdit_ = MakeEdit(this, QStringLiteral("outputDirEdit"), true);
  du.Place(*outputDirEdit_, 68, 135, 118, 12);
  browseButton_ = MakeButton(this, QStringLiteral("Browse"), QStringLiteral("browseButton"));
  du.Place(*browseButton_, 190, 134, 45, 14);

  outputFileNameEdit_ = MakeEdit(this, QStringLiteral("outputFileNameEdit"), false);
  du.Place(*outputFileNameEdit_, 7, 152, 76, 12);
  cancelButton_ = MakeButton(this, QStringLiteral("Cancel"), QStringLiteral("cancelButton"));
  du.Place(*cancelButton_, 132, 151, 50, 14);
  okButton_ = MakeButton(this, QStringLiteral("OK"), QStringLiteral("okButton"));
  okButton_->setDefault(true);
  du.Place(*okButton_, 185, 151, 50, 14);

  connect(browseButton_, &QPushButton::clicked, this, &CBuildDetailsDlg::OnBrowse);
  connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
  connect(okButton_, &QPushButton::clicked, this, &CBuildDetailsDlg::accept);
}

void CBuildDetailsDlg::showEvent(QShowEvent* event) {
  if (!initialised_) {
    initialised_ = true;
    InitDialog();
  }
  QDialog::showEvent(event);
}

void CBuildDetailsDlg::InitDialog() {
  // The file name always starts as the standard one, whatever the caller set.
  OutputFileName = std::string(catalogue::kDefaultCacheFileName);
  ShowFields();
  createdByEdit_->setFocus();
}

void CBuildDetailsDlg::ShowFields() {
  outputDirEdit_->setText(PathText(OutputDir));
  createdByEdit_->setText(FileText(CreatedBy));
  cacheDateEdit_->setText(FileText(CacheDate));
  fileCountEdit_->setText(QString::number(FileCount));
  notesEdit_->setPlainText(NotesText(Notes));
  outputFileNameEdit_->setText(PathText(OutputFileName));
  // The extended cache has no info personality to keep them in.
  createdByEdit_->setEnabled(KeepsCreatedByAndNotes);
  notesEdit_->setEnabled(KeepsCreatedByAndNotes);
  if (!KeepsCreatedByAndNotes) {
    const QString why = QStringLiteral("The extended cache keeps no created-by text or notes");
    createdByEdit_->setToolTip(why);
    notesEdit_->setToolTip(why);
  }
}

void CBuildDetailsDlg::TakeFields() {
  CreatedBy = FileBytes(createdByEdit_->text());
  Notes = NotesBytes(notesEdit_->toPlainText());
  OutputFileName = PathBytes(outputFileNameEdit_->text());
}

void CBuildDetailsDlg::OnBrowse() {
  TakeFields();
  const QString chosen =
      parent_->BrowseForFolder(QStringLiteral("Choose output directory"), PathText(OutputDir));
  if (chosen.isEmpty()) return;
  OutputDir = catalogue::ApplyBrowsedOutputDir(OutputDir, PathBytes(chosen));
  ShowFields();
}

void CBuildDetailsDlg::FitNotesField() {
  const QString typed = notesEdit_->toPlainText();
  const QString fitted = QString::fromStdU32String(catalogue::FitNotes(typed.toStdU32String()));
  if (fitted == typed) return;
  // Setting the text sends textChanged again, which then finds nothing to cut.
  const int position = notesEdit_->textCursor().position();
  notesEdit_->setPlainText(fitted);
  QTextCursor cursor = notesEdit_->textCursor();
  cursor.setPosition(std::min(position, static_cast<int>(fitted.size())));
  notesEdit_->setTextCursor(cursor);
}

void CBuildDetailsDlg::keyPressEvent(QKeyEvent* event) {
  // Return in a one-line field goes on to the next field: only OK itself confirms.
  const bool returnKey = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (returnKey && qobject_cast<QLineEdit*>(focusWidget()) != nullptr) {
    focusNextChild();
    return;
  }
  QDialog::keyPressEvent(event);
}

void CBuildDetailsDlg::accept() {
  TakeFields();
  // A place the build could not write to is refused now, before anything is compiled or saved.
  const std::string problem = catalogue::CheckOutputPlace(OutputDir, OutputFileName);
  if (!problem.empty()) {
    ShowMessageBox(this, problem, support::kApplicationName);
    return;
  }
  Notes = catalogue::CutNotes(std::move(Notes));
  QDialog::accept();
}

}  // namespace hoardwright::desktop
