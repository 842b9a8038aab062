// What the window shows before and after a build: the problem marks of the rows and their
// reasons, the size gauge against the file a build then writes, both cache kinds, and the view of
// an existing cache compared with the personality directory.
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <array>
#include <memory>

#include "ModalScript.h"
#include "WindowTestSupport.h"
#include "desktop/BuildCacheDlg.h"
#include "desktop/BuildDetailsDlg.h"
#include "desktop/OpenCacheDlg.h"
#include "desktop/PersonalityListView.h"
#include "desktop/ResultDlg.h"
#include "ui/PreviewTexts.h"

using hoardwright::desktop::CBuildCacheDlg;
using hoardwright::desktop::CBuildDetailsDlg;
using hoardwright::desktop::COpenCacheDlg;
using hoardwright::desktop::CResultDlg;
using hoardwright::desktop::PersonalityListView;
using hoardwright::desktop::testing::Devices;
using hoardwright::desktop::testing::kSourceDateEpoch;
using hoardwright::desktop::testing::ModalScript;
using hoardwright::desktop::testing::ReadFile;

namespace {

constexpr int kSettleMilliseconds = 30000;

int RowOf(const QAbstractItemView& view, const QString& device) {
  return static_cast<int>(Devices(view).indexOf(device));
}

QString Grouped(qint64 value) {
  return QString::fromStdString(hoardwright::ui::GroupedNumber(value));
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Answers the details dialog with OK and records what the result dialog shows.
struct BuildAnswers {
  bool createdByEditable = true;
  QString sizeText;
  QString introText;
  bool consolesShown = true;
  void Expect(ModalScript& modals) {
    modals.Expect<CBuildDetailsDlg>([this](CBuildDetailsDlg& details) {
      createdByEditable = details.CreatedByEdit().isEnabled();
      QTest::mouseClick(&details.OkButton(), Qt::LeftButton);
    });
    modals.Expect<CResultDlg>([this](CResultDlg& result) {
      sizeText = result.SizeLabel().text();
      introText = result.IntroLabel().text();
      consolesShown = result.ConsoleLabel(0).isVisible();
      result.accept();
    });
  }
};

}  // namespace

class PreviewDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();

  void cacheKindIsChosenRememberedAndBuildsTheExtendedCache();
  void gaugeCountsTheBytesTheBuildWrites_data();
  void gaugeCountsTheBytesTheBuildWrites();
  void gaugeShowsEachConsoleAndTheExtendedCache();
  void rowsAreMarkedAndLeftOutFilesRefused();
  void openCacheComparesWithTheDirectoryAndLoadsTheList();
  void openCacheCanBeCancelledReplacedAndClosedOn();

 private:
  void Show(CBuildCacheDlg& dialog);
  static void WaitForGauge(CBuildCacheDlg& dialog);
  static void RunBuild(CBuildCacheDlg& dialog);
  // A standard cache of every example, built from the window; its path, empty when none came.
  QString BuildExampleCache();
  // Replaces `from` by `to` in the directory's copy of an example; its path.
  QString EditPersonality(const QString& name, const QByteArray& from, const QByteArray& to);

  QTemporaryDir root_;
  QString persDir_;
  QString outputDir_;  // ends with "/"
};

void PreviewDialogsTest::initTestCase() {
  QVERIFY(root_.isValid());
  const QString settings = root_.filePath(QStringLiteral("settings"));
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings);
  qputenv("SOURCE_DATE_EPOCH", kSourceDateEpoch);
  qputenv("XDG_DATA_HOME", QFile::encodeName(root_.filePath(QStringLiteral("data"))));
}

void PreviewDialogsTest::init() {
  static int run = 0;
  const QString base = root_.filePath(QStringLiteral("run%1").arg(++run));
  persDir_ = base + QStringLiteral("/examples");
  outputDir_ = base + QStringLiteral("/out/");
  QVERIFY(QDir().mkpath(persDir_));
  QVERIFY(QDir().mkpath(outputDir_));
  const QDir examples(QStringLiteral(HOARDWRIGHT_SOURCE_DIR "/examples/personalities"));
  for (const QString& file : examples.entryList({QStringLiteral("*.QPF")}, QDir::Files)) {
    QVERIFY(QFile::copy(examples.filePath(file), persDir_ + QLatin1Char('/') + file));
  }
  QSettings settings(QStringLiteral("Qendrale"), QStringLiteral("Hoardwright"));
  settings.clear();
  settings.setValue(QStringLiteral("Hoardwright/DefaultDir"), persDir_);
  settings.setValue(QStringLiteral("Hoardwright/OutputDir"), outputDir_);
  settings.setValue(QStringLiteral("Hoardwright/CreatedBy"), QStringLiteral("Stage crew"));
  QFile::remove(root_.filePath(QStringLiteral("data/Qendrale/Hoardwright/cache-list")));
}

void PreviewDialogsTest::Show(CBuildCacheDlg& dialog) {
  dialog.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dialog));
}

void PreviewDialogsTest::WaitForGauge(CBuildCacheDlg& dialog) {
  QTRY_VERIFY_WITH_TIMEOUT(dialog.GaugeSettled() && dialog.ChecksSettled(), kSettleMilliseconds);
}

void PreviewDialogsTest::RunBuild(CBuildCacheDlg& dialog) {
  QTest::mouseClick(&dialog.BuildCacheButton(), Qt::LeftButton);
  QTRY_VERIFY_WITH_TIMEOUT(!dialog.Building(), 60000);
}

QString PreviewDialogsTest::EditPersonality(const QString& name, const QByteArray& from,
                                            const QByteArray& to) {
  const QString path = persDir_ + QLatin1Char('/') + name;
  QByteArray text = ReadFile(path);
  if (!text.contains(from)) return {};
  text.replace(from, to);
  return WriteFile(path, text) ? path : QString();
}

void PreviewDialogsTest::cacheKindIsChosenRememberedAndBuildsTheExtendedCache() {
  {
    CBuildCacheDlg dialog;
    Show(dialog);
    QVERIFY(dialog.NormalChoice().isChecked());
    dialog.ExtendedChoice().click();
    QVERIFY(dialog.ExtendedChoice().isChecked());
  }
  // The choice is remembered under a key of its own; the three settings stay as they were.
  QSettings settings(QStringLiteral("Qendrale"), QStringLiteral("Hoardwright"));
  QCOMPARE(settings.value(QStringLiteral("Build/CacheType")).toString(),
           QStringLiteral("extended"));
  settings.beginGroup(QStringLiteral("Hoardwright"));
  QCOMPARE(settings.childKeys(),
           (QStringList{QStringLiteral("CreatedBy"), QStringLiteral("DefaultDir"),
                        QStringLiteral("OutputDir")}));
  settings.endGroup();

  CBuildCacheDlg dialog;
  Show(dialog);
  QVERIFY(dialog.ExtendedChoice().isChecked());
  QTest::mouseClick(&dialog.AddAllButton(), Qt::LeftButton);
  WaitForGauge(dialog);
  QVERIFY(dialog.GaugeSizeLabel().text().startsWith(QStringLiteral("Extended cache: ")));
  QVERIFY(!dialog.GaugeConsoleLabel(0).isVisible());

  ModalScript modals;
  BuildAnswers answers;
  answers.Expect(modals);
  RunBuild(dialog);
  QVERIFY(modals.Done());
  QCOMPARE(modals.Unexpected(), QStringList());
  // The extended cache keeps no created-by text, so the dialog does not take one.
  QVERIFY(!answers.createdByEditable);
  const QByteArray built = ReadFile(outputDir_ + QStringLiteral("OMK01PER.CMP"));
  QVERIFY(built.startsWith("QenCache"));
  QCOMPARE(answers.sizeText, QStringLiteral("Cache File Size: %1k").arg(built.size() / 1024));
  QCOMPARE(answers.introText, QStringLiteral("Extended cache with 12 personalities"));
  QVERIFY(!answers.consolesShown);
  QCOMPARE(static_cast<qint64>(built.size()), dialog.GaugePreview().cacheSize);

  // The command line's extended build of the same list gives the same bytes.
  const QString cliOutput = outputDir_ + QStringLiteral("cli.CMP");
  QProcess cli;
  cli.start(QStringLiteral(HOARDWRIGHT_EXECUTABLE),
            {QStringLiteral("build"), QStringLiteral("--type"), QStringLiteral("extended"),
             QStringLiteral("--output"), cliOutput, persDir_});
  QVERIFY(cli.waitForFinished(60000));
  QCOMPARE(cli.exitCode(), 0);
  QCOMPARE(ReadFile(cliOutput), built);
}

void PreviewDialogsTest::gaugeCountsTheBytesTheBuildWrites_data() {
  QTest::addColumn<QStringList>("devices");  // empty: Add All
  QTest::addColumn<bool>("tables");
  const QStringList three{QStringLiteral("MT.Orbit575"), QStringLiteral("LT.Dimmer"),
                          QStringLiteral("ZZ.Haze500")};
  const QStringList one{QStringLiteral("ADJ.Mini250")};
  for (const bool tables : {true, false}) {
    const char* setting = tables ? "all tables" : "no tables";
    QTest::addRow("every example, %s", setting) << QStringList() << tables;
    QTest::addRow("three, %s", setting) << three << tables;
    QTest::addRow("one, %s", setting) << one << tables;
  }
}

void PreviewDialogsTest::gaugeCountsTheBytesTheBuildWrites() {
  QFETCH(QStringList, devices);
  QFETCH(bool, tables);
  CBuildCacheDlg dialog;
  Show(dialog);
  PersonalityListView& list = dialog.PersonalityListWidget();
  if (devices.isEmpty()) {
    QTest::mouseClick(&dialog.AddAllButton(), Qt::LeftButton);
  } else {
    for (const QString& device : devices) {
      const int row = RowOf(list, device);
      QVERIFY2(row >= 0, qPrintable(device));
      list.setCurrentIndex(list.model()->index(row, 0));
      QTest::mouseClick(&dialog.AddButton(), Qt::LeftButton);
    }
    QCOMPARE(Devices(dialog.CacheListWidget()).size(), devices.size());
  }
  if (!tables) {
    for (QCheckBox* box : {&dialog.PresetFocusBox(), &dialog.RangeTablesBox(), &dialog.MacrosBox()})
      QTest::mouseClick(box, Qt::LeftButton);
  }
  WaitForGauge(dialog);
  const qint64 gauged = dialog.GaugePreview().cacheSize;
  QVERIFY(gauged > 0);
  QVERIFY(dialog.GaugeSizeLabel().text().contains(Grouped(gauged) + QStringLiteral(" bytes")));

  ModalScript modals;
  BuildAnswers answers;
  answers.Expect(modals);
  RunBuild(dialog);
  QVERIFY(modals.Done());
  QCOMPARE(modals.Unexpected(), QStringList());
  QCOMPARE(QFileInfo(outputDir_ + QStringLiteral("OMK01PER.CMP")).size(), gauged);
}

void PreviewDialogsTest::gaugeShowsEachConsoleAndTheExtendedCache() {
  CBuildCacheDlg dialog;
  Show(dialog);
  WaitForGauge(dialog);
  QCOMPARE(dialog.GaugeSizeLabel().text(), QStringLiteral("No personalities in the cache list"));

  QTest::mouseClick(&dialog.AddAllButton(), Qt::LeftButton);
  WaitForGauge(dialog);
  // Twelve small examples fit every console; each line says how much room is left.
  const std::array<QString, 3> consoles{QStringLiteral("Tiber (91k): fits, "),
                                        QStringLiteral("Ostra Mk1 (96k): fits, "),
                                        QStringLiteral("Verdane Mk1 (96k): fits, ")};
  const qint64 size = dialog.GaugePreview().cacheSize;
  for (int row = 0; row < 3; ++row) {
    const QString text = dialog.GaugeConsoleLabel(row).text();
    QVERIFY2(text.startsWith(consoles[static_cast<std::size_t>(row)]), qPrintable(text));
    QVERIFY(dialog.GaugeConsoleLabel(row).isVisible());
  }
  const qint64 tiberLeft = 91 * 1024 - 1 - size;
  QVERIFY2(dialog.GaugeConsoleLabel(0).text().endsWith(Grouped(tiberLeft) +
                                                       QStringLiteral(" bytes left")),
           qPrintable(dialog.GaugeConsoleLabel(0).text()));

  // The extended cache: its own size, and no consoles.
  dialog.ExtendedChoice().click();
  WaitForGauge(dialog);
  QCOMPARE(dialog.GaugePreview().cacheType, hoardwright::catalogue::CacheType::Extended);
  QVERIFY(dialog.GaugeSizeLabel().text().endsWith(QStringLiteral("12 personalities")));
  QVERIFY(!dialog.GaugeConsoleLabel(0).isVisible());
}

void PreviewDialogsTest::rowsAreMarkedAndLeftOutFilesRefused() {
  // A channel name without its closing quote leaves the file out of both caches; a TEXT section
  // without its END is a warning.
  const QString broken = EditPersonality(QStringLiteral("LTDIMMER.QPF"),
                                         "\"Dimmer\"        255  0    0    ; DIMMER", "\"Dimmer");
  QVERIFY(!broken.isEmpty());
  CBuildCacheDlg dialog;
  Show(dialog);
  WaitForGauge(dialog);
  PersonalityListView& list = dialog.PersonalityListWidget();
  const int brokenRow = RowOf(list, QStringLiteral("LT.Dimmer"));
  QVERIFY(brokenRow >= 0);
  const QModelIndex brokenIndex = list.model()->index(brokenRow, 0);
  QVERIFY(!brokenIndex.data(Qt::DecorationRole).isNull());
  const QString tip = brokenIndex.data(Qt::ToolTipRole).toString();
  QVERIFY2(tip.contains(QStringLiteral("Build Cache would leave this file out:")), qPrintable(tip));
  QVERIFY2(tip.contains(QStringLiteral("LEFT OUT, line 17, column 10")), qPrintable(tip));
  // The other marked example has a warning for the list alone (no known manufacturer code).
  QStringList marked;
  for (int row = 0; row < list.model()->rowCount(); ++row) {
    const QModelIndex index = list.model()->index(row, 0);
    if (index.data(Qt::DecorationRole).isNull()) continue;
    marked << index.data().toString() + QLatin1Char(' ') +
                  index.data(Qt::ToolTipRole).toString().section(QLatin1Char('\n'), 1, 1);
  }
  QCOMPARE(marked, (QStringList{QStringLiteral("LT.Dimmer Build Cache would leave this file out:"),
                                QStringLiteral("ZZ.Haze500 Warnings:")}));

  // The pane shows the reasons of the selected row.
  list.setCurrentIndex(brokenIndex);
  QVERIFY(dialog.ReasonsPane().toPlainText().contains(QStringLiteral("line 17, column 10")));

  // Add refuses the file and says why.
  ModalScript modals;
  modals.ExpectMessage();
  modals.ExpectMessage();
  QTest::mouseClick(&dialog.AddButton(), Qt::LeftButton);
  QTRY_COMPARE(modals.Messages().size(), std::size_t{1});
  QVERIFY(modals.Messages()[0].text.startsWith(
      QStringLiteral("This file is not added, because Build Cache would leave it out:")));
  QVERIFY(modals.Messages()[0].text.contains(broken));
  QCOMPARE(Devices(dialog.CacheListWidget()).size(), 0);

  // Add All takes the others, and says which it did not take.
  QTest::mouseClick(&dialog.AddAllButton(), Qt::LeftButton);
  QTRY_VERIFY(modals.Done());
  QVERIFY(modals.Messages()[1].text.contains(broken));
  QCOMPARE(Devices(dialog.CacheListWidget()).size(), 11);

  // A warning is marked as one, and the mark follows the file when it is mended.
  const QString warned = EditPersonality(QStringLiteral("LTDIMMER.QPF"), "\"Dimmer\r\n",
                                         "\"Dimmer\"        255  0    0    ; DIMMER\r\n");
  QVERIFY(!warned.isEmpty());
  QTRY_VERIFY_WITH_TIMEOUT(list.model()
                               ->index(RowOf(list, QStringLiteral("LT.Dimmer")), 0)
                               .data(Qt::DecorationRole)
                               .isNull(),
                           kSettleMilliseconds);
  // An attribute block without its END takes the rest of the file: a warning.
  QVERIFY(!EditPersonality(QStringLiteral("LTDIMMER.QPF"), "Dimmer         1\r\nEND\r\n",
                           "Dimmer         1\r\n")
               .isEmpty());
  QTRY_VERIFY_WITH_TIMEOUT(list.model()
                               ->index(RowOf(list, QStringLiteral("LT.Dimmer")), 0)
                               .data(Qt::ToolTipRole)
                               .toString()
                               .contains(QStringLiteral("Warnings:\nwarning, line 24: ATTR block")),
                           kSettleMilliseconds);
  QCOMPARE(modals.Unexpected(), QStringList());
}

QString PreviewDialogsTest::BuildExampleCache() {
  {
    CBuildCacheDlg dialog;
    Show(dialog);
    QTest::mouseClick(&dialog.AddAllButton(), Qt::LeftButton);
    ModalScript modals;
    BuildAnswers answers;
    answers.Expect(modals);
    RunBuild(dialog);
    if (!modals.Done()) return {};
  }
  const QString cache = outputDir_ + QStringLiteral("OMK01PER.CMP");
  // The next window starts with an empty cache list.
  QFile::remove(root_.filePath(QStringLiteral("data/Qendrale/Hoardwright/cache-list")));
  return QFileInfo::exists(cache) ? cache : QString();
}

void PreviewDialogsTest::openCacheComparesWithTheDirectoryAndLoadsTheList() {
  const QString cache = BuildExampleCache();
  QVERIFY(!cache.isEmpty());
  // Since then: one file changed, one removed, one new.
  QVERIFY(!EditPersonality(QStringLiteral("LTDIMMER.QPF"), "\"Dimmer\"", "\"Bright\"").isEmpty());
  QVERIFY(QFile::remove(persDir_ + QStringLiteral("/ZZHAZE5.QPF")));
  QVERIFY(!EditPersonality(QStringLiteral("ADJMINI.QPF"), "ADJ.Mini250", "ADJ.Mini999").isEmpty());
  QVERIFY(QFile::rename(persDir_ + QStringLiteral("/ADJMINI.QPF"),
                        persDir_ + QStringLiteral("/ADJNEW.QPF")));

  CBuildCacheDlg dialog;
  Show(dialog);
  WaitForGauge(dialog);
  ModalScript modals;
  QStringList states;
  QString comparison;
  QString details;
  int rows = 0;
  bool loadEnabled = false;
  modals.Expect<COpenCacheDlg>([&](COpenCacheDlg& view) {
    QTreeWidget& list = view.Personalities();
    rows = list.topLevelItemCount();
    for (int row = 0; row < rows; ++row) {
      states << list.topLevelItem(row)->text(0) + QLatin1Char('=') +
                    list.topLevelItem(row)->text(3);
    }
    comparison = view.ComparisonLabel().text();
    details = view.DetailsLabel().text();
    loadEnabled = view.LoadButton().isEnabled();
    QTest::mouseClick(&view.LoadButton(), Qt::LeftButton);
  });
  // Dropped onto the window, as File > Open Cache... opens it.
  dialog.DropPaths({cache.toStdString()});
  QTRY_VERIFY_WITH_TIMEOUT(modals.Done(), kSettleMilliseconds);
  QCOMPARE(modals.Unexpected(), QStringList());

  QCOMPARE(rows, 13);  // the cache's twelve and the new one
  QVERIFY2(states.contains(QStringLiteral("LT.Dimmer=changed")), qPrintable(states.join(' ')));
  QVERIFY(states.contains(QStringLiteral("ZZ.Haze500=missing")));
  QVERIFY(states.contains(QStringLiteral("ADJ.Mini250=missing")));
  QVERIFY(states.contains(QStringLiteral("ADJ.Mini999=new")));
  QVERIFY(states.contains(QStringLiteral("MT.Orbit575=unchanged")));
  QCOMPARE(comparison, QStringLiteral("9 unchanged, 1 changed, 2 missing, 1 new in ") + persDir_ +
                           QLatin1Char('/'));
  QVERIFY(details.contains(QStringLiteral("standard cache")));
  QVERIFY(details.contains(QStringLiteral("25-Apr-2026")));
  QVERIFY(details.contains(QStringLiteral("Stage crew")));
  QVERIFY(loadEnabled);

  // The cache list now holds the cache's personalities that the directory still has.
  const QStringList loaded = Devices(dialog.CacheListWidget());
  QCOMPARE(loaded.size(), 10);
  QVERIFY(loaded.contains(QStringLiteral("LT.Dimmer")));
  QVERIFY(!loaded.contains(QStringLiteral("ZZ.Haze500")));
  QVERIFY(!loaded.contains(QStringLiteral("ADJ.Mini999")));

  // File > Open Cache... asks for the file, opening in the output directory.
  QString pickerStart;
  dialog.SetFilePicker([&](QWidget*, const QString&, const QString& start) {
    pickerStart = start;
    return cache;
  });
  QAction* open = dialog.MenuBar().findChild<QAction*>(QStringLiteral("openCacheAction"));
  QVERIFY(open != nullptr);
  QCOMPARE(open->text(), QStringLiteral("&Open Cache..."));
  int opened = 0;
  modals.Expect<COpenCacheDlg>([&](COpenCacheDlg& view) {
    opened = view.Personalities().topLevelItemCount();
    QTest::mouseClick(&view.CloseButton(), Qt::LeftButton);
  });
  QTimer::singleShot(0, open, &QAction::trigger);
  QTRY_VERIFY_WITH_TIMEOUT(modals.Done(), kSettleMilliseconds);
  QCOMPARE(modals.Unexpected(), QStringList());
  QCOMPARE(pickerStart, outputDir_);
  QCOMPARE(opened, 13);
  // Closed without loading: the list stays as it was.
  QCOMPARE(Devices(dialog.CacheListWidget()), loaded);
}

void PreviewDialogsTest::openCacheCanBeCancelledReplacedAndClosedOn() {
  const QString cache = BuildExampleCache();
  QVERIFY(!cache.isEmpty());
  const QString missing = outputDir_ + QStringLiteral("NOTHING.CMP");
  {
    CBuildCacheDlg dialog;
    Show(dialog);
    WaitForGauge(dialog);
    ModalScript modals;

    // The window answers while the cache is read: the status line says so and Cancel stops it.
    dialog.OpenCache(cache);
    QVERIFY(dialog.OpeningCache());
    QCOMPARE(dialog.StatusLine().text(), QStringLiteral("Opening OMK01PER.CMP..."));
    QVERIFY(dialog.CancelButton().isVisible());
    QVERIFY(dialog.BuildCacheButton().isVisible());
    QTest::mouseClick(&dialog.CancelButton(), Qt::LeftButton);
    QCOMPARE(dialog.StatusLine().text(), QString());
    QVERIFY(!dialog.CancelButton().isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.OpeningCache(), kSettleMilliseconds);

    // A second Open Cache replaces the first: only its view comes, and no word of the first
    // file, which cannot be read.
    int rows = 0;
    modals.Expect<COpenCacheDlg>([&](COpenCacheDlg& view) {
      rows = view.Personalities().topLevelItemCount();
      QTest::mouseClick(&view.CloseButton(), Qt::LeftButton);
    });
    dialog.OpenCache(missing);
    dialog.OpenCache(cache);
    QCOMPARE(dialog.StatusLine().text(), QStringLiteral("Opening OMK01PER.CMP..."));
    QTRY_VERIFY_WITH_TIMEOUT(modals.Done() && !dialog.OpeningCache(), kSettleMilliseconds);
    QCOMPARE(rows, 12);
    QCOMPARE(dialog.StatusLine().text(), QString());

    // The other way round, the unreadable file is said to be so.
    modals.ExpectMessage();
    dialog.OpenCache(cache);
    dialog.OpenCache(missing);
    QTRY_VERIFY_WITH_TIMEOUT(modals.Done() && !dialog.OpeningCache(), kSettleMilliseconds);
    QCOMPARE(modals.Messages().size(), std::size_t{1});
    QVERIFY(modals.Messages()[0].text.contains(QStringLiteral("NOTHING.CMP cannot be opened")));

    // Closed while a cache is read: no view comes after.
    dialog.OpenCache(cache);
    dialog.close();
    QVERIFY(!dialog.isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.OpeningCache(), kSettleMilliseconds);
    QCOMPARE(modals.Unexpected(), QStringList());
  }
  // Destroyed while a cache is read: the work is stopped and waited for.
  CBuildCacheDlg dialog;
  Show(dialog);
  dialog.OpenCache(cache);
  QVERIFY(dialog.OpeningCache());
}

QTEST_MAIN(PreviewDialogsTest)
#include "PreviewDialogsTest.moc"
