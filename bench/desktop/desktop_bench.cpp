// Measures the desktop window on a personality directory (make one with
// `hoardwright-genpers --count 5000 --seed 1 DIR`):
//   - the time from the program's start to the main window on the screen, the directory listed;
//   - the longest the window's event loop waits between two turns while a build of every listed
//     personality runs (a 5 ms timer notes the gaps), and the build's time.
// Settings, the remembered cache list and the cache go to a scratch directory.
//
//   QT_QPA_PLATFORM=offscreen build/bench/desktop_bench DIR
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "desktop/BuildCacheDlg.h"
#include "desktop/BuildDetailsDlg.h"
#include "desktop/ResultDlg.h"

using hoardwright::desktop::CBuildCacheDlg;
using hoardwright::desktop::CBuildDetailsDlg;
using hoardwright::desktop::CResultDlg;

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

}  // namespace

int main(int argc, char** argv) {
  const Clock::time_point start = Clock::now();
  if (argc != 2) {
    std::fprintf(stderr, "usage: desktop_bench PERSONALITY_DIRECTORY\n");
    return 2;
  }
  QTemporaryDir scratch;
  if (!scratch.isValid()) return 1;
  qputenv("XDG_DATA_HOME", QFile::encodeName(scratch.filePath(QStringLiteral("data"))));
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, scratch.path());
  QApplication application(argc, argv);
  const QString output = scratch.filePath(QStringLiteral("out/"));
  QDir().mkpath(output);
  {
    QSettings settings(QStringLiteral("Qendrale"), QStringLiteral("Hoardwright"));
    settings.beginGroup(QStringLiteral("Hoardwright"));
    settings.setValue(QStringLiteral("DefaultDir"), QString::fromLocal8Bit(argv[1]));
    settings.setValue(QStringLiteral("OutputDir"), output);
  }

  CBuildCacheDlg dialog;
  dialog.show();
  while (dialog.windowHandle() == nullptr || !dialog.windowHandle()->isExposed()) {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  QApplication::processEvents();
  const double shown = Milliseconds(Clock::now() - start);
  const auto listed = dialog.Model().PersonalityList().RowCount();
  std::printf("start to shown window: %.0f ms (%zu personalities listed)\n", shown, listed);

  // The longest gap between two turns of the event loop while the build runs.
  Clock::time_point lastTurn = Clock::now();
  double longestStall = 0;
  bool measuring = false;
  QTimer turns;
  turns.setInterval(5);
  QObject::connect(&turns, &QTimer::timeout, [&] {
    const Clock::time_point now = Clock::now();
    if (measuring) longestStall = std::max(longestStall, Milliseconds(now - lastTurn));
    lastTurn = now;
  });
  // The details and result dialogs are answered as a user would answer them.
  Clock::time_point buildStart;
  double buildTime = 0;
  QTimer answer;
  answer.setInterval(20);
  QObject::connect(&answer, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* details = qobject_cast<CBuildDetailsDlg*>(modal)) {
      buildStart = Clock::now();
      lastTurn = buildStart;
      measuring = true;
      details->OkButton().click();
    } else if (auto* result = qobject_cast<CResultDlg*>(modal)) {
      buildTime = Milliseconds(Clock::now() - buildStart);
      measuring = false;
      result->accept();
    }
  });
  turns.start();
  answer.start();
  dialog.AddAllButton().click();
  dialog.BuildCacheButton().click();
  while (dialog.Building() || buildTime == 0) QApplication::processEvents(QEventLoop::AllEvents, 5);
  std::printf("build of %zu personalities: %.0f ms; longest event-loop stall: %.1f ms\n",
              dialog.Model().CacheList().RowCount(), buildTime, longestStall);
  return 0;
}
