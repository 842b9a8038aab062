#include "desktop/DesktopBuildHost.h"

#include <QCoreApplication>
#include <algorithm>
#include <limits>

#include "desktop/BuildCacheDlg.h"
#include "desktop/BuildDetailsDlg.h"
#include "desktop/ResultDlg.h"

namespace hoardwright::desktop {

DesktopBuildHost::DesktopBuildHost(CBuildCacheDlg& dialog) : dialog_(dialog), reporter_(dialog) {}

void DesktopBuildHost::ShowMessage(std::string_view text, std::string_view caption) {
  reporter_.ShowMessage(text, caption);
}

standard::DialogResult DesktopBuildHost::ShowBuildDetails(standard::BuildDetails& details) {
  CBuildDetailsDlg detailsDialog(&dialog_);
  detailsDialog.CacheDate = details.cacheDate;
  detailsDialog.FileCount = details.fileCount;
  detailsDialog.CreatedBy = details.createdBy;
  detailsDialog.OutputDir = details.outputDir;
  detailsDialog.OutputFileName = details.outputFileName;
  detailsDialog.Notes = details.notes;
  if (detailsDialog.exec() != QDialog::Accepted) return standard::DialogResult::Cancel;
  details.createdBy = detailsDialog.CreatedBy;
  details.outputDir = detailsDialog.OutputDir;
  details.notes = detailsDialog.Notes;
  details.outputFileName = detailsDialog.OutputFileName;
  return standard::DialogResult::Ok;
}

void DesktopBuildHost::StoreBuildDetails(const standard::BuildDetails& details) {
  dialog_.TakeBuildDetails(details.createdBy, details.outputDir, details.notes);
  dialog_.SaveSettings();
}

void DesktopBuildHost::RepaintNow() { dialog_.repaint(); }

void DesktopBuildHost::DispatchPendingMessages() { QCoreApplication::processEvents(); }

void DesktopBuildHost::SetProgressRange(std::uint32_t maximum) {
  dialog_.SetProgressRange(maximum);
}

void DesktopBuildHost::SetProgressPosition(std::uint32_t position) {
  dialog_.SetProgressPosition(position);
}

void DesktopBuildHost::ShowProgress(bool visible) { dialog_.ShowProgress(visible); }

void DesktopBuildHost::SetStatusText(std::string_view text) { dialog_.SetStatusText(text); }

void DesktopBuildHost::ShowResult(std::int64_t cacheSize, std::int32_t personalityCount) {
  CResultDlg result;
  result.CacheSize = static_cast<std::int32_t>(
      std::clamp<std::int64_t>(cacheSize, 0, std::numeric_limits<std::int32_t>::max()));
  result.PersonalityCount = personalityCount;
  result.exec();
}

}  // namespace hoardwright::desktop
