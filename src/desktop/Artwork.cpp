#include "desktop/Artwork.h"

#include <QApplication>
#include <QString>
#include <QStyle>

// The resources live in a static library: nothing else pulls their registration in.
static void RegisterArtwork() { Q_INIT_RESOURCE(hoardwright); }

namespace hoardwright::desktop {
namespace {

QIcon Drawing(const QString& name) {
  static const bool registered = (RegisterArtwork(), true);
  (void)registered;
  return QIcon(QStringLiteral(":/hoardwright/") + name);
}

QPixmap Render(const QString& name, QSize size, qreal devicePixelRatio) {
  const QSize devicePixels = (QSizeF(size) * devicePixelRatio).toSize();
  QPixmap pixmap = Drawing(name).pixmap(devicePixels);
  pixmap.setDevicePixelRatio(devicePixelRatio);
  return pixmap;
}

}  // namespace

// The installed icon theme's, so that the window shows what the menu and the task bar show; the
// embedded drawing where no theme has it (a build tree, a bare desktop).
QIcon ApplicationIcon() {
  return QIcon::fromTheme(QString::fromLatin1(kApplicationId),
                          Drawing(QStringLiteral("hoardwright.svg")));
}

QIcon LeftOutIcon() {
  return QApplication::style()->standardIcon(QStyle::SP_MessageBoxCritical);
}

QIcon WarningIcon() {
  return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
}

QPixmap TickPixmap(qreal devicePixelRatio) {
  return Render(QStringLiteral("tick.svg"), kTickSize, devicePixelRatio);
}

QPixmap CrossPixmap(qreal devicePixelRatio) {
  return Render(QStringLiteral("cross.svg"), kCrossSize, devicePixelRatio);
}

}  // namespace hoardwright::desktop
