#pragma once
// The standard build's view of the desktop while the build runs on a thread of its own: the
// details dialog and message boxes are shown by the main window's thread while the build waits
// for them; progress and status go into a BuildProgress that the window shows on its own timer,
// so the window never waits for the build. The result dialog is the window's, once the build has
// ended.
#include <functional>

#include "build/BuildHost.h"
#include "build/BuildProgress.h"
#include "core/CancelToken.h"
#include "ui/qt/MessageBoxReporter.h"

namespace hoardwright::desktop {

class CBuildCacheDlg;

class DesktopBuildHost : public BuildHost {
 public:
  DesktopBuildHost(CBuildCacheDlg& dialog, BuildProgress& progress, const CancelToken& cancel);

  // Once the build is cancelled its remaining messages are not shown.
  void ShowMessage(std::string_view text, std::string_view caption = kApplicationName) override;
  DialogResult ShowBuildDetails(BuildDetails& details) override;
  void StoreBuildDetails(const BuildDetails& details) override;
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
  BuildProgress& progress_;
  const CancelToken& cancel_;
  MessageBoxReporter reporter_;
};

}  // namespace hoardwright::desktop
