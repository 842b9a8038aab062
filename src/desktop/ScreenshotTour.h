#pragma once
// Pictures of the dialogs for the documentation. When HOARDWRIGHT_SCREENSHOT_DIR names a
// directory, the desktop application walks through one build by itself: it fills both lists,
// shows the window larger and with a filter, enters build details, shows the build in progress
// (held by the message of a personality that cannot be compiled), confirms the result, then
// shows a row's problems, the cache it built opened against a changed directory ("Pers2" in the
// current directory, when there is one), the gauge over a console's limit (with the
// personalities of "Big") and the extended cache chosen; it saves a PNG of each as the screen
// shows it, and closes.
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <functional>

class QWidget;

namespace hoardwright::desktop {

class CBuildCacheDlg;

inline constexpr const char* kScreenshotDirVariable = "HOARDWRIGHT_SCREENSHOT_DIR";

class ScreenshotTour : public QObject {
  Q_OBJECT

 public:
  // The tour for this process, owned by `dialog`, or null when none was asked for.
  static ScreenshotTour* FromEnvironment(CBuildCacheDlg& dialog);

  ScreenshotTour(CBuildCacheDlg& dialog, QString directory);

  // Begins once the main dialog is on the screen.
  void Start();
  bool Succeeded() const { return succeeded_; }

 private:
  void FillLists();
  void ShowLarger();
  void Filter();
  void BuildCache();
  // Answers the build's message boxes, saving the window in progress at the first, and saves
  // the result dialog.
  void AnswerBuild();
  void CloseAfterBuild();
  void ShowProblems();
  void ShowOpenCache();
  void ShowGaugeOverLimit();
  void ShowCacheKind();
  // Calls `then` once the gauge and the row checks have settled.
  void WhenSettled(std::function<void()> then, int attempts = 0);
  // Calls `act` with the modal dialog of the given class once it is on the screen, settled.
  void WhenModal(const char* className, std::function<void(QWidget&)> act, int attempts = 0);
  void FillDetails(QWidget& details);
  // Saves the window as the screen shows it, then goes on with `then`.
  void Save(QWidget& window, const QString& fileName, std::function<void(QWidget&)> then,
            int attempts = 0);
  void Fail(const QString& reason);

  CBuildCacheDlg& dialog_;
  QString directory_;
  bool succeeded_ = true;
  QSize normalSize_;
  bool progressSaved_ = false;
};

}  // namespace hoardwright::desktop
