// The desktop dialogs driven as a user drives them: clicks on rows, buttons and column headers,
// keys in the fields, and the modal dialogs of a build answered from inside their event loops.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileSystemWatcher>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <array>
#include <memory>
#include <optional>

#include "ModalScript.h"
#include "WindowTestSupport.h"
#include "catalogue/ListOrder.h"
#include "desktop/BuildCacheDlg.h"
#include "desktop/BuildDetailsDlg.h"
#include "desktop/PersonalityListView.h"
#include "desktop/ResultDlg.h"
#include "standard/StandardBuild.h"

using hoardwright::desktop::CBuildCacheDlg;
using hoardwright::desktop::CBuildDetailsDlg;
using hoardwright::desktop::CResultDlg;
using hoardwright::desktop::PersonalityListView;
using hoardwright::desktop::testing::ColumnTexts;
using hoardwright::desktop::testing::Devices;
using hoardwright::desktop::testing::kSourceDateEpoch;
using hoardwright::desktop::testing::ModalScript;
using hoardwright::desktop::testing::ReadFile;

namespace {

constexpr const char* kCacheDate = "25-Apr-2026";
constexpr int kExampleCount = 12;
const QString kNoPersonalities = QStringLiteral(
    "No personalities to build! Personalities need to be added to the cache listbox first!");

// True when every neighbour pair is in the order `ascending` asks for (upper-cased comparison).
bool Ordered(const QStringList& texts, bool ascending) {
  for (qsizetype i = 1; i < texts.size(); ++i) {
    const int order = hoardwright::catalogue::CompareUpperCased(texts[i - 1].toStdString(),
                                                         texts[i].toStdString());
    if (ascending ? order > 0 : order < 0) return false;
  }
  return true;
}

void ClickRow(QTreeView& view, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  const QRect rect = view.visualRect(view.model()->index(row, 0));
  QTest::mouseClick(view.viewport(), Qt::LeftButton, modifiers, rect.center());
}

void ClickHeader(QTreeView& view, int column) {
  QHeaderView& header = *view.header();
  const int x = header.sectionViewportPosition(column) + header.sectionSize(column) / 2;
  QTest::mouseClick(header.viewport(), Qt::LeftButton, Qt::NoModifier,
                    QPoint(x, header.height() / 2));
}

// The number of index records in a standard cache's header (bytes 6 and 7, big-endian).
int IndexRecordCount(const QByteArray& cache) {
  if (cache.size() < 8) return -1;
  return (static_cast<unsigned char>(cache[6]) << 8) | static_cast<unsigned char>(cache[7]);
}

// A build without dialogs, for comparing the desktop's output with the core's.
class QuietHost : public hoardwright::standard::WindowlessBuildHost {
 public:
  void ShowMessage(std::string_view text, std::string_view) override {
    messages.emplace_back(text);
  }
  hoardwright::standard::DialogResult ShowBuildDetails(
      hoardwright::standard::BuildDetails&) override {
    return hoardwright::standard::DialogResult::Ok;
  }
  std::vector<std::string> messages;
};

struct ResultMarks {
  QString sizeText;
  std::array<bool, 3> tickVisible{};
  std::array<bool, 3> crossVisible{};
};

ResultMarks ReadMarks(CResultDlg& result) {
  ResultMarks marks;
  marks.sizeText = result.SizeLabel().text();
  for (int row = 0; row < CResultDlg::kConsoleRows; ++row) {
    marks.tickVisible[static_cast<std::size_t>(row)] = result.Tick(row).isVisible();
    marks.crossVisible[static_cast<std::size_t>(row)] = result.Cross(row).isVisible();
  }
  return marks;
}

}  // namespace

class DesktopDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void cleanup();

  void startsOnTheStoredDirectoryWithOptionsChecked();
  void firstStartTakesTheDefaults();
  void listButtonsMoveRows();
  void columnHeadersSortEachListOnItsOwn();
  void browseRescansAndSavesTheDirectory();
  void buildWithAnEmptyCacheListOnlyReports();
  void acceptedBuildWritesTheCacheAndSettings();
  void cancelledBuildWritesNothing();
  void closingTheWindowStopsTheBuild();
  void cancelStopsTheBuildAndKeepsTheEarlierCache();
  void failingPersonalityIsReportedUnderItsPath();
  void detailsDialogFieldsNotesAndBrowse();
  void resultDialogShowsTicksAndCrosses_data();
  void resultDialogShowsTicksAndCrosses();

  // Faults a first-time user met.
  void outputDirWithoutSeparatorStillNamesTheDirectory();
  void detailsOkRefusesAnUnusableOutputPlace();
  void scanMessagesWaitForTheWindowAndNameTheFile();
  void manyScanMessagesComeInOneBox();
  void detailsFieldsTakeOnlyWhatTheCacheKeeps();
  void escapeAndReturnNeitherCloseNorBuild();

  // The window as a modern one.
  void windowGrowsWithItsListsAndIsRemembered();
  void filterShowsMatchingRowsAndAddAllTakesThem();
  void cacheListIsRememberedAndVanishedRowsDropped();
  void listFollowsTheDirectoryKeepingSelectionAndSort();
  void rowsMoveByMouseAndKeyboard();
  void rowsAndFilesAreDroppedOntoTheWindow();

 private:
  // Stores the three settings as a previous session would have.
  void StoreSettings(const QString& defaultDir, const QString& outputDir,
                     const QString& createdBy);
  std::unique_ptr<QSettings> Settings() const;
  // Makes `dialog` visible, ready for clicks.
  void Show(CBuildCacheDlg& dialog);
  // Presses Build Cache and waits until the build has ended.
  static void RunBuild(CBuildCacheDlg& dialog);
  // Writes a personality file without a DEVICE line into the personality directory.
  QString WriteBrokenPersonality(const QString& name) const;
  // An example file loses its DEVICE line (and DEVICEADDRESS, which would be taken for it),
  // after it was listed; its path.
  QString BreakPersonality(const QString& name) const;

  QTemporaryDir root_;
  QString settingsDir_;
  QString persDir_;    // a copy of the example personalities, without a trailing "/"
  QString outputDir_;  // ends with "/"
  QString originalCurrentDir_;
  QString cacheListFile_;
};

void DesktopDialogsTest::initTestCase() {
  QVERIFY(root_.isValid());
  settingsDir_ = root_.filePath(QStringLiteral("settings"));
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir_);
  qputenv("SOURCE_DATE_EPOCH", kSourceDateEpoch);
  // The remembered cache list goes below the test's own data directory.
  qputenv("XDG_DATA_HOME", QFile::encodeName(root_.filePath(QStringLiteral("data"))));
  cacheListFile_ = root_.filePath(QStringLiteral("data/Qendrale/Hoardwright/cache-list"));
  originalCurrentDir_ = QDir::currentPath();
}

void DesktopDialogsTest::init() {
  // Every test starts from fresh copies of the examples and an empty output directory.
  static int run = 0;
  const QString base = root_.filePath(QStringLiteral("run%1").arg(++run));
  persDir_ = base + QStringLiteral("/examples");
  outputDir_ = base + QStringLiteral("/out/");
  QVERIFY(QDir().mkpath(persDir_));
  QVERIFY(QDir().mkpath(outputDir_));
  const QDir examples(QStringLiteral(HOARDWRIGHT_SOURCE_DIR "/examples/personalities"));
  const QStringList files = examples.entryList({QStringLiteral("*.QPF")}, QDir::Files);
  QCOMPARE(files.size(), kExampleCount);
  for (const QString& file : files) {
    QVERIFY(QFile::copy(examples.filePath(file), persDir_ + QLatin1Char('/') + file));
  }
  Settings()->clear();
  StoreSettings(persDir_, outputDir_, QStringLiteral("Stage crew"));
  QFile::remove(cacheListFile_);
}

void DesktopDialogsTest::cleanup() { QDir::setCurrent(originalCurrentDir_); }

std::unique_ptr<QSettings> DesktopDialogsTest::Settings() const {
  auto settings =
      std::make_unique<QSettings>(QStringLiteral("Qendrale"), QStringLiteral("Hoardwright"));
  settings->beginGroup(QStringLiteral("Hoardwright"));
  return settings;
}

void DesktopDialogsTest::StoreSettings(const QString& defaultDir, const QString& outputDir,
                                       const QString& createdBy) {
  const auto settings = Settings();
  settings->setValue(QStringLiteral("DefaultDir"), defaultDir);
  settings->setValue(QStringLiteral("OutputDir"), outputDir);
  settings->setValue(QStringLiteral("CreatedBy"), createdBy);
}

void DesktopDialogsTest::Show(CBuildCacheDlg& dialog) {
  dialog.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dialog));
}

void DesktopDialogsTest::RunBuild(CBuildCacheDlg& dialog) {
  QTest::mouseClick(&dialog.BuildCacheButton(), Qt::LeftButton);
  QTRY_VERIFY_WITH_TIMEOUT(!dialog.Building(), 60000);
}

QString DesktopDialogsTest::WriteBrokenPersonality(const QString& name) const {
  const QString path = persDir_ + QLatin1Char('/') + name;
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) file.write("NAME \"No\" \"Device\"\r\nTYPE 1 1 M\r\n");
  return path;
}

QString DesktopDialogsTest::BreakPersonality(const QString& name) const {
  const QString path = persDir_ + QLatin1Char('/') + name;
  QByteArray text = ReadFile(path);
  text.replace("DEVICE", "; NO DEVICE");
  QFile file(path);
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(text);
  return path;
}

void DesktopDialogsTest::startsOnTheStoredDirectoryWithOptionsChecked() {
  CBuildCacheDlg dialog;
  QCOMPARE(dialog.windowTitle(), QStringLiteral("Qendrale Personality Hoardwright v1.6"));
  QVERIFY(!dialog.windowIcon().isNull());
  // The stored directory lacks its separator; the scan adds it.
  QCOMPARE(dialog.CurrentDirectoryEdit().text(), persDir_ + QLatin1Char('/'));
  QVERIFY(dialog.CurrentDirectoryEdit().isReadOnly());

  PersonalityListView& list = dialog.PersonalityListWidget();
  const QStringList devices = Devices(list);
  QCOMPARE(devices.size(), kExampleCount);
  QVERIFY(Ordered(devices, true));
  QCOMPARE(devices.first(), QStringLiteral("ADJ.Mini250"));
  QCOMPARE(ColumnTexts(list, 1).first(), QStringLiteral("American DJ"));
  QCOMPARE(list.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Device"));
  QCOMPARE(list.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Manufacturer"));
  // Columns fit their contents, and are at least 100 pixels wide; the sort column shows its
  // arrow.
  for (int column = 0; column < 2; ++column) {
    QVERIFY(list.header()->sectionSize(column) >= 100);
    for (const QString& text : ColumnTexts(list, column)) {
      QVERIFY(list.header()->sectionSize(column) > list.fontMetrics().horizontalAdvance(text));
    }
  }
  QCOMPARE(list.header()->sectionResizeMode(0), QHeaderView::Interactive);
  QVERIFY(list.header()->isSortIndicatorShown());
  QCOMPARE(list.header()->sortIndicatorSection(), 0);
  QCOMPARE(list.header()->sortIndicatorOrder(), Qt::AscendingOrder);
  QCOMPARE(dialog.PersonalityCount().text(), QStringLiteral("12 personalities"));
  QCOMPARE(list.selectionMode(), QAbstractItemView::ExtendedSelection);
  QCOMPARE(list.selectionBehavior(), QAbstractItemView::SelectRows);

  QCOMPARE(Devices(dialog.CacheListWidget()).size(), 0);
  QCOMPARE(dialog.CacheLabel().text(), QStringLiteral("Cache File (0 Files)"));
  QVERIFY(dialog.PresetFocusBox().isChecked());
  QVERIFY(dialog.RangeTablesBox().isChecked());
  QVERIFY(dialog.MacrosBox().isChecked());
  QCOMPARE(dialog.PresetFocusBox().text(), QStringLiteral("Preset Focus"));
  QCOMPARE(dialog.RangeTablesBox().text(), QStringLiteral("Range Tables"));
  QCOMPARE(dialog.MacrosBox().text(), QStringLiteral("Macros"));
  QVERIFY(dialog.NormalChoice().isChecked());

  Show(dialog);
  // The cache kind is the user's to choose; the standard cache unless another was remembered.
  QVERIFY(dialog.CacheTypeGroup().isVisible());
  QVERIFY(dialog.NormalChoice().isVisible());
  QVERIFY(dialog.ExtendedChoice().isVisible());
  QVERIFY(!dialog.ProgressBar().isVisible());
  QVERIFY(dialog.StatusLine().text().isEmpty());
  // Return in a list or field starts nothing: no button is the default.
  QVERIFY(!dialog.BuildCacheButton().isDefault());
  QCOMPARE(dialog.BuildCacheButton().text(), QStringLiteral("Build Cache"));
  QCOMPARE(dialog.BrowseButton().text(), QStringLiteral("Browse..."));
  QCOMPARE(dialog.CloseButton().text(), QStringLiteral("Close"));
}

void DesktopDialogsTest::firstStartTakesTheDefaults() {
  Settings()->clear();
  // A first start looks for personalities in Pers/ below the current directory.
  const QString start = QFileInfo(persDir_).path() + QStringLiteral("/start");
  QVERIFY(QDir().mkpath(start));
  QVERIFY(QDir().rename(persDir_, start + QStringLiteral("/Pers")));
  QVERIFY(QDir::setCurrent(start));

  CBuildCacheDlg dialog;
  QCOMPARE(dialog.CurrentDirectoryEdit().text(), QDir::currentPath() + QStringLiteral("/Pers/"));
  QCOMPARE(Devices(dialog.PersonalityListWidget()).size(), kExampleCount);
  QCOMPARE(QString::fromStdString(dialog.Model().OutputDir()), QDir::homePath() + QLatin1Char('/'));
  QVERIFY(dialog.Model().CreatedBy().empty());
  // Reading the settings writes none of them.
  QVERIFY(Settings()->childKeys().isEmpty());
}

void DesktopDialogsTest::listButtonsMoveRows() {
  CBuildCacheDlg dialog;
  Show(dialog);
  PersonalityListView& list = dialog.PersonalityListWidget();
  PersonalityListView& cache = dialog.CacheListWidget();
  const QStringList devices = Devices(list);

  // Add with nothing selected changes nothing.
  QTest::mouseClick(&dialog.AddButton(), Qt::LeftButton);
  QCOMPARE(Devices(cache).size(), 0);

  ClickRow(list, 3);
  ClickRow(list, 1, Qt::ControlModifier);
  QTest::mouseClick(&dialog.AddButton(), Qt::LeftButton);
  QCOMPARE(Devices(cache), (QStringList{devices[1], devices[3]}));
  QCOMPARE(dialog.CacheLabel().text(), QStringLiteral("Cache File (2 Files)"));

  // Adding the same rows again replaces them; Add All brings the rest.
  QTest::mouseClick(&dialog.AddAllButton(), Qt::LeftButton);
  QCOMPARE(Devices(cache), devices);
  QCOMPARE(dialog.CacheLabel().text(), QStringLiteral("Cache File (12 Files)"));

  ClickRow(cache, 4);
  ClickRow(cache, 6, Qt::ShiftModifier);
  QTest::mouseClick(&dialog.RemoveButton(), Qt::LeftButton);
  QStringList expected = devices;
  expected.remove(4, 3);
  QCOMPARE(Devices(cache), expected);
  QCOMPARE(dialog.CacheLabel().text(), QStringLiteral("Cache File (9 Files)"));

  // Remove with nothing selected only updates the label.
  cache.clearSelection();
  QTest::mouseClick(&dialog.RemoveButton(), Qt::LeftButton);
  QCOMPARE(Devices(cache), expected);

  QTest::mouseClick(&dialog.RemoveAllButton(), Qt::LeftButton);
  QCOMPARE(Devices(cache).size(), 0);
  QCOMPARE(dialog.CacheLabel().text(), QStringLiteral("Cache File (0 Files)"));
  // The personality list is never changed by the list buttons.
  QCOMPARE(Devices(list), devices);
}

void DesktopDialogsTest::columnHeadersSortEachListOnItsOwn() {
  CBuildCacheDlg dialog;
  Show(dialog);
  PersonalityListView& list = dialog.PersonalityListWidget();
  PersonalityListView& cache = dialog.CacheListWidget();
  QTest::mouseClick(&dialog.AddAllButton(), Qt::LeftButton);
  const QStringList ascending = Devices(list);

  // The first click on "Device" sorts descending: the list starts sorted ascending by it.
  ClickRow(list, 0);
  const QString selectedDevice = Devices(list).first();
  ClickHeader(list, 0);
  QStringList descending = ascending;
  std::reverse(descending.begin(), descending.end());
  QCOMPARE(Devices(list), descending);
  // The selection moves with its row.
  const QModelIndexList selected = list.selectionModel()->selectedRows();
  QCOMPARE(selected.size(), 1);
  QCOMPARE(selected.first().data().toString(), selectedDevice);
  QCOMPARE(selected.first().row(), kExampleCount - 1);
  // The cache list keeps its own order.
  QCOMPARE(Devices(cache), ascending);

  ClickHeader(list, 0);
  QCOMPARE(Devices(list), ascending);

  // Another column keeps the direction: "Manufacturer" ascending, then descending.
  ClickHeader(list, 1);
  QVERIFY(Ordered(ColumnTexts(list, 1), true));
  QVERIFY(ColumnTexts(list, 1) != ColumnTexts(cache, 1));
  ClickHeader(list, 1);
  QVERIFY(Ordered(ColumnTexts(list, 1), false));

  ClickHeader(cache, 0);
  QCOMPARE(Devices(cache), descending);
  // After a descending sort by device, "Manufacturer" sorts descending too.
  ClickHeader(cache, 1);
  QVERIFY(Ordered(ColumnTexts(cache, 1), false));
  // Add sorts the cache list by its remembered state.
  QTest::mouseClick(&dialog.AddAllButton(), Qt::LeftButton);
  QVERIFY(Ordered(ColumnTexts(cache, 1), false));
}

void DesktopDialogsTest::browseRescansAndSavesTheDirectory() {
  const QString other = QFileInfo(persDir_).path() + QStringLiteral("/other");
  QVERIFY(QDir().mkpath(other));
  for (const char* name : {"LTDIMMER.QPF", "ZZHAZE5.QPF"}) {
    QVERIFY(QFile::copy(persDir_ + QLatin1Char('/') + QLatin1String(name),
                        other + QLatin1Char('/') + QLatin1String(name)));
  }
  CBuildCacheDlg dialog;
  Show(dialog);
  QTest::mouseClick(&dialog.AddAllButton(), Qt::LeftButton);
  QStringList titles;
  QString answer;
  dialog.SetFolderPicker([&](QWidget* owner, const QString& title, const QString&) {
    if (owner != &dialog) return QStringLiteral("/wrong/owner");
    titles << title;
    return answer;
  });

  // Cancelled: nothing changes, nothing is saved.
  QTest::mouseClick(&dialog.BrowseButton(), Qt::LeftButton);
  QCOMPARE(titles, QStringList{QStringLiteral("Choose Folder")});
  QCOMPARE(Devices(dialog.PersonalityListWidget()).size(), kExampleCount);
  QCOMPARE(Settings()->value(QStringLiteral("DefaultDir")).toString(), persDir_);

  answer = other;
  QTest::mouseClick(&dialog.BrowseButton(), Qt::LeftButton);
  QCOMPARE(Devices(dialog.PersonalityListWidget()),
           (QStringList{QStringLiteral("LT.Dimmer"), QStringLiteral("ZZ.Haze500")}));
  QCOMPARE(dialog.CurrentDirectoryEdit().text(), other + QLatin1Char('/'));
  // Stored as chosen, without a separator; the other settings written alongside.
  QCOMPARE(Settings()->value(QStringLiteral("DefaultDir")).toString(), other);
  QCOMPARE(Settings()->value(QStringLiteral("OutputDir")).toString(), outputDir_);
  QCOMPARE(Settings()->value(QStringLiteral("CreatedBy")).toString(), QStringLiteral("Stage crew"));
  // The cache list may hold personalities of several directories.
  QCOMPARE(Devices(dialog.CacheListWidget()).size(), kExampleCount);
}

void DesktopDialogsTest::buildWithAnEmptyCacheListOnlyReports() {
  CBuildCacheDlg dialog;
  Show(dialog);
  ModalScript modals;
  modals.ExpectMessage();
  RunBuild(dialog);
  QVERIFY(modals.Done());
  QCOMPARE(modals.Unexpected(), QStringList());
  QCOMPARE(modals.Messages().size(), std::size_t{1});
  QCOMPARE(modals.Messages()[0].caption, QStringLiteral("Hoardwright"));
  QCOMPARE(modals.Messages()[0].text, kNoPersonalities);
  QCOMPARE(modals.Messages()[0].buttonCount, 1);
  QCOMPARE(modals.Messages()[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  QVERIFY(QDir(outputDir_).isEmpty());
}

void DesktopDialogsTest::acceptedBuildWritesTheCacheAndSettings() {
  const QString chosenOutput = QFileInfo(persDir_).path() + QStringLiteral("/chosen");
  QVERIFY(QDir().mkpath(chosenOutput));
  CBuildCacheDlg dialog;
  Show(dialog);
  QString pickerOwner;
  dialog.SetFolderPicker([&](QWidget* owner, const QString& title, const QString&) {
    pickerOwner = QString::fromLatin1(owner->metaObject()->className());
    return title == QStringLiteral("Choose output directory") ? chosenOutput : QString();
  });
  QTest::mouseClick(&dialog.AddAllButton(), Qt::LeftButton);
  ClickHeader(dialog.CacheListWidget(), 1);  // the build follows the displayed order
  QTest::mouseClick(&dialog.MacrosBox(), Qt::LeftButton);
  QVERIFY(!dialog.MacrosBox().isChecked());

  ModalScript modals;
  QStringList detailsSeen;
  bool controlsDisabled = false;
  modals.Expect<CBuildDetailsDlg>([&](CBuildDetailsDlg& details) {
    detailsSeen << details.windowTitle() << details.CacheDateEdit().text()
                << details.FileCountEdit().text() << details.CreatedByEdit().text()
                << details.OutputDirEdit().text() << details.OutputFileNameEdit().text()
                << details.NotesEdit().toPlainText();
    controlsDisabled = !dialog.AddButton().isEnabled() && !dialog.AddAllButton().isEnabled() &&
                       !dialog.RemoveButton().isEnabled() &&
                       !dialog.RemoveAllButton().isEnabled() &&
                       !dialog.BrowseButton().isEnabled() &&
                       !dialog.BuildCacheButton().isEnabled() && !dialog.MacrosBox().isEnabled() &&
                       !dialog.PresetFocusBox().isEnabled() && !dialog.RangeTablesBox().isEnabled();
    details.CreatedByEdit().clear();
    QTest::keyClicks(&details.CreatedByEdit(), QStringLiteral("Night crew"));
    QTest::keyClicks(&details.NotesEdit(), QStringLiteral("Rig A"));
    QTest::keyClick(&details.NotesEdit(), Qt::Key_Return);
    QTest::keyClicks(&details.NotesEdit(), QStringLiteral("Truss 2"));
    QTest::mouseClick(&details.BrowseButton(), Qt::LeftButton);
    QTest::mouseClick(&details.OkButton(), Qt::LeftButton);
  });
  std::optional<ResultMarks> marks;
  modals.Expect<CResultDlg>([&](CResultDlg& result) {
    marks = ReadMarks(result);
    QTest::mouseClick(&result.OkButton(), Qt::LeftButton);
  });
  RunBuild(dialog);
  QVERIFY(modals.Done());
  QCOMPARE(modals.Unexpected(), QStringList());

  QCOMPARE(detailsSeen, (QStringList{QStringLiteral("Build Cache File"), QLatin1String(kCacheDate),
                                     QStringLiteral("12"), QStringLiteral("Stage crew"), outputDir_,
                                     QStringLiteral("OMK01PER.CMP"), QString()}));
  QVERIFY(controlsDisabled);
  // The picker opened above the details dialog, not behind it.
  QCOMPARE(pickerOwner, QStringLiteral("hoardwright::desktop::CBuildDetailsDlg"));

  const QString cachePath = chosenOutput + QStringLiteral("/OMK01PER.CMP");
  const QByteArray cache = ReadFile(cachePath);
  QVERIFY(!cache.isEmpty());
  QCOMPARE(IndexRecordCount(cache), kExampleCount + 1);  // the info personality first
  QVERIFY(marks.has_value());
  QCOMPARE(marks->sizeText, QStringLiteral("Cache File Size: %1k").arg(cache.size() / 1024));
  QCOMPARE(marks->tickVisible, (std::array<bool, 3>{true, true, true}));
  QCOMPARE(marks->crossVisible, (std::array<bool, 3>{false, false, false}));

  QCOMPARE(Settings()->value(QStringLiteral("DefaultDir")).toString(), persDir_ + QLatin1Char('/'));
  QCOMPARE(Settings()->value(QStringLiteral("OutputDir")).toString(),
           chosenOutput + QLatin1Char('/'));
  QCOMPARE(Settings()->value(QStringLiteral("CreatedBy")).toString(), QStringLiteral("Night crew"));
  QCOMPARE(dialog.Model().Notes(), std::string("Rig A\r\nTruss 2"));

  // Idle again.
  QVERIFY(dialog.AddButton().isEnabled());
  QVERIFY(dialog.BuildCacheButton().isEnabled());
  QVERIFY(dialog.MacrosBox().isEnabled());
  QVERIFY(!dialog.ProgressBar().isVisible());
  QCOMPARE(dialog.StatusLine().text(), QStringLiteral(" "));

  // The same inputs given to the core directly give the same bytes; with macros included they
  // would not, so the check box reached the build.
  hoardwright::catalogue::BuildRequest request = dialog.Model().MakeBuildRequest();
  QCOMPARE(request.entries.size(), std::size_t{kExampleCount});
  QVERIFY(QString::fromStdString(request.entries.front()).endsWith(QStringLiteral("ADJMINI.QPF")));
  request.unattended = true;
  for (const bool macros : {false, true}) {
    const QString direct = QFileInfo(persDir_).path() + (macros ? "/with-macros/" : "/direct/");
    QVERIFY(QDir().mkpath(direct));
    request.outputDir = direct.toStdString();
    request.includeMacros = macros;
    QuietHost host;
    QVERIFY(hoardwright::standard::BuildStandardCache(request, host).cacheWritten);
    QVERIFY(host.messages.empty());
    const QByteArray directCache = ReadFile(direct + QStringLiteral("OMK01PER.CMP"));
    QCOMPARE(directCache == cache, !macros);
  }
}

void DesktopDialogsTest::cancelledBuildWritesNothing() {
  CBuildCacheDlg dialog;
  Show(dialog);
  QTest::mouseClick(&dialog.AddAllButton(), Qt::LeftButton);
  ModalScript modals;
  modals.Expect<CBuildDetailsDlg>([](CBuildDetailsDlg& details) {
    QTest::keyClicks(&details.CreatedByEdit(), QStringLiteral(" and friends"));
    QTest::mouseClick(&details.CancelButton(), Qt::LeftButton);
  });
  RunBuild(dialog);
  QVERIFY(modals.Done());
  // No result dialog, no message.
  QCOMPARE(modals.Unexpected(), QStringList());
  QVERIFY(QDir(outputDir_).isEmpty());
  QCOMPARE(Settings()->value(QStringLiteral("DefaultDir")).toString(), persDir_);
  QCOMPARE(Settings()->value(QStringLiteral("CreatedBy")).toString(), QStringLiteral("Stage crew"));
  QCOMPARE(dialog.Model().CreatedBy(), std::string("Stage crew"));
  QVERIFY(dialog.BuildCacheButton().isEnabled());
  QVERIFY(!dialog.ProgressBar().isVisible());
}

// Closed while the build runs (it takes input between two personalities), the window waits for
// the build to stop, which writes no cache and removes its working directory, and then closes.
void DesktopDialogsTest::closingTheWindowStopsTheBuild() {
  QTemporaryDir tmp;
  QVERIFY(tmp.isValid());
  const QByteArray savedTmpdir = qgetenv("TMPDIR");
  qputenv("TMPDIR", QFile::encodeName(tmp.path()));
  const QString cachePath = outputDir_ + QStringLiteral("OMK01PER.CMP");
  {
    QFile earlier(cachePath);
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier");
  }

  CBuildCacheDlg dialog;
  Show(dialog);
  QTest::mouseClick(&dialog.AddAllButton(), Qt::LeftButton);
  // The build waits on the message of a file that lost its DEVICE line; the window is closed
  // meanwhile.
  BreakPersonality(QStringLiteral("LTDIMMER.QPF"));
  bool closedDuringBuild = false;
  ModalScript modals;
  modals.Expect<CBuildDetailsDlg>([](CBuildDetailsDlg& details) { details.OkButton().click(); });
  modals.Expect<QMessageBox>([&](QMessageBox& box) {
    closedDuringBuild = dialog.Building() && !QDir(tmp.path()).isEmpty();
    dialog.close();
    box.button(QMessageBox::Ok)->click();
  });
  RunBuild(dialog);
  qputenv("TMPDIR", savedTmpdir);

  QVERIFY(modals.Done());
  QCOMPARE(modals.Unexpected(), QStringList());  // no result dialog, no message
  QVERIFY(closedDuringBuild);
  QVERIFY(!dialog.isVisible());
  QCOMPARE(dialog.result(), int(QDialog::Rejected));
  QCOMPARE(ReadFile(cachePath), QByteArray("earlier"));
  QCOMPARE(QDir(outputDir_).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
           QStringList{QStringLiteral("OMK01PER.CMP")});
  QVERIFY(QDir(tmp.path()).isEmpty());
}

// Cancel stops the build that runs behind the window: no cache is written, the earlier one
// stays as it was, and the working files are gone. A message the build waits on holds it
// still at a known point.
void DesktopDialogsTest::cancelStopsTheBuildAndKeepsTheEarlierCache() {
  QTemporaryDir tmp;
  QVERIFY(tmp.isValid());
  const QByteArray savedTmpdir = qgetenv("TMPDIR");
  qputenv("TMPDIR", QFile::encodeName(tmp.path()));
  const QString cachePath = outputDir_ + QStringLiteral("OMK01PER.CMP");
  {
    QFile earlier(cachePath);
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier");
  }
  CBuildCacheDlg dialog;
  Show(dialog);
  QTest::mouseClick(&dialog.AddAllButton(), Qt::LeftButton);
  BreakPersonality(QStringLiteral("LTDIMMER.QPF"));

  ModalScript modals;
  modals.Expect<CBuildDetailsDlg>([](CBuildDetailsDlg& details) { details.OkButton().click(); });
  bool cancelShown = false;
  bool buildHidden = false;
  bool workingFiles = false;
  modals.Expect<QMessageBox>([&](QMessageBox& box) {
    cancelShown = dialog.CancelButton().isVisible() && dialog.CancelButton().isEnabled();
    buildHidden = !dialog.BuildCacheButton().isVisible();
    workingFiles = !QDir(tmp.path()).isEmpty();
    dialog.CancelButton().click();
    box.button(QMessageBox::Ok)->click();
  });
  RunBuild(dialog);
  qputenv("TMPDIR", savedTmpdir);

  QVERIFY(modals.Done());
  // No further message of the cancelled build, no result dialog.
  QCOMPARE(modals.Unexpected(), QStringList());
  QVERIFY(cancelShown);
  QVERIFY(buildHidden);
  QVERIFY(workingFiles);
  QCOMPARE(ReadFile(cachePath), QByteArray("earlier"));
  QCOMPARE(QDir(outputDir_).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
           QStringList{QStringLiteral("OMK01PER.CMP")});
  QVERIFY(QDir(tmp.path()).isEmpty());
  // Ready for the next build.
  QVERIFY(dialog.isVisible());
  QVERIFY(dialog.BuildCacheButton().isVisible() && dialog.BuildCacheButton().isEnabled());
  QVERIFY(!dialog.CancelButton().isVisible());
  QVERIFY(!dialog.ProgressBar().isVisible());
}

void DesktopDialogsTest::failingPersonalityIsReportedUnderItsPath() {
  CBuildCacheDlg dialog;
  Show(dialog);
  QTest::mouseClick(&dialog.AddAllButton(), Qt::LeftButton);
  const QString broken = BreakPersonality(QStringLiteral("LTDIMMER.QPF"));

  ModalScript modals;
  modals.Expect<CBuildDetailsDlg>(
      [](CBuildDetailsDlg& details) { QTest::mouseClick(&details.OkButton(), Qt::LeftButton); });
  modals.ExpectMessage();  // the keyword reader's own message
  QString statusDuringMessage;
  QString caption;
  QString message;
  bool progressShown = false;
  bool buildDisabled = false;
  modals.Expect<QMessageBox>([&](QMessageBox& box) {
    statusDuringMessage = dialog.StatusLine().text();
    progressShown = dialog.ProgressBar().isVisible();
    buildDisabled = !dialog.BuildCacheButton().isEnabled();
    caption = box.windowTitle();
    message = box.text();
    box.button(QMessageBox::Ok)->click();
  });
  // The result says where the cache went and what was left out of it, and why.
  QStringList resultTexts;
  modals.Expect<CResultDlg>([&](CResultDlg& result) {
    resultTexts << result.PathLabel().text() << result.LeftOutLabel().text()
                << result.LeftOutList().toPlainText();
    result.accept();
  });
  RunBuild(dialog);
  QVERIFY(modals.Done());
  QCOMPARE(modals.Unexpected(), QStringList());
  QCOMPARE(modals.Messages().size(), std::size_t{1});
  QCOMPARE(modals.Messages()[0].text, QStringLiteral("error - couldn't find keyword DEVICE"));
  QCOMPARE(caption, broken);
  QCOMPARE(message, QStringLiteral("keyword DEVICE not found in ") + broken +
                        QStringLiteral(", this personality will NOT be added to the cahce!\n"));
  QCOMPARE(statusDuringMessage, broken);
  QVERIFY(progressShown);
  QVERIFY(buildDisabled);
  QCOMPARE(IndexRecordCount(ReadFile(outputDir_ + QStringLiteral("OMK01PER.CMP"))),
           kExampleCount);  // eleven personalities and the info personality
  QCOMPARE(resultTexts,
           (QStringList{QStringLiteral("Written to ") + outputDir_ + QStringLiteral("OMK01PER.CMP"),
                        QStringLiteral("1 personality was left out of the cache:"),
                        broken + QStringLiteral("\n    no DEVICE line")}));
}

void DesktopDialogsTest::detailsDialogFieldsNotesAndBrowse() {
  CBuildCacheDlg dialog;
  const QString chosen = QFileInfo(persDir_).path() + QStringLiteral("/caches");
  QVERIFY(QDir().mkpath(chosen));
  QStringList answers{QString(), chosen};
  dialog.SetFolderPicker(
      [&](QWidget*, const QString&, const QString&) { return answers.takeFirst(); });
  CBuildDetailsDlg details(&dialog);
  details.CacheDate = kCacheDate;
  details.FileCount = 7;
  details.CreatedBy = "Crew";
  details.OutputDir = outputDir_.toStdString();
  details.OutputFileName = "OTHER.CMP";  // the dialog starts with the standard name regardless
  details.show();
  QVERIFY(QTest::qWaitForWindowExposed(&details));
  QCOMPARE(details.CacheDateEdit().text(), QLatin1String(kCacheDate));
  QCOMPARE(details.FileCountEdit().text(), QStringLiteral("7"));
  QVERIFY(details.CacheDateEdit().isReadOnly());
  QVERIFY(details.FileCountEdit().isReadOnly());
  QVERIFY(details.OutputDirEdit().isReadOnly());
  QCOMPARE(details.OutputFileNameEdit().text(), QStringLiteral("OMK01PER.CMP"));
  QVERIFY(details.OkButton().isDefault());

  // Return breaks the line instead of pressing OK.
  details.NotesEdit().setFocus();
  QTest::keyClicks(&details.NotesEdit(), QStringLiteral("Twenty characters ok"));
  QTest::keyClick(&details.NotesEdit(), Qt::Key_Return);
  QTest::keyClicks(&details.NotesEdit(), QStringLiteral("a last line"));
  QVERIFY(details.isVisible());

  // Browse cancelled, then a folder chosen: the typed values survive both.
  QTest::mouseClick(&details.BrowseButton(), Qt::LeftButton);
  QCOMPARE(details.OutputDirEdit().text(), outputDir_);
  QTest::mouseClick(&details.BrowseButton(), Qt::LeftButton);
  QCOMPARE(details.OutputDirEdit().text(), chosen + QLatin1Char('/'));
  QCOMPARE(details.NotesEdit().toPlainText(), QStringLiteral("Twenty characters ok\na last line"));

  details.OutputFileNameEdit().setText(QStringLiteral("SHOW.CMP"));
  QTest::mouseClick(&details.OkButton(), Qt::LeftButton);
  QCOMPARE(details.result(), int(QDialog::Accepted));
  QCOMPARE(details.Notes, std::string("Twenty characters ok\r\na last line"));
  QCOMPARE(details.OutputDir, (chosen + QLatin1Char('/')).toStdString());
  QCOMPARE(details.OutputFileName, std::string("SHOW.CMP"));
  QCOMPARE(details.CreatedBy, std::string("Crew"));
}

void DesktopDialogsTest::resultDialogShowsTicksAndCrosses_data() {
  QTest::addColumn<int>("cacheSize");
  QTest::addColumn<int>("personalityCount");
  QTest::addColumn<QString>("sizeText");
  QTest::addColumn<QList<bool>>("fits");
  const QString tooMany = QStringLiteral("Error: This file contains more than 1000 personalities!");
  QTest::newRow("90k fits all") << 93183 << 12 << QStringLiteral("Cache File Size: 90k")
                                << QList<bool>{true, true, true};
  QTest::newRow("91k too big for Tiber") << 93184 << 12 << QStringLiteral("Cache File Size: 91k")
                                         << QList<bool>{false, true, true};
  QTest::newRow("95k") << 98303 << 1000 << QStringLiteral("Cache File Size: 95k")
                       << QList<bool>{false, true, true};
  QTest::newRow("96k fits none") << 98304 << 12 << QStringLiteral("Cache File Size: 96k")
                                 << QList<bool>{false, false, false};
  QTest::newRow("1001 personalities, marks by size") << 5000 << 1001 << tooMany
                                                     << QList<bool>{true, true, true};
}

void DesktopDialogsTest::resultDialogShowsTicksAndCrosses() {
  QFETCH(int, cacheSize);
  QFETCH(int, personalityCount);
  QFETCH(QString, sizeText);
  QFETCH(QList<bool>, fits);
  CResultDlg result;
  QCOMPARE(result.SizeLabel().text(), QStringLiteral("Cache File Size: 0k"));
  result.CacheSize = cacheSize;
  result.PersonalityCount = personalityCount;
  result.show();
  QVERIFY(QTest::qWaitForWindowExposed(&result));
  QCOMPARE(result.windowTitle(), QStringLiteral("Cache File"));
  QCOMPARE(result.SizeLabel().text(), sizeText);
  // "will work with" stands only above at least one tick.
  QCOMPARE(result.IntroLabel().text(),
           fits.contains(true)
               ? QStringLiteral("This cache file will work with the following desks :-")
               : QStringLiteral("This cache file will not work with any of these desks:"));
  QVERIFY(!result.PathLabel().isVisible());
  const QStringList names{QStringLiteral("Tiber"), QStringLiteral("Ostra Mk1"),
                          QStringLiteral("Verdane Mk1")};
  const QStringList limits{QStringLiteral("(limit 91k)"), QStringLiteral("(limit 96k)"),
                           QStringLiteral("(limit 96k)")};
  for (int row = 0; row < CResultDlg::kConsoleRows; ++row) {
    QCOMPARE(result.ConsoleLabel(row).text(), names[row]);
    QCOMPARE(result.LimitLabel(row).text(), limits[row]);
    QCOMPARE(result.Tick(row).isVisible(), fits[row]);
    QCOMPARE(result.Cross(row).isVisible(), !fits[row]);
    // Tick and cross share one place; the drawings keep their sizes.
    QCOMPARE(result.Tick(row).geometry(), result.Cross(row).geometry());
    QCOMPARE(result.Tick(row).pixmap().deviceIndependentSize().toSize(), QSize(15, 15));
    QCOMPARE(result.Cross(row).pixmap().deviceIndependentSize().toSize(), QSize(14, 14));
    QVERIFY(!result.Tick(row).pixmap().isNull());
  }
  QTest::keyClick(&result, Qt::Key_Escape);
  QVERIFY(!result.isVisible());
}

// A hand-edited or older settings file may hold the output directory without its "/".
void DesktopDialogsTest::outputDirWithoutSeparatorStillNamesTheDirectory() {
  QString bare = outputDir_;
  bare.chop(1);
  StoreSettings(persDir_, bare, QStringLiteral("Stage crew"));
  CBuildCacheDlg dialog;
  Show(dialog);
  QTest::mouseClick(&dialog.AddAllButton(), Qt::LeftButton);
  ModalScript modals;
  modals.Expect<CBuildDetailsDlg>([](CBuildDetailsDlg& details) { details.OkButton().click(); });
  modals.Expect<CResultDlg>([](CResultDlg& result) { result.accept(); });
  RunBuild(dialog);
  QVERIFY(modals.Done());
  QCOMPARE(modals.Unexpected(), QStringList());
  QCOMPARE(IndexRecordCount(ReadFile(outputDir_ + QStringLiteral("OMK01PER.CMP"))),
           kExampleCount + 1);
  QVERIFY(!QFile::exists(bare + QStringLiteral("OMK01PER.CMP")));
}

// OK checks the output directory and the file name before anything is compiled or saved, says
// what is wrong and stays open.
void DesktopDialogsTest::detailsOkRefusesAnUnusableOutputPlace() {
  QTemporaryDir tmp;
  QVERIFY(tmp.isValid());
  const QByteArray savedTmpdir = qgetenv("TMPDIR");
  qputenv("TMPDIR", QFile::encodeName(tmp.path()));
  const QString missing = outputDir_ + QStringLiteral("missing/");
  StoreSettings(persDir_, missing, QStringLiteral("Stage crew"));
  CBuildCacheDlg dialog;
  Show(dialog);
  QTest::mouseClick(&dialog.AddAllButton(), Qt::LeftButton);

  ModalScript modals;
  QList<bool> stillOpen;
  modals.Expect<CBuildDetailsDlg>([&](CBuildDetailsDlg& details) {
    QTest::keyClicks(&details.CreatedByEdit(), QStringLiteral("X"));
    details.OkButton().click();
    stillOpen << details.isVisible();
    // A directory that is there, but no file name.
    dialog.SetFolderPicker([&](QWidget*, const QString&, const QString&) { return outputDir_; });
    details.BrowseButton().click();
    details.OutputFileNameEdit().clear();
    details.OkButton().click();
    stillOpen << details.isVisible();
    details.CancelButton().click();
  });
  modals.ExpectMessage();
  modals.ExpectMessage();
  RunBuild(dialog);
  qputenv("TMPDIR", savedTmpdir);

  QVERIFY(modals.Done());
  QCOMPARE(modals.Unexpected(), QStringList());
  QCOMPARE(stillOpen, (QList<bool>{true, true}));
  QCOMPARE(modals.Messages().size(), std::size_t{2});
  QCOMPARE(modals.Messages()[0].text,
           QStringLiteral("The output directory ") + missing +
               QStringLiteral(" cannot be used: No such file or directory"));
  QCOMPARE(modals.Messages()[1].text,
           QStringLiteral("Please enter a file name for the cache file."));
  for (const auto& message : modals.Messages()) {
    QCOMPARE(message.ownerName, QStringLiteral("buildDetailsDialog"));
    QCOMPARE(message.caption, QStringLiteral("Hoardwright"));
  }
  // Nothing compiled, nothing saved.
  QVERIFY(QDir(tmp.path()).isEmpty());
  QCOMPARE(Settings()->value(QStringLiteral("OutputDir")).toString(), missing);
  QCOMPARE(Settings()->value(QStringLiteral("CreatedBy")).toString(), QStringLiteral("Stage crew"));
  QVERIFY(QDir(outputDir_).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

// At start-up the scan's messages wait for the window, which owns them, and name their files.
void DesktopDialogsTest::scanMessagesWaitForTheWindowAndNameTheFile() {
  const QString broken = WriteBrokenPersonality(QStringLiteral("ABBROKEN.QPF"));
  ModalScript modals;
  modals.ExpectMessage();
  CBuildCacheDlg dialog;
  QTest::qWait(50);
  QVERIFY(modals.Messages().empty());  // nothing before the window is shown
  Show(dialog);
  QTRY_VERIFY(modals.Done());
  QCOMPARE(modals.Unexpected(), QStringList());
  QCOMPARE(modals.Messages()[0].caption, broken);
  QCOMPARE(modals.Messages()[0].text, QStringLiteral("error - couldn't find keyword DEVICE"));
  QCOMPARE(modals.Messages()[0].ownerName, QStringLiteral("mainDialog"));
  QVERIFY(modals.Messages()[0].ownerVisible);
  QCOMPARE(Devices(dialog.PersonalityListWidget()).size(), kExampleCount);
}

void DesktopDialogsTest::manyScanMessagesComeInOneBox() {
  QStringList broken;
  for (int i = 0; i < 5; ++i) {
    broken << WriteBrokenPersonality(QStringLiteral("ABBROKEN%1.QPF").arg(i));
  }
  ModalScript modals;
  modals.ExpectMessage();
  CBuildCacheDlg dialog;
  Show(dialog);
  QTRY_VERIFY(modals.Done());
  QTest::qWait(50);
  QCOMPARE(modals.Unexpected(), QStringList());  // one box only
  const QString text = modals.Messages()[0].text;
  QVERIFY(text.startsWith(QStringLiteral("5 personality files are not listed")));
  for (const QString& path : broken) {
    QVERIFY2(text.contains(path + QStringLiteral(": error - couldn't find keyword DEVICE")),
             qPrintable(text));
  }
}

// The details dialog takes no more than the cache keeps: 10 characters of Created By, ten notes
// lines of 20.
void DesktopDialogsTest::detailsFieldsTakeOnlyWhatTheCacheKeeps() {
  CBuildCacheDlg dialog;
  CBuildDetailsDlg details(&dialog);
  details.OutputDir = outputDir_.toStdString();
  details.show();
  QVERIFY(QTest::qWaitForWindowExposed(&details));
  details.CreatedByEdit().setFocus();
  QTest::keyClicks(&details.CreatedByEdit(), QString(74, QLatin1Char('c')));
  QCOMPARE(details.CreatedByEdit().text(), QString(10, QLatin1Char('c')));

  details.NotesEdit().setFocus();
  for (int line = 0; line < 13; ++line) {
    QTest::keyClicks(&details.NotesEdit(), QString(44, QLatin1Char('a' + line)));
    QTest::keyClick(&details.NotesEdit(), Qt::Key_Return);
  }
  QStringList expected;
  for (int line = 0; line < 10; ++line) expected << QString(20, QLatin1Char('a' + line));
  QCOMPARE(details.NotesEdit().toPlainText(), expected.join(QLatin1Char('\n')));
  // What the field shows is what the build gets.
  QTest::mouseClick(&details.OkButton(), Qt::LeftButton);
  QCOMPARE(details.Notes, expected.join(QStringLiteral("\r\n")).toStdString());
  QCOMPARE(details.CreatedBy, std::string(10, 'c'));
}

// Escape does not end the program; Return in a list or the directory field starts no build, and
// Return in a details field moves on instead of confirming.
void DesktopDialogsTest::escapeAndReturnNeitherCloseNorBuild() {
  CBuildCacheDlg dialog;
  Show(dialog);
  QTest::mouseClick(&dialog.AddAllButton(), Qt::LeftButton);
  ModalScript modals;
  QTest::keyClick(&dialog, Qt::Key_Escape);
  QVERIFY(dialog.isVisible());
  QTest::keyClick(dialog.CacheListWidget().viewport(), Qt::Key_Escape);
  QVERIFY(dialog.isVisible());
  dialog.CurrentDirectoryEdit().setFocus();
  QTest::keyClick(&dialog.CurrentDirectoryEdit(), Qt::Key_Return);
  dialog.CacheListWidget().setFocus();
  QTest::keyClick(&dialog.CacheListWidget(), Qt::Key_Return);
  QTest::qWait(50);
  QCOMPARE(modals.Unexpected(), QStringList());  // no details dialog came
  QCOMPARE(Devices(dialog.CacheListWidget()).size(), kExampleCount);

  bool stayedOpen = false;
  bool focusMoved = false;
  modals.Expect<CBuildDetailsDlg>([&](CBuildDetailsDlg& details) {
    details.CreatedByEdit().setFocus();
    QTest::keyClicks(&details.CreatedByEdit(), QStringLiteral("!"));
    QTest::keyClick(&details.CreatedByEdit(), Qt::Key_Return);
    stayedOpen = details.isVisible();
    focusMoved = !details.CreatedByEdit().hasFocus();
    details.CancelButton().click();
  });
  RunBuild(dialog);
  QVERIFY(modals.Done());
  QVERIFY(stayedOpen);
  QVERIFY(focusMoved);
  QCOMPARE(Settings()->value(QStringLiteral("CreatedBy")).toString(), QStringLiteral("Stage crew"));
  QVERIFY(QDir(outputDir_).isEmpty());
}

void DesktopDialogsTest::windowGrowsWithItsListsAndIsRemembered() {
  QRect placed;
  {
    CBuildCacheDlg dialog;
    Show(dialog);
    const QSize listBefore = dialog.PersonalityListWidget().size();
    const QSize larger = dialog.size() + QSize(300, 200);
    dialog.resize(larger);
    QTRY_COMPARE(dialog.size(), larger);
    QTRY_VERIFY(dialog.PersonalityListWidget().width() > listBefore.width() + 100);
    QVERIFY(dialog.PersonalityListWidget().height() > listBefore.height() + 150);
    QVERIFY(dialog.CacheListWidget().width() > listBefore.width() + 100);
    placed = dialog.geometry();
    dialog.CloseButton().click();
  }
  CBuildCacheDlg again;
  Show(again);
  QCOMPARE(again.size(), placed.size());
  // The three settings are untouched by it.
  QCOMPARE(Settings()->childKeys().size(), 3);
}

void DesktopDialogsTest::filterShowsMatchingRowsAndAddAllTakesThem() {
  CBuildCacheDlg dialog;
  Show(dialog);
  PersonalityListView& list = dialog.PersonalityListWidget();
  // Device or manufacturer, any case, as it is typed.
  QTest::keyClicks(&dialog.PersonalityFilter(), QStringLiteral("aMeRiCaN"));
  const QStringList american = ColumnTexts(list, 1);
  QVERIFY(!american.isEmpty());
  QVERIFY(american.size() < kExampleCount);
  for (const QString& maker : american) QCOMPARE(maker, QStringLiteral("American DJ"));
  QCOMPARE(dialog.PersonalityCount().text(),
           QStringLiteral("%1 of %2 shown").arg(american.size()).arg(kExampleCount));

  QTest::mouseClick(&dialog.AddAllButton(), Qt::LeftButton);
  QCOMPARE(Devices(dialog.CacheListWidget()), Devices(list));
  QCOMPARE(dialog.CacheLabel().text(),
           QStringLiteral("Cache File (%1 Files)").arg(american.size()));

  dialog.PersonalityFilter().clear();
  QCOMPARE(Devices(list).size(), kExampleCount);
  QCOMPARE(dialog.PersonalityCount().text(), QStringLiteral("12 personalities"));
  QTest::keyClicks(&dialog.PersonalityFilter(), QStringLiteral("dimmer"));
  QCOMPARE(Devices(list), QStringList{QStringLiteral("LT.Dimmer")});
  // Selected rows that the filter hides are not added.
  dialog.PersonalityFilter().clear();
  list.selectAll();
  QTest::keyClicks(&dialog.PersonalityFilter(), QStringLiteral("dimmer"));
  QTest::mouseClick(&dialog.AddButton(), Qt::LeftButton);
  QCOMPARE(Devices(dialog.CacheListWidget()).size(), american.size() + 1);

  // The cache list has its own filter and count.
  QTest::keyClicks(&dialog.CacheFilter(), QStringLiteral("LT."));
  QCOMPARE(Devices(dialog.CacheListWidget()), QStringList{QStringLiteral("LT.Dimmer")});
  QCOMPARE(dialog.CacheCount().text(), QStringLiteral("1 of %1 shown").arg(american.size() + 1));
}

void DesktopDialogsTest::cacheListIsRememberedAndVanishedRowsDropped() {
  QStringList kept;
  {
    CBuildCacheDlg dialog;
    Show(dialog);
    QTest::mouseClick(&dialog.AddAllButton(), Qt::LeftButton);
    ClickRow(dialog.CacheListWidget(), 0);
    QTest::mouseClick(&dialog.RemoveButton(), Qt::LeftButton);
    kept = Devices(dialog.CacheListWidget());
    // Written at once, one path a line, not only when the window closes.
    const QList<QByteArray> lines = ReadFile(cacheListFile_).split('\n');
    QCOMPARE(lines.size(), kExampleCount);  // eleven paths and the last line's end
    QVERIFY(lines.first().startsWith(QFile::encodeName(persDir_)));
    dialog.CloseButton().click();
  }
  {
    ModalScript modals;
    CBuildCacheDlg dialog;
    Show(dialog);
    QCOMPARE(Devices(dialog.CacheListWidget()), kept);
    QCOMPARE(dialog.CacheLabel().text(), QStringLiteral("Cache File (11 Files)"));
    QTest::qWait(50);
    QCOMPARE(modals.Unexpected(), QStringList());
  }
  // Two files are gone by the next start: one notice names both, and they are forgotten.
  QVERIFY(QFile::remove(persDir_ + QStringLiteral("/LTDIMMER.QPF")));
  QVERIFY(QFile::remove(persDir_ + QStringLiteral("/ZZHAZE5.QPF")));
  ModalScript modals;
  modals.ExpectMessage();
  CBuildCacheDlg dialog;
  Show(dialog);
  QTRY_VERIFY(modals.Done());
  QTest::qWait(50);
  QCOMPARE(modals.Unexpected(), QStringList());
  const QString notice = modals.Messages()[0].text;
  QVERIFY2(notice.startsWith(QStringLiteral(
               "2 personalities of the remembered cache list are gone and were left out:")),
           qPrintable(notice));
  QVERIFY(notice.contains(persDir_ + QStringLiteral("/LTDIMMER.QPF")));
  QVERIFY(notice.contains(persDir_ + QStringLiteral("/ZZHAZE5.QPF")));
  QCOMPARE(Devices(dialog.CacheListWidget()).size(), kept.size() - 2);
  QCOMPARE(ReadFile(cacheListFile_).count('\n'), kept.size() - 2);
}

// A file added to the directory or removed from it shows up by itself; F5 lists it again too.
// The selected rows and the sort stay as they were.
void DesktopDialogsTest::listFollowsTheDirectoryKeepingSelectionAndSort() {
  CBuildCacheDlg dialog;
  Show(dialog);
  PersonalityListView& list = dialog.PersonalityListWidget();
  ClickHeader(list, 1);  // by manufacturer
  ClickRow(list, 2);
  const QString selected = list.selectionModel()->selectedRows().first().data().toString();

  QVERIFY(QFile::copy(persDir_ + QStringLiteral("/LTDIMMER.QPF"),
                      persDir_ + QStringLiteral("/ABCOPY.QPF")));
  {
    QFile copy(persDir_ + QStringLiteral("/ABCOPY.QPF"));
    QVERIFY(copy.open(QIODevice::ReadWrite));
    QByteArray text = copy.readAll().replace("LT.Dimmer", "AB.Copy");
    copy.resize(0);
    copy.write(text);
  }
  QTRY_COMPARE(Devices(list).size(), kExampleCount + 1);
  QVERIFY(Devices(list).contains(QStringLiteral("AB.Copy")));
  QVERIFY(Ordered(ColumnTexts(list, 1), true));
  QCOMPARE(list.header()->sortIndicatorSection(), 1);
  QCOMPARE(list.selectionModel()->selectedRows().size(), 1);
  QCOMPARE(list.selectionModel()->selectedRows().first().data().toString(), selected);

  QVERIFY(QFile::remove(persDir_ + QStringLiteral("/ABCOPY.QPF")));
  QTRY_COMPARE(Devices(list).size(), kExampleCount);

  // Without the watcher, F5 finds the change.
  dialog.DirectoryWatcher().blockSignals(true);
  QVERIFY(QFile::remove(persDir_ + QStringLiteral("/ZZHAZE5.QPF")));
  QTest::keyClick(&dialog, Qt::Key_F5);
  QCOMPARE(Devices(list).size(), kExampleCount - 1);
  QCOMPARE(list.selectionModel()->selectedRows().first().data().toString(), selected);
}

void DesktopDialogsTest::rowsMoveByMouseAndKeyboard() {
  CBuildCacheDlg dialog;
  Show(dialog);
  PersonalityListView& list = dialog.PersonalityListWidget();
  PersonalityListView& cache = dialog.CacheListWidget();
  const QStringList devices = Devices(list);

  // A double-click moves the row to the cache list.
  const QRect row1 = list.visualRect(list.model()->index(1, 0));
  QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, row1.center());
  QCOMPARE(Devices(cache), QStringList{devices[1]});
  // Return moves the selection.
  ClickRow(list, 3);
  QTest::keyClick(&list, Qt::Key_Return);
  QCOMPARE(Devices(cache), (QStringList{devices[1], devices[3]}));
  // The move buttons' keys, wherever the focus is.
  dialog.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&dialog));
  QTest::keyClick(&list, Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
  QCOMPARE(Devices(cache), devices);
  ClickRow(cache, 0);
  QTest::keyClick(&cache, Qt::Key_Left, Qt::ControlModifier);
  QCOMPARE(Devices(cache).size(), kExampleCount - 1);
  // Delete removes the selection from the cache list, Return and a double-click too.
  ClickRow(cache, 0);
  QTest::keyClick(&cache, Qt::Key_Delete);
  QCOMPARE(Devices(cache).size(), kExampleCount - 2);
  ClickRow(cache, 0);
  QTest::keyClick(&cache, Qt::Key_Return);
  QCOMPARE(Devices(cache).size(), kExampleCount - 3);
  const QRect first = cache.visualRect(cache.model()->index(0, 0));
  QTest::mouseDClick(cache.viewport(), Qt::LeftButton, Qt::NoModifier, first.center());
  QCOMPARE(Devices(cache).size(), kExampleCount - 4);
  // Delete in the personality list removes nothing from the directory's list.
  ClickRow(list, 0);
  QTest::keyClick(&list, Qt::Key_Delete);
  QCOMPARE(Devices(list), devices);
  QTest::keyClick(&list, Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
  QCOMPARE(Devices(cache).size(), 0);
}

namespace {

// Sends a drop of `data` to `target`, as a drag from a file manager or another list ends.
void Drop(QWidget& target, QMimeData& data) {
  const QPointF centre = QRectF(target.rect()).center();
  QDragEnterEvent enter(centre.toPoint(), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                        Qt::NoModifier);
  QApplication::sendEvent(&target, &enter);
  QDropEvent drop(centre, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&target, &drop);
}

}  // namespace

void DesktopDialogsTest::rowsAndFilesAreDroppedOntoTheWindow() {
  CBuildCacheDlg dialog;
  Show(dialog);
  PersonalityListView& list = dialog.PersonalityListWidget();
  PersonalityListView& cache = dialog.CacheListWidget();
  const QStringList devices = Devices(list);

  // Rows dragged from one list onto the other.
  ClickRow(list, 0);
  ClickRow(list, 2, Qt::ControlModifier);
  QMimeData rows;
  rows.setData(QStringLiteral("application/x-hoardwright-rows"), "personalityList");
  Drop(*cache.viewport(), rows);
  QCOMPARE(Devices(cache), (QStringList{devices[0], devices[2]}));
  ClickRow(cache, 1);
  QMimeData back;
  back.setData(QStringLiteral("application/x-hoardwright-rows"), "cacheList");
  Drop(*list.viewport(), back);
  QCOMPARE(Devices(cache), QStringList{devices[0]});
  // A list's own rows dropped onto it change nothing.
  Drop(*cache.viewport(), back);
  QCOMPARE(Devices(cache), QStringList{devices[0]});

  // Files from a file manager: *.QPF files join the cache list, other files are left alone.
  const QString other = QFileInfo(persDir_).path() + QStringLiteral("/other");
  QVERIFY(QDir().mkpath(other));
  QVERIFY(QFile::copy(persDir_ + QStringLiteral("/ZZHAZE5.QPF"),
                      other + QStringLiteral("/ZZHAZE5.QPF")));
  QVERIFY(QFile::copy(persDir_ + QStringLiteral("/LTDIMMER.QPF"),
                      other + QStringLiteral("/notes.txt")));
  QMimeData files;
  files.setUrls({QUrl::fromLocalFile(other + QStringLiteral("/ZZHAZE5.QPF")),
                 QUrl::fromLocalFile(other + QStringLiteral("/notes.txt"))});
  Drop(dialog, files);
  QCOMPARE(Devices(cache), (QStringList{devices[0], QStringLiteral("ZZ.Haze500")}));
  QCOMPARE(dialog.CacheLabel().text(), QStringLiteral("Cache File (2 Files)"));
  QCOMPARE(dialog.CurrentDirectoryEdit().text(), persDir_ + QLatin1Char('/'));

  // A folder is browsed to, and remembered as Browse remembers it.
  QMimeData folder;
  folder.setUrls({QUrl::fromLocalFile(other)});
  Drop(*list.viewport(), folder);
  QCOMPARE(dialog.CurrentDirectoryEdit().text(), other + QLatin1Char('/'));
  QCOMPARE(Devices(list), QStringList{QStringLiteral("ZZ.Haze500")});
  QCOMPARE(Settings()->value(QStringLiteral("DefaultDir")).toString(), other);
}

QTEST_MAIN(DesktopDialogsTest)
#include "DesktopDialogsTest.moc"
