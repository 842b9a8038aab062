#include "ui/qt/DesktopBuildHost.h"

#include <QMetaObject>
#include <QThread>

#include "ui/qt/BuildCacheDlg.h"
#include "ui/qt/BuildDetailsDlg.h"

namespace hoardwright::desktop {

DesktopBuildHost::DesktopBuildHost(CBuildCacheDlg& dialog, BuildProgress& progress,
                                   const CancelToken& cancel)
    : dialog_(dialog), progress_(progress), cancel_(cancel), reporter_(dialog) {}

void DesktopBuildHost::OnWindowThread(const std::function<void()>& work) {
  if (QThread::currentThread() == dialog_.thread()) {
    work();
    return;
  }
  QMetaObject::invokeMethod(&dialog_, work, Qt::BlockingQueuedConnection);
}

void DesktopBuildHost::ShowMessage(std::string_view text, std::string_view caption) {
  if (cancel_.Cancelled()) return;
  OnWindowThread([&] {
    // The status line names the file the message is about before the box appears.
    dialog_.ShowBuildProgress();
    reporter_.ShowMessage(text, caption);
  });
}

DialogResult DesktopBuildHost::ShowBuildDetails(BuildDetails& details) {
  if (cancel_.Cancelled()) return DialogResult::Cancel;
  DialogResult result = DialogResult::Cancel;
  OnWindowThread([&] {
    CBuildDetailsDlg detailsDialog(&dialog_);
    detailsDialog.CacheDate = details.cacheDate;
    detailsDialog.FileCount = details.fileCount;
    detailsDialog.CreatedBy = details.createdBy;
    detailsDialog.OutputDir = details.outputDir;
    detailsDialog.OutputFileName = details.outputFileName;
    detailsDialog.Notes = details.notes;
    if (detailsDialog.exec() != QDialog::Accepted) return;
    details.createdBy = detailsDialog.CreatedBy;
    details.outputDir = detailsDialog.OutputDir;
    details.notes = detailsDialog.Notes;
    details.outputFileName = detailsDialog.OutputFileName;
    result = DialogResult::Ok;
  });
  return result;
}

void DesktopBuildHost::StoreBuildDetails(const BuildDetails& details) {
  OnWindowThread([&] {
    dialog_.TakeBuildDetails(details.createdBy, details.outputDir, details.notes);
    dialog_.SaveSettings();
  });
}

}  // namespace hoardwright::desktop
