#include "desktop/DesktopApplication.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "desktop/Artwork.h"
#include "desktop/BuildCacheDlg.h"
#include "desktop/DesktopSettings.h"
#include "desktop/ScreenshotTour.h"

namespace hoardwright::desktop {
namespace {

constexpr int kCannotStart = 2;
constexpr const char* kCommandLineHint =
    "The command line works without a display: run \"hoardwright --help\".\n";

#ifndef Q_OS_WIN
bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

// Whether a platform is asked for, by "-platform NAME" or QT_QPA_PLATFORM.
bool PlatformChosen(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "-platform" || argument == "--platform") return true;
  }
  return IsSet("QT_QPA_PLATFORM");
}
#endif

// Qt ends the program with an abort when it cannot start (no display to connect to, say) and on
// any other fatal error: a message and status 2 instead.
void EndOnFatal(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  const QByteArray text = qFormatLogMessage(type, context, message).toLocal8Bit();
  std::fprintf(stderr, "%s\n", text.constData());
  if (type == QtFatalMsg) {
    std::fprintf(stderr, "hoardwright: the desktop application cannot run.\n%s", kCommandLineHint);
    std::fflush(stderr);
    std::_Exit(kCannotStart);
  }
}

}  // namespace

int RunDesktopApplication(int& argc, char** argv) {
  // The usual platform needs a display; say so plainly instead of failing inside Qt. (Windows
  // always has its desktop.)
#ifndef Q_OS_WIN
  if (!PlatformChosen(argc, argv) && !IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY")) {
    std::fprintf(stderr,
                 "hoardwright: no display to open the desktop application on (neither DISPLAY "
                 "nor WAYLAND_DISPLAY is set).\n%s",
                 kCommandLineHint);
    return kCannotStart;
  }
#endif
  qInstallMessageHandler(EndOnFatal);

  QApplication application(argc, argv);
  QApplication::setOrganizationName(QString::fromLatin1(kSettingsOrganisation));
  QApplication::setApplicationName(QString::fromLatin1(kSettingsApplication));
  // Wayland's task bar finds the window's menu entry, and so its icon, by this name.
  QApplication::setDesktopFileName(QString::fromLatin1(kApplicationId));
  QApplication::setWindowIcon(ApplicationIcon());

  CBuildCacheDlg dialog;
  ScreenshotTour* tour = ScreenshotTour::FromEnvironment(dialog);
  if (tour != nullptr) tour->Start();
  dialog.exec();
  // After an interactive run the status means nothing beyond a normal end.
  return tour != nullptr && !tour->Succeeded() ? 1 : 0;
}

}  // namespace hoardwright::desktop
