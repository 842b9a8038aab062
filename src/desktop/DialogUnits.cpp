#include "desktop/DialogUnits.h"

#include <QFontMetrics>
#include <QString>
#include <QWidget>

namespace hoardwright::desktop {
namespace {

// Rounds units * base / divisor to the nearest pixel.
int Scale(int units, int base, int divisor) {
  const long long product = static_cast<long long>(units) * base;
  return static_cast<int>((product + (product >= 0 ? divisor / 2 : -divisor / 2)) / divisor);
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  baseWidth_ = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
  baseHeight_ = metrics.height();
}

int DialogUnits::X(int units) const { return Scale(units, baseWidth_, 4); }
int DialogUnits::Y(int units) const { return Scale(units, baseHeight_, 8); }

QRect DialogUnits::Rect(int x, int y, int width, int height) const {
  return QRect(X(x), Y(y), X(width), Y(height));
}

QSize DialogUnits::Size(int width, int height) const { return QSize(X(width), Y(height)); }

void DialogUnits::Place(QWidget& widget, int x, int y, int width, int height) const {
  widget.setGeometry(Rect(x, y, width, height));
}

}  // namespace hoardwright::desktop
