#include "desktop/DesktopBuildHost.h"

#include <QMetaObject>
#include <QThread>

#include "desktop/BuildCacheDlg.h"
#include "desktop/BuildDetailsDlg.h"

namespace hoardwright::desktop {

DesktopBuildHost::DesktopBuildHost(CBuildCacheDlg& dialog, standard::BuildProgress& progress,
                                   const support::CancelToken& cancel)
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

standard::DialogResult DesktopBuildHost::ShowBuildDetails(standard::BuildDetails& details) {
  if (cancel_.Cancelled()) return standard::DialogResult::Cancel;
  standard::DialogResult result = standard::DialogResult::Cancel;
  OnWindowThread([&] {
    CBuildDetailsDlg detailsDialog(&dialog_);
    detailsDialog.CacheDate = details.cacheDate;
    detailsDialog.FileCount = details.fileCount;
    detailsDialog.CreatedBy = details.createdBy;
    detailsDialog.OutputDir = details.outputDir;
    detailsDialog.OutputFileName = details.outputFileName;
    detailsDialog.Notes = details.notes;
    detailsDialog.KeepsCreatedByAndNotes = details.keepsCreatedByAndNotes;
    if (detailsDialog.exec() != QDialog::Accepted) return;
    details.createdBy = detailsDialog.CreatedBy;
    details.outputDir = detailsDialog.OutputDir;
    details.notes = detailsDialog.Notes;
    details.outputFileName = detailsDialog.OutputFileName;
    result = standard::DialogResult::Ok;
  });
  return result;
}

void DesktopBuildHost::StoreBuildDetails(const standard::BuildDetails& details) {
  OnWindowThread([&] {
    dialog_.TakeBuildDetails(details.createdBy, details.outputDir, details.notes);
    dialog_.SaveSettings();
  });
}

}  // namespace hoardwright::desktop
