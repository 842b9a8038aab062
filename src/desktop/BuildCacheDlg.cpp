#include "desktop/BuildCacheDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <exception>
#include <initializer_list>
#include <limits>
#include <new>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "catalogue/RememberedCacheList.h"
#include "desktop/Artwork.h"
#include "desktop/DesktopBuildHost.h"
#include "desktop/DesktopSettings.h"
#include "desktop/DialogUnits.h"
#include "desktop/OpenCacheDlg.h"
#include "desktop/PersonalityListView.h"
#include "desktop/PersonalityTableModel.h"
#include "desktop/ResultDlg.h"
#include "desktop/TextConversion.h"
#include "extended/ExtendedBuild.h"
#include "standard/StandardBuild.h"
#include "support/Platform.h"
#include "ui/WindowBuild.h"

namespace hoardwright::desktop {
namespace {

// The window's first size in dialog units; it can be made larger.
constexpr int kWidth = 400;
constexpr int kHeight = 380;
// The layout's own minimum counts the wrapped explanations by their widest form and so comes
// out short; below this the lists would run into the gauge.
constexpr int kMinimumHeight = 370;
// How often the window shows a running build's progress.
constexpr int kProgressMilliseconds = 50;
// A change in the personality directory is listed once the directory has been quiet this long,
// so a copy of many files gives one rescan.
constexpr int kRescanDelayMilliseconds = 300;
// Files of the directory watched one by one for changes in place (a directory's own watch sees
// files added, removed and renamed); more would use up the system's watches.
constexpr qsizetype kWatchedFilesLimit = 1000;
// The gauge starts once the inputs have been still this long, so a run of clicks gives one
// figure; a change while it works cancels it.
constexpr int kGaugeDelayMilliseconds = 20;
// Row checks are shown in batches of this many files.
constexpr std::size_t kCheckBatch = 64;

QPushButton* MakeButton(QWidget* parent, const QString& text, const QString& name) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  // Return in a list or a field must not press a button that happens to be the default.
  button->setAutoDefault(false);
  return button;
}

QString DefaultFolderPicker(QWidget* owner, const QString& title, const QString& start) {
  return QFileDialog::getExistingDirectory(owner, title, start, QFileDialog::ShowDirsOnly);
}

QString DefaultFilePicker(QWidget* owner, const QString& title, const QString& start) {
  return QFileDialog::getOpenFileName(owner, title, start,
                                      QStringLiteral("Cache files (*.CMP *.cmp);;All files (*)"));
}

QLineEdit* MakeFilter(QWidget* parent, const QString& name) {
  auto* filter = new QLineEdit(parent);
  filter->setObjectName(name);
  filter->setPlaceholderText(QStringLiteral("Filter by device or manufacturer"));
  filter->setClearButtonEnabled(true);
  return filter;
}

}  // namespace

CBuildCacheDlg::CBuildCacheDlg(QWidget* parent)
    : QDialog(parent),
      reporter_(*this),
      store_(model_.Manufacturers()),
      folderPicker_(DefaultFolderPicker),
      filePicker_(DefaultFilePicker) {
  CreateControls();
  InitDialog();
}

CBuildCacheDlg::~CBuildCacheDlg() {
  // A build still running is stopped; the window's thread answers what it asks meanwhile.
  destroying_ = true;
  if (build_) {
    CancelBuild();
    while (build_ && !build_->ended.load()) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    if (build_) build_->thread.join();
  }
  nextOpen_.reset();
  for (auto* run :
       {gaugeRun_ ? &gaugeRun_->cancel : nullptr, checkRun_ ? &checkRun_->cancel : nullptr,
        openRun_ ? &openRun_->cancel : nullptr}) {
    if (run != nullptr) run->Cancel();
  }
  if (gaugeRun_) gaugeRun_->thread.join();
  if (checkRun_) checkRun_->thread.join();
  if (openRun_) openRun_->thread.join();
  // The views show rows of the lists, which go before the widgets would.
  delete personalityView_;
  delete cacheView_;
}

void CBuildCacheDlg::CreateControls() {
  setObjectName(QStringLiteral("mainDialog"));
  setWindowTitle(QStringLiteral("Qendrale Personality Hoardwright v1.6"));
  // A resizable window with minimise and maximise boxes; the lists take the room it gains.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
  setSizeGripEnabled(true);
  const DialogUnits du(font());

  auto* window = new QVBoxLayout(this);
  window->setContentsMargins(du.X(7), du.Y(6), du.X(7), du.Y(6));
  window->setSpacing(du.Y(4));

  menuBar_ = new QMenuBar(this);
  menuBar_->setObjectName(QStringLiteral("menuBar"));
  QMenu* fileMenu = menuBar_->addMenu(QStringLiteral("&File"));
  QAction* openCache = fileMenu->addAction(QStringLiteral("&Open Cache..."));
  openCache->setObjectName(QStringLiteral("openCacheAction"));
  openCache->setShortcut(QKeySequence::Open);
  connect(openCache, &QAction::triggered, this, &CBuildCacheDlg::OnOpenCache);
  fileMenu->addSeparator();
  connect(fileMenu->addAction(QStringLiteral("&Close")), &QAction::triggered, this,
          &CBuildCacheDlg::reject);
  window->setMenuBar(menuBar_);

  window->addWidget(new QLabel(QStringLiteral("Current Directory"), this));
  auto* directoryRow = new QHBoxLayout;
  currentDirEdit_ = new QLineEdit(this);
  currentDirEdit_->setObjectName(QStringLiteral("currentDirectoryEdit"));
  currentDirEdit_->setReadOnly(true);
  directoryRow->addWidget(currentDirEdit_, 1);
  browseButton_ = MakeButton(this, QStringLiteral("Browse..."), QStringLiteral("browseButton"));
  browseButton_->setMinimumWidth(du.X(53));
  directoryRow->addWidget(browseButton_);
  refreshButton_ = MakeButton(this, QStringLiteral("Refresh"), QStringLiteral("refreshButton"));
  refreshButton_->setToolTip(QStringLiteral("List the directory's personalities again (F5)"));
  directoryRow->addWidget(refreshButton_);
  window->addLayout(directoryRow);

  // The two lists, each under its caption, filter and count, with the move buttons between.
  auto* lists = new QGridLayout;
  lists->setHorizontalSpacing(du.X(7));
  lists->setVerticalSpacing(du.Y(2));
  personalityView_ = new PersonalityListView(model_.PersonalityList(), this);
  personalityView_->setObjectName(QStringLiteral("personalityList"));
  cacheView_ = new PersonalityListView(model_.CacheList(), this);
  cacheView_->setObjectName(QStringLiteral("cacheList"));
  cacheLabel_ = new QLabel(QStringLiteral("Cache File (0 Files)"), this);
  cacheLabel_->setObjectName(QStringLiteral("cacheLabel"));
  personalityFilter_ = MakeFilter(this, QStringLiteral("personalityFilter"));
  cacheFilter_ = MakeFilter(this, QStringLiteral("cacheFilter"));
  personalityCount_ = new QLabel(this);
  personalityCount_->setObjectName(QStringLiteral("personalityCount"));
  cacheCount_ = new QLabel(this);
  cacheCount_->setObjectName(QStringLiteral("cacheCount"));
  lists->addWidget(new QLabel(QStringLiteral("Personalities in current directory"), this), 0, 0);
  lists->addWidget(cacheLabel_, 0, 2);
  lists->addWidget(personalityFilter_, 1, 0);
  lists->addWidget(cacheFilter_, 1, 2);
  lists->addWidget(personalityCount_, 2, 0);
  lists->addWidget(cacheCount_, 2, 2);
  lists->addWidget(personalityView_, 3, 0);
  lists->addWidget(cacheView_, 3, 2);
  lists->setColumnStretch(0, 1);
  lists->setColumnStretch(2, 1);
  lists->setRowStretch(3, 1);
  personalityView_->setMinimumSize(du.Size(150, 100));
  cacheView_->setMinimumSize(du.Size(150, 100));

  auto* moves = new QVBoxLayout;
  moves->addStretch(1);
  addButton_ = MakeButton(this, QStringLiteral("Add >"), QStringLiteral("addButton"));
  addAllButton_ = MakeButton(this, QStringLiteral("Add All >>"), QStringLiteral("addAllButton"));
  removeButton_ = MakeButton(this, QStringLiteral("< Remove"), QStringLiteral("removeButton"));
  removeAllButton_ =
      MakeButton(this, QStringLiteral("<< Remove All"), QStringLiteral("removeAllButton"));
  for (QPushButton* button : {addButton_, addAllButton_}) {
    button->setMinimumWidth(du.X(55));
    moves->addWidget(button);
  }
  moves->addSpacing(du.Y(20));
  for (QPushButton* button : {removeButton_, removeAllButton_}) {
    button->setMinimumWidth(du.X(55));
    moves->addWidget(button);
  }
  moves->addStretch(1);
  lists->addLayout(moves, 3, 1);

  // Under the personality list, the reasons of the selected row's problems; under the cache
  // list, the gauge.
  // Both are of one fixed height, room for the gauge's six lines, so that the lists above keep
  // whatever the window gains.
  const QFontMetrics metrics(font());
  const int paneHeight = 6 * (metrics.lineSpacing() + du.Y(1)) + du.Y(4);
  reasonsPane_ = new QPlainTextEdit(this);
  reasonsPane_->setObjectName(QStringLiteral("reasonsPane"));
  reasonsPane_->setReadOnly(true);
  reasonsPane_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  reasonsPane_->setPlaceholderText(QStringLiteral("Select a row to see what check says of it"));
  reasonsPane_->setFixedHeight(paneHeight);
  lists->addWidget(reasonsPane_, 4, 0);
  auto* gaugeBox = new QWidget(this);
  gaugeBox->setObjectName(QStringLiteral("gauge"));
  gaugeBox->setFixedHeight(paneHeight);
  auto* gauge = new QGridLayout(gaugeBox);
  gauge->setContentsMargins(0, 0, 0, 0);
  gauge->setVerticalSpacing(du.Y(1));
  gaugeSize_ = new QLabel(gaugeBox);
  gaugeSize_->setObjectName(QStringLiteral("gaugeSize"));
  // A long figure wraps instead of widening the window.
  gaugeSize_->setWordWrap(true);
  gaugeSize_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  gaugeWarning_ = new QLabel(gaugeBox);
  gaugeWarning_->setObjectName(QStringLiteral("gaugeWarning"));
  gaugeWarning_->setWordWrap(true);
  gaugeWarning_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  gaugeWarning_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  gauge->addWidget(gaugeSize_, 0, 0, 1, 2);
  const int markSide = metrics.height();
  for (std::size_t row = 0; row < gaugeConsoles_.size(); ++row) {
    gaugeMarks_[row] = new QLabel(gaugeBox);
    gaugeMarks_[row]->setFixedSize(markSide, markSide);
    gaugeConsoles_[row] = new QLabel(gaugeBox);
    gaugeConsoles_[row]->setObjectName(QStringLiteral("gaugeConsole%1").arg(row + 1));
    gaugeConsoles_[row]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    gauge->addWidget(gaugeMarks_[row], static_cast<int>(row) + 1, 0);
    gauge->addWidget(gaugeConsoles_[row], static_cast<int>(row) + 1, 1);
  }
  gauge->addWidget(gaugeWarning_, 4, 0, 1, 2);
  gauge->setColumnStretch(1, 1);
  gauge->setRowStretch(4, 1);
  lists->addWidget(gaugeBox, 4, 2);
  window->addLayout(lists, 1);

  // The table options and, beside them, the cache kind.
  auto* optionsRow = new QHBoxLayout;
  auto* tablesGroup = new QGroupBox(QStringLiteral("Tables Included in Cache"), this);
  auto* tables = new QHBoxLayout(tablesGroup);
  auto* explanation = new QLabel(
      QStringLiteral("Include or exclude information from personalities in the Cache File. For "
                     "futher information, please consult our website or the readme file packaged "
                     "with Hoardwright."),
      tablesGroup);
  explanation->setWordWrap(true);
  explanation->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  tables->addWidget(explanation, 1);
  auto* options = new QVBoxLayout;
  const std::array<QString, 3> optionTexts{QStringLiteral("Preset Focus"),
                                           QStringLiteral("Range Tables"),
                                           QStringLiteral("Macros")};
  const std::array<QString, 3> optionNames{QStringLiteral("presetFocusBox"),
                                           QStringLiteral("rangeTablesBox"),
                                           QStringLiteral("macrosBox")};
  for (std::size_t i = 0; i < tableOptions_.size(); ++i) {
    tableOptions_[i] = new QCheckBox(optionTexts[i], tablesGroup);
    tableOptions_[i]->setObjectName(optionNames[i]);
    options->addWidget(tableOptions_[i]);
    connect(tableOptions_[i], &QCheckBox::toggled, this, [this, i](bool on) {
      if (i == 0) model_.SetIncludePresetFocus(on);
      if (i == 1) model_.SetIncludeRangeTables(on);
      if (i == 2) model_.SetIncludeMacros(on);
      BuildInputsChanged();
    });
  }
  tables->addLayout(options);
  optionsRow->addWidget(tablesGroup, 3);

  // The cache kind: the standard cache for the three consoles, or the extended cache.
  cacheTypeGroup_ = new QGroupBox(QStringLiteral("Cache Type"), this);
  cacheTypeGroup_->setObjectName(QStringLiteral("cacheTypeGroup"));
  auto* kinds = new QVBoxLayout(cacheTypeGroup_);
  normalChoice_ = new QRadioButton(QStringLiteral("Normal"), cacheTypeGroup_);
  normalChoice_->setObjectName(QStringLiteral("normalChoice"));
  normalChoice_->setToolTip(
      QStringLiteral("The standard cache, for the Tiber, the Ostra Mk1 and the Verdane Mk1"));
  extendedChoice_ = new QRadioButton(QStringLiteral("Extended"), cacheTypeGroup_);
  extendedChoice_->setObjectName(QStringLiteral("extendedChoice"));
  auto* extendedExplanation = new QLabel(
      QStringLiteral("Create an extended cache file compatible with the Ostra Mk2. Not compatible "
                     "with Verdane, Tiber or Ostra Mk1. See readme file for further details."),
      cacheTypeGroup_);
  extendedExplanation->setWordWrap(true);
  extendedExplanation->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  kinds->addWidget(normalChoice_);
  kinds->addWidget(extendedChoice_);
  kinds->addWidget(extendedExplanation, 1);
  optionsRow->addWidget(cacheTypeGroup_, 2);
  window->addLayout(optionsRow);
  connect(normalChoice_, &QRadioButton::toggled, this, [this](bool on) {
    if (on == model_.NormalChecked()) return;
    model_.SetNormalChecked(on);
    // Remembered only when the user chooses, not when the window shows what it read.
    if (!showingOptions_) SaveCacheKind(model_.CacheKind());
    CacheKindChanged();
  });

  auto* bottom = new QHBoxLayout;
  auto* progress = new QVBoxLayout;
  statusLine_ = new QLabel(this);
  statusLine_->setObjectName(QStringLiteral("statusLine"));
  // A long path must not widen the window.
  statusLine_->setMinimumWidth(1);
  statusLine_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  progressBar_ = new QProgressBar(this);
  progressBar_->setObjectName(QStringLiteral("progressBar"));
  progressBar_->setTextVisible(false);
  progressBar_->setMaximumHeight(du.Y(9));
  // Hidden, it keeps its room, so the window does not jump when a build starts.
  QSizePolicy keepRoom = progressBar_->sizePolicy();
  keepRoom.setRetainSizeWhenHidden(true);
  progressBar_->setSizePolicy(keepRoom);
  progressBar_->hide();
  progress->addWidget(statusLine_);
  progress->addWidget(progressBar_);
  bottom->addLayout(progress, 1);
  buildButton_ = MakeButton(this, QStringLiteral("Build Cache"), QStringLiteral("buildButton"));
  // Cancel takes Build Cache's place while a build runs.
  cancelButton_ = MakeButton(this, QStringLiteral("Cancel"), QStringLiteral("cancelButton"));
  cancelButton_->hide();
  closeButton_ = MakeButton(this, QStringLiteral("Close"), QStringLiteral("closeButton"));
  for (QPushButton* button : {buildButton_, cancelButton_, closeButton_}) {
    button->setMinimumWidth(du.X(55));
    bottom->addWidget(button);
  }
  window->addLayout(bottom);
  setMinimumHeight(du.Y(kMinimumHeight));
  resize(du.Size(kWidth, kHeight));

  progressTimer_ = new QTimer(this);
  progressTimer_->setInterval(kProgressMilliseconds);
  connect(progressTimer_, &QTimer::timeout, this, &CBuildCacheDlg::ShowBuildProgress);
  gaugeTimer_ = new QTimer(this);
  gaugeTimer_->setSingleShot(true);
  gaugeTimer_->setInterval(kGaugeDelayMilliseconds);
  connect(gaugeTimer_, &QTimer::timeout, this, &CBuildCacheDlg::StartGauge);
  for (PersonalityListView* view : {personalityView_, cacheView_}) {
    view->Table().SetMarkLookup([this](const std::string& path) { return model_.RowMarkOf(path); });
    connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this, view] { ShowReasons(*view); });
  }

  // The move buttons' keys, named in their tool tips.
  const std::array<std::pair<QPushButton*, QKeySequence>, 4> moveKeys{{
      {addButton_, QKeySequence(Qt::CTRL | Qt::Key_Right)},
      {addAllButton_, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Right)},
      {removeButton_, QKeySequence(Qt::CTRL | Qt::Key_Left)},
      {removeAllButton_, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Left)},
  }};
  for (const auto& [button, keys] : moveKeys) {
    // The window's own shortcut, so the keys work whichever control has the focus.
    auto* shortcut = new QShortcut(keys, this);
    shortcut->setAutoRepeat(false);
    connect(shortcut, &QShortcut::activated, button, [button] {
      if (button->isEnabled()) button->click();
    });
    button->setToolTip(keys.toString(QKeySequence::NativeText));
  }
  new QShortcut(QKeySequence(Qt::Key_F5), this, this, &CBuildCacheDlg::OnRefresh);
  connect(personalityView_, &PersonalityListView::MoveRequested, this, &CBuildCacheDlg::OnAdd);
  connect(cacheView_, &PersonalityListView::MoveRequested, this, &CBuildCacheDlg::OnRemove);
  connect(cacheView_, &PersonalityListView::DeleteRequested, this, &CBuildCacheDlg::OnRemove);
  connect(cacheView_, &PersonalityListView::RowsDropped, this, &CBuildCacheDlg::OnAdd);
  connect(personalityView_, &PersonalityListView::RowsDropped, this, &CBuildCacheDlg::OnRemove);
  setAcceptDrops(true);

  // The personality list follows its directory.
  watcher_ = new QFileSystemWatcher(this);
  rescanTimer_ = new QTimer(this);
  rescanTimer_->setSingleShot(true);
  rescanTimer_->setInterval(kRescanDelayMilliseconds);
  connect(watcher_, &QFileSystemWatcher::directoryChanged, rescanTimer_,
          qOverload<>(&QTimer::start));
  connect(watcher_, &QFileSystemWatcher::fileChanged, this, [this](const QString& path) {
    // Whatever was kept of the file is stale, even where its size and time look the same.
    store_.Invalidate(PathBytes(path));
    rescanTimer_->start();
  });
  connect(rescanTimer_, &QTimer::timeout, this, &CBuildCacheDlg::RescanChangedDirectory);

  connect(browseButton_, &QPushButton::clicked, this, &CBuildCacheDlg::OnBrowse);
  connect(refreshButton_, &QPushButton::clicked, this, &CBuildCacheDlg::OnRefresh);
  connect(addButton_, &QPushButton::clicked, this, &CBuildCacheDlg::OnAdd);
  connect(addAllButton_, &QPushButton::clicked, this, &CBuildCacheDlg::OnAddAll);
  connect(removeButton_, &QPushButton::clicked, this, &CBuildCacheDlg::OnRemove);
  connect(removeAllButton_, &QPushButton::clicked, this, &CBuildCacheDlg::OnRemoveAll);
  connect(buildButton_, &QPushButton::clicked, this, &CBuildCacheDlg::OnBuildCache);
  connect(cancelButton_, &QPushButton::clicked, this, &CBuildCacheDlg::CancelWork);
  connect(closeButton_, &QPushButton::clicked, this, &CBuildCacheDlg::reject);
  connect(personalityFilter_, &QLineEdit::textChanged, this, [this](const QString& text) {
    personalityView_->SetFilter(text);
    UpdateCounts();
  });
  connect(cacheFilter_, &QLineEdit::textChanged, this, [this](const QString& text) {
    cacheView_->SetFilter(text);
    UpdateCounts();
  });
}

void CBuildCacheDlg::InitDialog() {
  setWindowIcon(ApplicationIcon());
  // Where the window was when it last closed; a stored place that is off every screen now is
  // moved back by the window system.
  const QByteArray geometry = LoadWindowGeometry();
  if (!geometry.isEmpty()) restoreGeometry(geometry);
  LoadSettings(model_);
  // An interactive start: the legacy switches run without this window.
  model_.SetCommandLineMode(false);
  ScanPersonalityDirectory();
  RestoreCacheList();
  model_.FinishInitialisation();
  if (const std::optional<catalogue::CacheType> kind = LoadCacheKind()) model_.SetCacheKind(*kind);
  ShowOptions();
}

QString CBuildCacheDlg::BrowseForFolder(const QString& title, const QString& start) {
  // Above the details dialog when that asks, so the picker never opens behind it.
  QWidget* modal = QApplication::activeModalWidget();
  QWidget* owner = modal != nullptr && modal->parentWidget() == this ? modal : this;
  return folderPicker_ ? folderPicker_(owner, title, start) : QString();
}

void CBuildCacheDlg::ScanPersonalityDirectory() {
  std::vector<support::ReportedMessage> messages = model_.ScanPersonalityDirectory();
  model_.NewScanMessages(messages);
  ShowScannedDirectory();
  const std::vector<support::ReportedMessage> notices = ui::ScanNotices(messages);
  pendingNotices_.insert(pendingNotices_.end(), notices.begin(), notices.end());
  // At start-up the window is not on the screen yet; its first show brings the messages.
  if (isVisible()) ShowPendingNotices();
}

void CBuildCacheDlg::RescanChangedDirectory() {
  // Only what is new is reported: a bad file that stays bad is said once.
  const std::vector<support::ReportedMessage> messages =
      model_.NewScanMessages(model_.ScanPersonalityDirectory());
  ShowScannedDirectory();
  const std::vector<support::ReportedMessage> notices = ui::ScanNotices(messages);
  pendingNotices_.insert(pendingNotices_.end(), notices.begin(), notices.end());
  if (isVisible()) ShowPendingNotices();
}

void CBuildCacheDlg::ShowScannedDirectory() {
  currentDirEdit_->setText(PathText(model_.PersonalityDir()));
  ShowPersonalityList();
  WatchPersonalityDirectory();
  // Files gone from both lists are forgotten, or every directory ever listed stays in memory.
  // Work running meanwhile may keep one again; the next rescan drops it.
  const std::vector<std::string> listed = ListedPaths();
  store_.RetainOnly(listed);
  const std::set<std::string> listedSet(listed.begin(), listed.end());
  std::erase_if(checks_,
                [&listedSet](const auto& kept) { return !listedSet.contains(kept.first); });
  StartChecks();
  // Files of the cache list may have changed with the directory.
  BuildInputsChanged();
}

void CBuildCacheDlg::WatchPersonalityDirectory() {
  const QStringList watched = watcher_->files() + watcher_->directories();
  if (!watched.isEmpty()) watcher_->removePaths(watched);
  const QString directory = PathText(model_.PersonalityDir());
  if (directory.isEmpty() || !QFileInfo(directory).isDir()) return;
  QStringList paths{directory};
  const catalogue::PersonalityListModel& list = model_.PersonalityList();
  if (static_cast<qsizetype>(list.RowCount()) <= kWatchedFilesLimit) {
    for (std::size_t row = 0; row < list.RowCount(); ++row) {
      paths << PathText(list.Row(row).filePath);
    }
  }
  watcher_->addPaths(paths);
}

void CBuildCacheDlg::dragEnterEvent(QDragEnterEvent* event) {
  if (!building_ && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CBuildCacheDlg::dropEvent(QDropEvent* event) {
  std::vector<std::string> paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) paths.push_back(PathBytes(url.toLocalFile()));
  }
  if (building_ || paths.empty()) return;
  event->acceptProposedAction();
  DropPaths(paths);
}

void CBuildCacheDlg::DropPaths(const std::vector<std::string>& paths) {
  ui::DroppedPaths dropped = ui::SortDroppedPaths(paths);
  // A cache dropped onto the window is opened; the first one, since the view is modal.
  const auto cache = std::ranges::find_if(dropped.ignored, ui::LooksLikeCache);
  if (cache != dropped.ignored.end()) {
    const std::string cachePath = *cache;
    QTimer::singleShot(0, this, [this, cachePath] { OpenCache(PathText(cachePath)); });
  }
  if (!dropped.personalityFiles.empty()) {
    const std::vector<support::ReportedMessage> messages =
        model_.AddFiles(dropped.personalityFiles);
    CacheListChanged();
    const std::vector<support::ReportedMessage> notices = ui::ScanNotices(messages);
    pendingNotices_.insert(pendingNotices_.end(), notices.begin(), notices.end());
  }
  // A folder is browsed to, as with Browse.
  if (!dropped.directory.empty() && model_.ChoosePersonalityDir(dropped.directory)) {
    SaveSettings();
    ScanPersonalityDirectory();
  }
  if (isVisible()) ShowPendingNotices();
}

void CBuildCacheDlg::ShowPendingNotices() {
  const std::vector<support::ReportedMessage> notices = std::move(pendingNotices_);
  pendingNotices_.clear();
  for (const support::ReportedMessage& notice : notices)
    reporter_.ShowMessage(notice.text, notice.caption);
}

void CBuildCacheDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!pendingNotices_.empty()) {
    QTimer::singleShot(0, this, &CBuildCacheDlg::ShowPendingNotices);
  }
}

void CBuildCacheDlg::keyPressEvent(QKeyEvent* event) {
  // Escape would end the program at once; the window closes only through Close or its frame.
  // During a build or an Open Cache it is the Cancel button's key.
  if (event->key() == Qt::Key_Escape) {
    CancelWork();
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void CBuildCacheDlg::SaveSettings() const { desktop::SaveSettings(model_); }

void CBuildCacheDlg::TakeBuildDetails(std::string createdBy, std::string outputDir,
                                      std::string notes) {
  model_.SetCreatedBy(std::move(createdBy));
  model_.SetOutputDir(std::move(outputDir));
  model_.SetNotes(std::move(notes));
  // The created-by text is part of the cache the gauge measures.
  BuildInputsChanged();
}

void CBuildCacheDlg::SetProgressRange(std::uint32_t maximum) {
  progressBar_->setRange(0, static_cast<int>(std::min<std::uint32_t>(maximum, INT_MAX)));
}

void CBuildCacheDlg::SetProgressPosition(std::uint32_t position) {
  progressBar_->setValue(static_cast<int>(std::min<std::uint32_t>(position, INT_MAX)));
}

void CBuildCacheDlg::ShowProgress(bool visible) { progressBar_->setVisible(visible); }

void CBuildCacheDlg::SetStatusText(std::string_view text) {
  statusLine_->setText(FileText(text));
}

void CBuildCacheDlg::OnBrowse() {
  const QString chosen =
      BrowseForFolder(QStringLiteral("Choose Folder"), PathText(model_.PersonalityDir()));
  if (!model_.ChoosePersonalityDir(PathBytes(chosen))) {
    return;
  }
  SaveSettings();
  ScanPersonalityDirectory();
}

void CBuildCacheDlg::OnAdd() {
  if (building_) return;  // the lists are the running build's inputs
  model_.Add();
  CacheListChanged();
}

void CBuildCacheDlg::OnAddAll() {
  if (building_) return;  // the lists are the running build's inputs
  model_.AddAll();
  CacheListChanged();
}

void CBuildCacheDlg::OnRemove() {
  if (building_) return;  // the lists are the running build's inputs
  model_.Remove();
  CacheListChanged();
}

void CBuildCacheDlg::OnRemoveAll() {
  if (building_) return;  // the lists are the running build's inputs
  model_.RemoveAll();
  CacheListChanged();
}

void CBuildCacheDlg::CacheListChanged() {
  ShowCacheList();
  RememberCacheList();
  StartChecks();
  BuildInputsChanged();
  ShowRefusals();
}

void CBuildCacheDlg::UpdateCacheLabel() {
  cacheLabel_->setText(FileText(model_.CacheLabel()));
}

void CBuildCacheDlg::ShowPersonalityList() {
  personalityView_->Reload();
  UpdateCounts();
}

void CBuildCacheDlg::ShowCacheList() {
  cacheView_->Reload();
  UpdateCacheLabel();
  UpdateCounts();
}

void CBuildCacheDlg::RestoreCacheList() {
  catalogue::RestoredCacheList restored =
      catalogue::LoadCacheList(CacheListFile(), model_.Manufacturers());
  if (!restored.error.empty()) {
    pendingNotices_.push_back({"The remembered cache list cannot be read: " + restored.error,
                               std::string(support::kApplicationName)});
  }
  if (!restored.dropped.empty()) {
    pendingNotices_.push_back(
        {catalogue::DroppedRowsNotice(restored.dropped), std::string(support::kApplicationName)});
  }
  model_.RestoreCacheList(std::move(restored.rows));
  ShowCacheList();
  // The dropped rows are forgotten at once.
  if (!restored.dropped.empty()) RememberCacheList();
}

void CBuildCacheDlg::RememberCacheList() {
  std::string error;
  if (catalogue::SaveCacheList(CacheListFile(), model_.CacheList().FilePaths(), &error)) return;
  // Said once per run; the list is still there until the window closes.
  if (cacheListUnsaved_) return;
  cacheListUnsaved_ = true;
  reporter_.ShowMessage("The cache list cannot be remembered: " + error);
}

void CBuildCacheDlg::UpdateCounts() {
  const catalogue::PersonalityListModel& personalities = model_.PersonalityList();
  const catalogue::PersonalityListModel& cache = model_.CacheList();
  personalityCount_->setText(
      FileText(catalogue::ShownCountText(personalities.ShownRows().size(), personalities.RowCount(),
                                         !personalities.Filter().empty())));
  cacheCount_->setText(FileText(catalogue::ShownCountText(
      cache.ShownRows().size(), cache.RowCount(), !cache.Filter().empty())));
}

void CBuildCacheDlg::OnRefresh() {
  ScanPersonalityDirectory();
}

void CBuildCacheDlg::ShowOptions() {
  showingOptions_ = true;
  tableOptions_[0]->setChecked(model_.IncludePresetFocus());
  tableOptions_[1]->setChecked(model_.IncludeRangeTables());
  tableOptions_[2]->setChecked(model_.IncludeMacros());
  (model_.NormalChecked() ? normalChoice_ : extendedChoice_)->setChecked(true);
  showingOptions_ = false;
}

void CBuildCacheDlg::CacheKindChanged() {
  RemarkRows();
  BuildInputsChanged();
}

void CBuildCacheDlg::BuildInputsChanged() {
  if (gaugeTimer_ == nullptr) return;  // still creating the controls
  gaugeStale_ = true;
  if (gaugeRun_) gaugeRun_->cancel.Cancel();
  // The figures shown are greyed until the new ones are in.
  gaugeSize_->setEnabled(false);
  for (QLabel* label : gaugeConsoles_) label->setEnabled(false);
  gaugeTimer_->start();
}

bool CBuildCacheDlg::GaugeSettled() const {
  return !gaugeRun_ && !gaugeStale_ && !gaugeTimer_->isActive();
}

void CBuildCacheDlg::StartGauge() {
  if (gaugeRun_) return;  // FinishGauge starts the next once this one has stopped
  gaugeStale_ = false;
  gaugeRun_ = std::make_unique<GaugeRun>();
  gaugeRun_->request = model_.GaugeRequest();
  GaugeRun* run = gaugeRun_.get();
  run->thread = std::thread([this, run] {
    try {
      preview::PreviewOptions options;
      options.cancel = &run->cancel;
      run->preview = preview::PreviewCache(run->request, store_, options);
    } catch (const std::exception& error) {
      run->preview = {};
      run->preview.messages.push_back(
          {std::string("The size cannot be worked out: ") + error.what(),
           std::string(support::kApplicationName)});
      run->preview.listCount = run->request.entries.size();
    }
    QMetaObject::invokeMethod(this, &CBuildCacheDlg::FinishGauge, Qt::QueuedConnection);
  });
}

void CBuildCacheDlg::FinishGauge() {
  if (!gaugeRun_) return;
  gaugeRun_->thread.join();
  const std::unique_ptr<GaugeRun> run = std::move(gaugeRun_);
  if (gaugeStale_) {
    // The inputs changed meanwhile: the timer starts the next, or it is started now.
    if (!gaugeTimer_->isActive()) StartGauge();
    return;
  }
  if (run->preview.outcome == preview::CachePreview::Outcome::Cancelled) return;
  gaugePreview_ = run->preview;
  ShowGauge();
}

void CBuildCacheDlg::ShowGauge() {
  const ui::GaugeView view = ui::DescribePreview(gaugePreview_);
  gaugeSize_->setText(FileText(view.sizeLine));
  gaugeSize_->setEnabled(true);
  gaugeWarning_->setText(FileText(view.warning));
  gaugeWarning_->setVisible(!view.warning.empty());
  const int side = gaugeMarks_[0]->height();
  for (std::size_t row = 0; row < gaugeConsoles_.size(); ++row) {
    const bool shown = row < view.consoles.size();
    gaugeConsoles_[row]->setEnabled(true);
    gaugeConsoles_[row]->setVisible(shown);
    gaugeMarks_[row]->setVisible(shown);
    if (!shown) continue;
    const ui::GaugeConsole& console = view.consoles[row];
    gaugeConsoles_[row]->setText(FileText(console.text));
    gaugeMarks_[row]->setPixmap(
        (console.fits ? QIcon(TickPixmap(devicePixelRatioF())) : LeftOutIcon())
            .pixmap(QSize(side, side), devicePixelRatioF()));
  }
}

std::vector<std::string> CBuildCacheDlg::ListedPaths() const {
  std::vector<std::string> paths;
  std::set<std::string> seen;
  for (const catalogue::PersonalityListModel* list :
       {&model_.PersonalityList(), &model_.CacheList()}) {
    for (std::size_t row = 0; row < list->RowCount(); ++row) {
      const std::string& path = list->Row(row).filePath;
      if (seen.insert(path).second) paths.push_back(path);
    }
  }
  return paths;
}

void CBuildCacheDlg::StartChecks() {
  if (checkRun_) {
    checksStale_ = true;
    checkRun_->cancel.Cancel();
    return;
  }
  checksStale_ = false;
  checkRun_ = std::make_unique<CheckRun>();
  checkRun_->paths = ListedPaths();
  CheckRun* run = checkRun_.get();
  run->thread = std::thread([this, run] {
    using Batch = std::vector<std::pair<std::string, std::shared_ptr<const check::FileCheck>>>;
    Batch batch;
    const auto send = [this, &batch] {
      if (batch.empty()) return;
      QMetaObject::invokeMethod(
          this, [this, done = std::move(batch)] { ApplyChecks(done); }, Qt::QueuedConnection);
      batch.clear();
    };
    for (const std::string& path : run->paths) {
      if (run->cancel.Cancelled()) break;
      try {
        batch.emplace_back(path, store_.Check(path));
      } catch (const std::exception&) {
        // A file that cannot be checked keeps no mark; the build says what is wrong with it.
      }
      if (batch.size() >= kCheckBatch) send();
    }
    send();
    QMetaObject::invokeMethod(this, &CBuildCacheDlg::FinishChecks, Qt::QueuedConnection);
  });
}

void CBuildCacheDlg::ApplyChecks(
    const std::vector<std::pair<std::string, std::shared_ptr<const check::FileCheck>>>& batch) {
  for (const auto& [path, check] : batch) {
    if (!check) continue;
    checks_[path] = check;
    model_.SetMark(path, ui::MarkOf(*check, model_.CacheKind()));
  }
  personalityView_->Table().MarksChanged();
  cacheView_->Table().MarksChanged();
  if (reasonsSource_ != nullptr) ShowReasons(*reasonsSource_);
}

void CBuildCacheDlg::FinishChecks() {
  if (!checkRun_) return;
  checkRun_->thread.join();
  checkRun_.reset();
  if (checksStale_) StartChecks();
}

void CBuildCacheDlg::RemarkRows() {
  for (const auto& [path, check] : checks_) {
    model_.SetMark(path, ui::MarkOf(*check, model_.CacheKind()));
  }
  personalityView_->Table().MarksChanged();
  cacheView_->Table().MarksChanged();
  if (reasonsSource_ != nullptr) ShowReasons(*reasonsSource_);
}

void CBuildCacheDlg::ShowReasons(const PersonalityListView& view) {
  reasonsSource_ = &view;
  const catalogue::PersonalityEntry* entry = view.EntryAt(view.currentIndex());
  if (entry == nullptr) {
    reasonsPane_->clear();
    return;
  }
  QString text = FileText(entry->deviceName).trimmed() + QStringLiteral(" (") +
                 PathText(entry->filePath) + QStringLiteral(")\n");
  const ui::RowMark* mark = model_.RowMarkOf(entry->filePath);
  if (mark == nullptr) {
    text += QStringLiteral("Not checked yet.");
  } else if (mark->kind == ui::RowMarkKind::None) {
    text += QStringLiteral("No problems: Build Cache takes this file as it is.");
  } else {
    text += FileText(mark->ToolTip());
  }
  reasonsPane_->setPlainText(text);
}

void CBuildCacheDlg::OnOpenCache() {
  if (building_) return;
  const QString path =
      filePicker_ ? filePicker_(this, QStringLiteral("Open Cache"), PathText(model_.OutputDir()))
                  : QString();
  if (!path.isEmpty()) OpenCache(path);
}

void CBuildCacheDlg::OpenCache(const QString& path) {
  if (building_) return;
  if (openRun_) {
    // The cache asked for last is the one shown: the running work stops, then this starts.
    openRun_->cancel.Cancel();
    nextOpen_ = path;
    ShowOpening(true, path);
    return;
  }
  StartOpenCache(path);
}

void CBuildCacheDlg::StartOpenCache(const QString& path) {
  openRun_ = std::make_unique<OpenRun>();
  openRun_->path = PathBytes(path);
  openRun_->directory = model_.PersonalityDir();
  ShowOpening(true, path);
  OpenRun* run = openRun_.get();
  run->thread = std::thread([this, run] {
    // Nothing may leave the thread by an exception.
    try {
      run->opened = ui::OpenCacheFile(run->path, run->directory, store_, &run->cancel);
    } catch (const std::exception& error) {
      run->opened = {};
      run->opened.error = error.what();
    }
    QMetaObject::invokeMethod(this, &CBuildCacheDlg::FinishOpenCache, Qt::QueuedConnection);
  });
}

void CBuildCacheDlg::FinishOpenCache() {
  if (!openRun_) return;
  openRun_->thread.join();
  const std::unique_ptr<OpenRun> run = std::move(openRun_);
  if (nextOpen_) {
    const QString next = *std::exchange(nextOpen_, std::nullopt);
    StartOpenCache(next);
    return;
  }
  ShowOpening(false);
  // Cancel is looked at here as well: work that ended just as it was pressed shows nothing.
  if (run->cancel.Cancelled() || run->opened.cancelled || destroying_) return;
  if (!run->opened.error.empty()) {
    reporter_.ShowMessage("The cache " + run->path + " cannot be opened: " + run->opened.error);
    return;
  }
  COpenCacheDlg view(this, run->path, std::move(run->opened.overview));
  if (view.exec() != QDialog::Accepted) return;
  const std::vector<support::ReportedMessage> messages =
      model_.LoadIntoCacheList(view.Overview().loadable);
  CacheListChanged();
  for (const support::ReportedMessage& notice : ui::ScanNotices(messages))
    reporter_.ShowMessage(notice.text, notice.caption);
}

void CBuildCacheDlg::CancelOpenCache() {
  nextOpen_.reset();
  if (!openRun_) return;
  openRun_->cancel.Cancel();
  ShowOpening(false);
}

void CBuildCacheDlg::ShowOpening(bool opening, const QString& path) {
  if (building_) return;  // the build's progress has the status line
  statusLine_->setText(opening ? QStringLiteral("Opening %1...").arg(QFileInfo(path).fileName())
                               : QString());
  // A busy bar: how long the comparison takes is not known beforehand.
  if (opening) {
    progressBar_->setRange(0, 0);
  } else {
    progressBar_->setRange(0, 100);
    progressBar_->reset();
  }
  progressBar_->setVisible(opening);
  cancelButton_->setVisible(opening);
}

void CBuildCacheDlg::CancelWork() {
  if (build_) {
    CancelBuild();
  } else {
    CancelOpenCache();
  }
}

void CBuildCacheDlg::ShowRefusals() {
  const std::vector<ui::RefusedFile> refused = model_.TakeRefused();
  if (refused.empty()) return;
  reporter_.ShowMessage(ui::RefusalText(refused));
}

void CBuildCacheDlg::OnBuildCache() {
  if (building_) return;
  // The build takes the status line and Cancel; a cache being opened is not shown.
  CancelOpenCache();
  build_ = std::make_unique<RunningBuild>();
  build_->request = model_.MakeBuildRequest();
  build_->host = std::make_unique<DesktopBuildHost>(*this, build_->progress, build_->cancel);
  shownProgress_ = {};
  SetBuilding(true);
  progressTimer_->start();
  build_->thread = std::thread([this] {
    RunBuild();
    build_->ended.store(true);
    QMetaObject::invokeMethod(this, &CBuildCacheDlg::FinishBuild, Qt::QueuedConnection);
  });
}

void CBuildCacheDlg::RunBuild() {
  RunningBuild& build = *build_;
  // Nothing may leave the thread by an exception; the build's files are gone by the time it
  // gets here.
  try {
    if (build.request.cacheType == catalogue::CacheType::Standard) {
      standard::StandardBuildOptions options;
      options.cancel = &build.cancel;
      build.result = standard::BuildStandardCache(build.request, *build.host, options);
      if (build.result.cacheWritten) {
        build.leftOut = check::DescribeLeftOut(build.result.leftOut, model_.Manufacturers());
      }
    } else {
      extended::ExtendedBuildOptions options;
      options.cancel = &build.cancel;
      build.extended = ui::BuildExtendedFromWindow(build.request, *build.host, options);
      if (build.extended.result.Written()) {
        build.leftOut = ui::DescribeExtendedLeftOut(build.extended.result.leftOut, store_);
      }
    }
  } catch (const std::bad_alloc&) {
    build.failure = "Not enough memory to complete build!";
  } catch (const std::exception& error) {
    build.failure = std::string("The build stopped: ") + error.what();
  }
}

void CBuildCacheDlg::FinishBuild() {
  if (!build_) return;
  build_->thread.join();
  progressTimer_->stop();
  ShowBuildProgress();
  const std::unique_ptr<RunningBuild> build = std::move(build_);
  SetBuilding(false);
  if (destroying_) return;
  if (!build->failure.empty()) reporter_.ShowMessage(build->failure);
  if (closeAfterBuild_) {
    closeAfterBuild_ = false;
    QDialog::reject();
    return;
  }
  if (build->extended.result.Written()) {
    CResultDlg result(this);
    result.Extended = true;
    result.CacheSize = static_cast<std::int32_t>(std::min<std::uint64_t>(
        build->extended.result.cacheSize, std::numeric_limits<std::int32_t>::max()));
    result.PersonalityCount = build->extended.result.personalityCount;
    result.OutputPath = support::PathText(build->extended.result.outputPath);
    result.LeftOut = build->leftOut;
    result.exec();
  } else if (build->result.cacheWritten) {
    CResultDlg result(this);
    result.CacheSize = static_cast<std::int32_t>(std::clamp<std::int64_t>(
        build->result.cacheSize, 0, std::numeric_limits<std::int32_t>::max()));
    result.PersonalityCount = static_cast<std::int32_t>(build->request.entries.size());
    result.OutputPath = support::PathText(build->result.outputPath);
    result.LeftOut = build->leftOut;
    result.exec();
  }
}

void CBuildCacheDlg::ShowBuildProgress() {
  if (!build_) return;
  const standard::BuildProgress::Snapshot now = build_->progress.Read();
  if (now == shownProgress_) return;
  if (now.maximum != shownProgress_.maximum) SetProgressRange(now.maximum);
  if (now.position != shownProgress_.position) SetProgressPosition(now.position);
  if (now.visible != shownProgress_.visible) ShowProgress(now.visible);
  if (now.status != shownProgress_.status) SetStatusText(now.status);
  shownProgress_ = now;
}

void CBuildCacheDlg::CancelBuild() {
  if (build_) build_->cancel.Cancel();
}

void CBuildCacheDlg::SetBuilding(bool building) {
  building_ = building;
  for (QWidget* control : std::initializer_list<QWidget*>{
           browseButton_, refreshButton_, addButton_, addAllButton_, removeButton_,
           removeAllButton_, buildButton_, closeButton_}) {
    control->setEnabled(!building);
  }
  for (QCheckBox* option : tableOptions_) option->setEnabled(!building);
  normalChoice_->setEnabled(!building);
  extendedChoice_->setEnabled(!building);
  buildButton_->setVisible(!building);
  cancelButton_->setVisible(building);
  if (building) cancelButton_->setFocus();
}

void CBuildCacheDlg::done(int result) {
  // A cache still being opened is shown to no one.
  CancelOpenCache();
  SaveWindowGeometry(saveGeometry());
  QDialog::done(result);
}

void CBuildCacheDlg::reject() {
  if (building_) return;
  QDialog::reject();
}

void CBuildCacheDlg::closeEvent(QCloseEvent* event) {
  // Closed during a build: the build stops and cleans up first, then the window closes.
  if (building_) {
    CancelBuild();
    closeAfterBuild_ = true;
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

}  // namespace hoardwright::desktop
