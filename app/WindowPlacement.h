// Where the main window opens. The layout fixes its position; on a screen too
// small for the window at that position (a 1366 x 768 school laptop) the window
// is moved just enough to lie inside the screen's available area, the desktop
// less its panels, so that no control ends up out of reach of a window whose
// frame cannot be resized.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

/// The top-left corner for a window frame of size `frame` that asks to open at
/// `wanted`: `wanted` itself when the frame fits inside `available` there,
/// otherwise the nearest point at which it does. A frame larger than the area
/// is put at the area's top or left edge, which keeps its title bar and its
/// left part on the screen.
QPoint FitOnScreen(QPoint wanted, QSize frame, const QRect& available);
