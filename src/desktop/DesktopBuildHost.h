#pragma once
// The standard build's view of the desktop while the build runs on a thread of its own: the
// details dialog and message boxes are shown by the main window's thread while the build waits
// for them; progress and status go into a standard::BuildProgress that the window shows on its own
// timer, so the window never waits for the build. The result dialog is the window's, once the build
// has ended.
#include <functional>

#include "desktop/MessageBoxReporter.h"
#include "standard/BuildHost.h"
#include "standard/BuildProgress.h"
#include "support/CancelToken.h"

namespace hoardwright::desktop {

class CBuildCacheDlg;

class DesktopBuildHost : public standard::BuildHost {
 public:
  DesktopBuildHost(CBuildCacheDlg& dialog, standard::BuildProgress& progress,
                   const support::CancelToken& cancel);

  // Once the build is cancelled its remaining messages are not shown.
  void ShowMessage(std::string_view text,
                   std::string_view caption = support::kApplicationName) override;
  standard::DialogResult ShowBuildDetails(standard::BuildDetails& details) override;
  void StoreBuildDetails(const standard::BuildDetails& details) override;
  // The window paints on its own; nothing to do for a build on another thread.
  void RepaintNow() override {}
  void DispatchPendingMessages() override {}
  void SetProgressRange(std::uint32_t maximum) override { progress_.SetRange(maximum); }
  void SetProgressPosition(std::uint32_t position) override { progress_.SetPosition(position); }
  void ShowProgress(bool visible) override { progress_.SetVisible(visible); }
  void SetStatusText(std::string_view text) override { progress_.SetStatus(text); }
  void ShowResult(std::int64_t, std::int32_t) override {}

 private:
  // Runs `work` on the window's thread and waits for it.
  void OnWindowThread(const std::function<void()>& work);

  CBuildCacheDlg& dialog_;
  standard::BuildProgress& progress_;
  const support::CancelToken& cancel_;
  MessageBoxReporter reporter_;
};

}  // namespace hoardwright::desktop
