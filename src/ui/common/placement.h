#pragma once

#include <QRect>

class QWidget;

namespace ui {

// Where a window of frame size `wanted` goes beside the window whose frame is `anchor`, on the
// screen area `screen`: to its right, else to its left, else below, else above it, `gap` pixels
// away. When none of them has room for the whole window, it is made smaller to fit the largest
// free side, as long as that side still holds `smallest`; when not even that fits it goes as far
// right as the screen allows, over the anchor. The result always lies on the screen.
QRect besideWindow(const QRect &anchor, const QSize &wanted, const QSize &smallest, const QRect &screen, int gap = 8);

// Moves and sizes the top-level `window`, not yet shown, beside `anchor` on the anchor's screen.
void placeBeside(QWidget &window, const QWidget &anchor);

} // namespace ui
