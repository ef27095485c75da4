#pragma once
// Windows laid out in fixed pixels (dialog units at 96 DPI) on screens too
// small for them: a 1366 x 768 laptop, or a larger one at 150 % scaling.
// Such a window shrinks as a whole, keeping its proportions: every control's
// place and size, the fonts and the buttons' pictures scale by one factor.

#include <QRect>
#include <QSize>

class QWidget;

namespace scrivel {

// The factor, at most 1, by which `size` must shrink to fit in `available`.
qreal FitFactor(QSize size, QSize available);

// The available area (without panels and docks) of the screen a new window
// appears on: that of the program's active window, else the one under the
// mouse, else the primary screen.
QRect AvailableArea();

// Scales the window's size and each direct child's geometry and explicitly
// set font by `factor`; image buttons draw their pictures scaled by it.
void ScaleLayout(QWidget* window, qreal factor);

// Shrinks `window` (laid out in its full size, not shown yet) to fit the
// available area, leaving room for `decoration` (the window manager's frame
// and title bar). A decorated window is placed in the middle of the area.
// Returns the factor applied, 1 when it fits as it is; the window remembers
// it (LayoutScale).
qreal FitToScreen(QWidget* window, QSize decoration = QSize(0, 0));

// The factor FitToScreen applied to `window`; 1 when it applied none.
qreal LayoutScale(const QWidget* window);

// The room that a decorated window's frame and title bar take.
constexpr QSize kDecoration(8, 32);

}  // namespace scrivel
