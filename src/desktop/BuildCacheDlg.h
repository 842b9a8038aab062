#pragma once
// The program's window, "Qendrale Personality Hoardwright v1.6": the personalities of the current
// directory on the left, the cache list on the right, the buttons between them, the table options
// and Build Cache below. All state lives in the MainDialogModel; the widgets present it and pass
// the user's actions on.
#include <QDialog>
#include <QString>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "check/LeftOutReasons.h"
#include "desktop/MessageBoxReporter.h"
#include "preview/CachePreview.h"
#include "preview/PersonalityStore.h"
#include "standard/BuildProgress.h"
#include "standard/StandardBuild.h"
#include "support/CancelToken.h"
#include "ui/MainDialogModel.h"
#include "ui/PreviewTexts.h"
#include "ui/WindowBuild.h"

class QCheckBox;
class QFileSystemWatcher;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTimer;

namespace hoardwright::desktop {

class DesktopBuildHost;
class PersonalityListView;

class CBuildCacheDlg : public QDialog {
  Q_OBJECT

 public:
  // Returns the chosen directory, or an empty text when the user cancels; it opens at `start`.
  using FolderPicker =
      std::function<QString(QWidget* owner, const QString& title, const QString& start)>;

  // Runs the whole initialisation: icons, lists, settings, the scan of the personality
  // directory, and the table options and the Normal choice checked.
  explicit CBuildCacheDlg(QWidget* parent = nullptr);
  ~CBuildCacheDlg() override;

  const ui::MainDialogModel& Model() const { return model_; }

  // The folder picker owned by this dialog, with the given title, opening at `start`; no
  // separator is added.
  QString BrowseForFolder(const QString& title, const QString& start);
  // Tests and the screenshot tour answer the folder picker themselves.
  void SetFolderPicker(FolderPicker picker) { folderPicker_ = std::move(picker); }

  void ScanPersonalityDirectory();
  // Files and folders dropped onto the window: a folder is browsed to, *.QPF files are added to
  // the cache list, anything else is left alone.
  void DropPaths(const std::vector<std::string>& paths);
  void SaveSettings() const;
  // A build takes the details dialog's values back (the settings are saved separately).
  void TakeBuildDetails(std::string createdBy, std::string outputDir, std::string notes);

  // Progress and status for a build; the progress bar is hidden and the status line empty
  // outside builds.
  void SetProgressRange(std::uint32_t maximum);
  void SetProgressPosition(std::uint32_t position);
  void ShowProgress(bool visible);
  void SetStatusText(std::string_view text);
  bool Building() const { return building_; }

  // The Build Cache command: the standard build when Normal is checked, otherwise the extended.
  // The build runs on a thread of its own; this returns at once, and the window shows the
  // result dialog when the build has ended.
  void OnBuildCache();
  // The size gauge: settled once no figure is being worked out; the last settled preview.
  bool GaugeSettled() const;
  const preview::CachePreview& GaugePreview() const { return gaugePreview_; }
  // The row checks: settled once every listed file has its mark.
  bool ChecksSettled() const { return !checkRun_; }
  // File -> Open Cache...: the view of the cache at `path` against the personality directory.
  // The cache is read and compared on a thread of its own; the window shows the view once that
  // has ended. Opening another meanwhile stops the first and opens the other instead.
  void OpenCache(const QString& path);
  // Stops the running Open Cache, if any: no view comes of it.
  void CancelOpenCache();
  // Whether a cache is being read and compared, or waits to be.
  bool OpeningCache() const { return openRun_ != nullptr || nextOpen_.has_value(); }
  // Asks the running build, if any, to stop: it writes no cache, leaves an earlier one as it was
  // and removes its working files.
  void CancelBuild();
  // Shows the running build's progress and status now (a timer does so while it runs).
  void ShowBuildProgress();

  PersonalityListView& PersonalityListWidget() { return *personalityView_; }
  PersonalityListView& CacheListWidget() { return *cacheView_; }
  QLineEdit& CurrentDirectoryEdit() { return *currentDirEdit_; }
  QLabel& CacheLabel() { return *cacheLabel_; }
  QLabel& StatusLine() { return *statusLine_; }
  QProgressBar& ProgressBar() { return *progressBar_; }
  QPushButton& BrowseButton() { return *browseButton_; }
  QPushButton& RefreshButton() { return *refreshButton_; }
  QFileSystemWatcher& DirectoryWatcher() { return *watcher_; }
  QLineEdit& PersonalityFilter() { return *personalityFilter_; }
  QLineEdit& CacheFilter() { return *cacheFilter_; }
  QLabel& PersonalityCount() { return *personalityCount_; }
  QLabel& CacheCount() { return *cacheCount_; }
  QPushButton& AddButton() { return *addButton_; }
  QPushButton& AddAllButton() { return *addAllButton_; }
  QPushButton& RemoveButton() { return *removeButton_; }
  QPushButton& RemoveAllButton() { return *removeAllButton_; }
  QPushButton& BuildCacheButton() { return *buildButton_; }
  QPushButton& CancelButton() { return *cancelButton_; }
  QPushButton& CloseButton() { return *closeButton_; }
  QCheckBox& PresetFocusBox() { return *tableOptions_[0]; }
  QCheckBox& RangeTablesBox() { return *tableOptions_[1]; }
  QCheckBox& MacrosBox() { return *tableOptions_[2]; }
  QRadioButton& NormalChoice() { return *normalChoice_; }
  QRadioButton& ExtendedChoice() { return *extendedChoice_; }
  QGroupBox& CacheTypeGroup() { return *cacheTypeGroup_; }
  QLabel& GaugeSizeLabel() { return *gaugeSize_; }
  QLabel& GaugeWarningLabel() { return *gaugeWarning_; }
  QLabel& GaugeConsoleLabel(int row) { return *gaugeConsoles_.at(static_cast<std::size_t>(row)); }
  QPlainTextEdit& ReasonsPane() { return *reasonsPane_; }
  QMenuBar& MenuBar() { return *menuBar_; }
  // Tests and the screenshot tour answer the file picker of Open Cache themselves.
  using FilePicker =
      std::function<QString(QWidget* owner, const QString& title, const QString& start)>;
  void SetFilePicker(FilePicker picker) { filePicker_ = std::move(picker); }

 public slots:
  // Close ends the program, but not while a build runs.
  void reject() override;
  // The window's size and position are remembered whenever it closes.
  void done(int result) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void CreateControls();
  void InitDialog();

  // The scan's messages, owned by this window once it is on the screen.
  void ShowPendingNotices();
  void OnBrowse();
  // The directory changed by itself: listed again, with only new problems reported.
  void RescanChangedDirectory();
  // The scan's result in the controls, and the directory watched.
  void ShowScannedDirectory();
  void WatchPersonalityDirectory();
  // Lists the personality directory again, keeping selection and sort.
  void OnRefresh();
  // "12 of 600 shown" under each filter.
  void UpdateCounts();
  void OnAdd();
  void OnAddAll();
  void OnRemove();
  void OnRemoveAll();
  void UpdateCacheLabel();
  // The cache list changed: shown again and remembered.
  void CacheListChanged();
  // The cache list of the last run, read back at start; written after every change.
  void RestoreCacheList();
  void RememberCacheList();
  // Shows the model's lists, options and current directory in the controls.
  void ShowPersonalityList();
  void ShowCacheList();
  void ShowOptions();
  // The cache kind was chosen: marks and gauge follow it.
  void CacheKindChanged();
  // The cache list, a table option or the kind changed: the gauge works out the size again.
  void BuildInputsChanged();
  // The gauge's work: one at a time on a thread of its own.
  void StartGauge();
  void FinishGauge();
  void ShowGauge();
  // The row checks of both lists' files, on a thread of its own; results arrive in batches.
  void StartChecks();
  // The files of both lists, each once, the personality list's first.
  std::vector<std::string> ListedPaths() const;
  void ApplyChecks(
      const std::vector<std::pair<std::string, std::shared_ptr<const check::FileCheck>>>& batch);
  void FinishChecks();
  // The marks again from the kept checks, after the cache kind changed.
  void RemarkRows();
  void ShowReasons(const PersonalityListView& view);
  // Tells which files the last Add refused, and why.
  void ShowRefusals();
  void OnOpenCache();
  void StartOpenCache(const QString& path);
  // Back on the window's thread once the cache has been read and compared.
  void FinishOpenCache();
  // The status line, the busy bar and Cancel while a cache is being opened.
  void ShowOpening(bool opening, const QString& path = {});
  // The Cancel button and Escape: the build, or else the Open Cache, stops.
  void CancelWork();
  // While a build runs, nothing that changes its inputs can be used.
  void SetBuilding(bool building);
  // On the build's thread: the build, and the reasons for what it left out.
  void RunBuild();
  // Back on the window's thread once the build has ended.
  void FinishBuild();

  ui::MainDialogModel model_;
  MessageBoxReporter reporter_;
  // What the builds and check make of each file, for the gauge, the marks and Open Cache.
  preview::PersonalityStore store_;
  std::vector<support::ReportedMessage> pendingNotices_;
  FolderPicker folderPicker_;
  bool building_ = false;
  bool closeAfterBuild_ = false;  // the window was closed during the build
  bool destroying_ = false;
  bool showingOptions_ = false;    // the controls are being set from the model
  bool cacheListUnsaved_ = false;  // the list could not be written; said once
  // The running build's: what it builds, how it is stopped, what it shows, and what came of it.
  struct RunningBuild {
    catalogue::BuildRequest request;
    support::CancelToken cancel;
    standard::BuildProgress progress;
    std::unique_ptr<DesktopBuildHost> host;
    standard::StandardBuildResult result;
    ui::WindowExtendedBuild extended;
    std::vector<check::LeftOutLine> leftOut;
    std::string failure;  // a message for an exception that ended the build
    std::thread thread;
    std::atomic<bool> ended{false};
  };
  std::unique_ptr<RunningBuild> build_;
  // The gauge's running work: a change cancels it, and the next starts when it has ended.
  struct GaugeRun {
    catalogue::BuildRequest request;
    support::CancelToken cancel;
    preview::CachePreview preview;
    std::thread thread;
  };
  std::unique_ptr<GaugeRun> gaugeRun_;
  bool gaugeStale_ = false;  // the inputs changed since the running work started
  QTimer* gaugeTimer_ = nullptr;
  preview::CachePreview gaugePreview_;
  struct CheckRun {
    std::vector<std::string> paths;
    support::CancelToken cancel;
    std::thread thread;
  };
  std::unique_ptr<CheckRun> checkRun_;
  // Open Cache's running work: the cache's path, the directory it is compared with and what
  // came of it.
  struct OpenRun {
    std::string path;
    std::string directory;
    support::CancelToken cancel;
    ui::OpenedCache opened;
    std::thread thread;
  };
  std::unique_ptr<OpenRun> openRun_;
  std::optional<QString> nextOpen_;  // asked for while another ran; opened once that has stopped
  bool checksStale_ = false;
  std::unordered_map<std::string, std::shared_ptr<const check::FileCheck>> checks_;
  const PersonalityListView* reasonsSource_ = nullptr;  // the list whose row the pane shows
  FilePicker filePicker_;
  standard::BuildProgress::Snapshot shownProgress_;
  QTimer* progressTimer_ = nullptr;
  QFileSystemWatcher* watcher_ = nullptr;
  QTimer* rescanTimer_ = nullptr;

  QLineEdit* currentDirEdit_ = nullptr;
  QPushButton* browseButton_ = nullptr;
  QPushButton* refreshButton_ = nullptr;
  QLineEdit* personalityFilter_ = nullptr;
  QLineEdit* cacheFilter_ = nullptr;
  QLabel* personalityCount_ = nullptr;
  QLabel* cacheCount_ = nullptr;
  PersonalityListView* personalityView_ = nullptr;
  PersonalityListView* cacheView_ = nullptr;
  QPushButton* addButton_ = nullptr;
  QPushButton* addAllButton_ = nullptr;
  QPushButton* removeButton_ = nullptr;
  QPushButton* removeAllButton_ = nullptr;
  QLabel* cacheLabel_ = nullptr;
  std::array<QCheckBox*, 3> tableOptions_{};
  QLabel* statusLine_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
  QPushButton* buildButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QPushButton* closeButton_ = nullptr;
  QGroupBox* cacheTypeGroup_ = nullptr;
  QRadioButton* normalChoice_ = nullptr;
  QRadioButton* extendedChoice_ = nullptr;
  QLabel* gaugeSize_ = nullptr;
  QLabel* gaugeWarning_ = nullptr;
  std::array<QLabel*, 3> gaugeConsoles_{};
  std::array<QLabel*, 3> gaugeMarks_{};
  QPlainTextEdit* reasonsPane_ = nullptr;
  QMenuBar* menuBar_ = nullptr;
};

}  // namespace hoardwright::desktop
