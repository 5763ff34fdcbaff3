#pragma once

#include <QPixmap>

namespace ui {

// The tool's own logo: a dark sign face with a row of lit LED dots. Drawn in code so that it
// scales without an image file; the desktop icon is the same picture.
QPixmap drawLogo(int width, int height);

} // namespace ui
