#include "app/WindowPlacement.h"

#include <algorithm>

namespace {

// One axis: [start, start + length) moved into [low, high) as little as
// possible; the low edge wins when the length does not fit at all.
int FitAxis(int start, int length, int low, int high) {
    if (start + length > high) start = high - length;
    return std::max(start, low);
}

} // namespace

QPoint FitOnScreen(QPoint wanted, QSize frame, const QRect& available) {
    return {FitAxis(wanted.x(), frame.width(), available.x(), available.x() + available.width()),
            FitAxis(wanted.y(), frame.height(), available.y(), available.y() + available.height())};
}
