#include "ui/qt/DesktopApplication.h"

#include <QApplication>

#include "ui/qt/Artwork.h"
#include "ui/qt/BuildCacheDlg.h"
#include "ui/qt/DesktopSettings.h"
#include "ui/qt/ScreenshotTour.h"

namespace hoardwright::desktop {

int RunDesktopApplication(int& argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setOrganizationName(QString::fromLatin1(kSettingsOrganisation));
  QApplication::setApplicationName(QString::fromLatin1(kSettingsApplication));
  QApplication::setWindowIcon(ApplicationIcon());

  CBuildCacheDlg dialog;
  ScreenshotTour* tour = ScreenshotTour::FromEnvironment(dialog);
  if (tour != nullptr) tour->Start();
  dialog.exec();
  // After an interactive run the status means nothing beyond a normal end.
  return tour != nullptr && !tour->Succeeded() ? 1 : 0;
}

}  // namespace hoardwright::desktop
