// Measures what the window works out before a build, on a personality directory (make one with
// `hoardwright-genpers --count 5000 --seed 1 DIR`, or --count 215 for a cache near 96k):
//   - the row checks: from the window's construction (the directory scanned) to every row of
//     the personality list marked;
//   - the size gauge: from Add All to a settled figure (every file compiled for the first time),
//     then from each of several list changes (one row removed, the next time added back) to a
//     settled figure, the files' compiled records kept. The gauge's figure counts from the click,
//     so its short wait for more changes is included.
// Settings and the remembered cache list go to a scratch directory.
//
//   QT_QPA_PLATFORM=offscreen build/bench/gauge_bench DIR [CHANGES]
#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "desktop/BuildCacheDlg.h"
#include "desktop/PersonalityListView.h"

using hoardwright::desktop::CBuildCacheDlg;

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

// Turns the event loop until `done` says so; the time it took.
template <typename Done>
double Wait(Clock::time_point from, Done done) {
  while (!done()) QApplication::processEvents(QEventLoop::AllEvents, 1);
  return Milliseconds(Clock::now() - from);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: gauge_bench PERSONALITY_DIRECTORY [CHANGES]\n");
    return 2;
  }
  const int changes = argc == 3 ? std::max(1, std::atoi(argv[2])) : 10;
  QTemporaryDir scratch;
  if (!scratch.isValid()) return 1;
  qputenv("XDG_DATA_HOME", QFile::encodeName(scratch.filePath(QStringLiteral("data"))));
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, scratch.path());
  QApplication application(argc, argv);
  {
    QSettings settings(QStringLiteral("Qendrale"), QStringLiteral("Hoardwright"));
    settings.setValue(QStringLiteral("Hoardwright/DefaultDir"), QString::fromLocal8Bit(argv[1]));
    settings.setValue(QStringLiteral("Hoardwright/OutputDir"), scratch.path() + QLatin1Char('/'));
  }

  const Clock::time_point constructed = Clock::now();
  CBuildCacheDlg dialog;
  dialog.show();
  const double checks = Wait(constructed, [&] { return dialog.ChecksSettled(); });
  Wait(Clock::now(), [&] { return dialog.GaugeSettled(); });
  std::printf("row checks, %zu files: %.0f ms from the window's construction\n",
              dialog.Model().PersonalityList().RowCount(), checks);

  Clock::time_point click = Clock::now();
  dialog.AddAllButton().click();
  const double first = Wait(click, [&] { return dialog.GaugeSettled(); });
  std::printf("gauge after Add All, nothing compiled yet: %.0f ms, %lld bytes\n", first,
              static_cast<long long>(dialog.GaugePreview().cacheSize));

  std::vector<double> settled;
  auto& cache = dialog.CacheListWidget();
  auto& list = dialog.PersonalityListWidget();
  for (int change = 0; change < changes; ++change) {
    const bool remove = change % 2 == 0;
    auto& view = remove ? cache : list;
    view.setCurrentIndex(view.model()->index(0, 0));
    click = Clock::now();
    (remove ? dialog.RemoveButton() : dialog.AddButton()).click();
    settled.push_back(Wait(click, [&] { return dialog.GaugeSettled(); }));
  }
  std::sort(settled.begin(), settled.end());
  std::printf(
      "gauge after a list change (%d changes): min %.0f ms, median %.0f ms, max %.0f ms,"
      " %lld bytes\n",
      changes, settled.front(), settled[settled.size() / 2], settled.back(),
      static_cast<long long>(dialog.GaugePreview().cacheSize));
  return 0;
}
