#pragma once
// The program's own drawings, compiled into it: the application icon and the result dialog's
// tick and cross.
#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace hoardwright::desktop {

// The tick is 15 x 15 and the cross 14 x 14 pixels at normal scaling.
inline constexpr QSize kTickSize{15, 15};
inline constexpr QSize kCrossSize{14, 14};

// The name of the menu entry and of the icon in the installed icon theme.
inline constexpr const char* kApplicationId = "io.github.hoardwright.Hoardwright";

QIcon ApplicationIcon();
// The marks of list rows and the gauge: a file left out (or a console the cache is too large
// for), and a warning; the style's own error and warning icons.
QIcon LeftOutIcon();
QIcon WarningIcon();
// Sharp at the given device pixel ratio (the drawings are vector graphics).
QPixmap TickPixmap(qreal devicePixelRatio);
QPixmap CrossPixmap(qreal devicePixelRatio);

}  // namespace hoardwright::desktop
