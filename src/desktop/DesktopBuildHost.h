#pragma once
// The standard build's view of the desktop: the details and result dialogs, message boxes owned
// by the main window, and the main window's progress bar and status line.
#include "standard/BuildHost.h"
#include "desktop/MessageBoxReporter.h"

namespace hoardwright::desktop {

class CBuildCacheDlg;

class DesktopBuildHost : public standard::BuildHost {
 public:
  explicit DesktopBuildHost(CBuildCacheDlg& dialog);

  void ShowMessage(std::string_view text, std::string_view caption = support::kApplicationName) override;
  standard::DialogResult ShowBuildDetails(standard::BuildDetails& details) override;
  void StoreBuildDetails(const standard::BuildDetails& details) override;
  void RepaintNow() override;
  void DispatchPendingMessages() override;
  void SetProgressRange(std::uint32_t maximum) override;
  void SetProgressPosition(std::uint32_t position) override;
  void ShowProgress(bool visible) override;
  void SetStatusText(std::string_view text) override;
  void ShowResult(std::int64_t cacheSize, std::int32_t personalityCount) override;

 private:
  CBuildCacheDlg& dialog_;
  MessageBoxReporter reporter_;
};

}  // namespace hoardwright::desktop
