#pragma once
// Dialog layouts are given in dialog units, which follow the dialog's font: a horizontal unit is
// a quarter of the font's average character width, a vertical unit an eighth of its height. So
// the dialogs keep their proportions with any font and at any scaling.
#include <QFont>
#include <QRect>
#include <QSize>

class QWidget;

namespace hoardwright::desktop {

class DialogUnits {
 public:
  // The base units of `font`: the average width of the 52 ASCII letters, rounded, and the
  // font's line height.
  explicit DialogUnits(const QFont& font);
  DialogUnits(int baseWidth, int baseHeight) : baseWidth_(baseWidth), baseHeight_(baseHeight) {}

  int BaseWidth() const { return baseWidth_; }
  int BaseHeight() const { return baseHeight_; }

  int X(int units) const;
  int Y(int units) const;
  QRect Rect(int x, int y, int width, int height) const;
  QSize Size(int width, int height) const;

  // Gives `widget` the place of a control of the layout.
  void Place(QWidget& widget, int x, int y, int width, int height) const;

 private:
  int baseWidth_;
  int baseHeight_;
};

}  // namespace hoardwright::desktop
